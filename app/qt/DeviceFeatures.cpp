#include "app/qt/DeviceFeatures.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <stdexcept>

#include "app/core/ControlIds.h"
#include "app/core/features/FileFeatures.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/DeviceReport.h"
#include "app/qt/TrendWindow.h"

namespace orv::app::qt {

namespace {

constexpr char kLastFolderKey[] = "lastFolder";

std::filesystem::path ToPath(const QString& file) { return std::filesystem::path(file.toStdU16String()); }
QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }


}  // namespace

DeviceFeatures::DeviceFeatures(CMyDlgWindow& window) : window_(window) {
    live_ = std::make_unique<calib::LiveReadings>(
        [] {
            const QDateTime now = QDateTime::currentDateTime();
            return calib::WallTime{now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60};
        },
        [this] { return window_.Services().GetControlText(id::UnitMeasured); });
    live_->onChange = [this] {
        if (trend_) trend_->Refresh();
    };
    window_.Core().AddObserver(&lastRead_);
    feed_ = std::make_unique<ReadingsFeed>(*live_);
    window_.Core().AddObserver(feed_.get());

    const auto add = [this](const QString& text, const QKeySequence& keys, void (DeviceFeatures::*slot)()) {
        auto* action = new QAction(text, &window_);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        window_.addAction(action);  // the shortcut works with the menu closed
        actions_ << action;
    };
    add(FromUtf8(text::kOpenConfiguration), QKeySequence(Qt::CTRL | Qt::Key_O), &DeviceFeatures::OpenConfiguration);
    add(FromUtf8(text::kSaveConfiguration), QKeySequence(Qt::CTRL | Qt::Key_S), &DeviceFeatures::SaveConfiguration);
    actions_ << nullptr;
    add(tr("Trend..."), QKeySequence(Qt::CTRL | Qt::Key_T), &DeviceFeatures::ShowTrend);
    add(FromUtf8(text::kRecordCsv), QKeySequence(Qt::CTRL | Qt::Key_R), &DeviceFeatures::RecordCsv);
    add(tr("Device Report..."), QKeySequence(Qt::CTRL | Qt::Key_P), &DeviceFeatures::DeviceReport);
}

DeviceFeatures::~DeviceFeatures() {
    window_.Core().RemoveObserver(&lastRead_);
    window_.Core().RemoveObserver(feed_.get());
    delete trend_;
}

TrendWindow* DeviceFeatures::Trend() const { return trend_; }

void DeviceFeatures::Complain(const QString& text) {
    window_.Services().MessageBox(text.toStdString(), MessageIcon::Stop);
}

QString DeviceFeatures::AskForFile(bool save, const QString& caption, const QString& filter, const QString& suffix) {
    // The last folder is the only thing these features remember between runs.
    QSettings settings(QStringLiteral("orvane"), QStringLiteral("orvane"));
    QString folder = settings.value(kLastFolderKey).toString();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(&window_, caption, folder, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString file = dialog.selectedFiles().first();
    settings.setValue(kLastFolderKey, QFileInfo(file).absolutePath());
    return file;
}

QString DeviceFeatures::SaveConfigurationTo(const QString& file) {
    return FromUtf8(app::SaveConfigurationTo(window_.Core(), lastRead_, ToPath(file)));
}

QString DeviceFeatures::OpenConfigurationFrom(const QString& file) {
    return FromUtf8(app::OpenConfigurationFrom(window_.Core(), ToPath(file), window_.IsFactory()));
}

QString DeviceFeatures::RecordCsvTo(const QString& file) { return FromUtf8(app::RecordCsvTo(*live_, ToPath(file))); }

QString DeviceFeatures::WriteReportTo(const QString& file) {
    const CapturedConfig captured = CaptureConfig(window_.Core(), lastRead_);
    if (!captured.record) return tr("Cannot write the device report: %1").arg(FromUtf8(captured.error));
    config::ConfigRecord record = *captured.record;
    record.tool = kToolName;
    record.savedAt = config::IsoTimestampNow();
    const QString error = WriteDeviceReport(file, record, live_->Last());
    return error.isEmpty() ? QString() : tr("Cannot write the device report \"%1\": %2").arg(file, error);
}

void DeviceFeatures::SaveConfiguration() {
    const QString file =
        AskForFile(true, FromUtf8(text::kSaveConfigurationCaption), FromUtf8(text::kConfigurationFiles), "json");
    if (file.isEmpty()) return;
    if (const QString error = SaveConfigurationTo(file); !error.isEmpty()) Complain(error);
}

void DeviceFeatures::OpenConfiguration() {
    const QString file = AskForFile(false, FromUtf8(text::kOpenConfigurationCaption),
                                    FromUtf8(text::kConfigurationFiles) + ";;" + FromUtf8(text::kAllFiles), "json");
    if (file.isEmpty()) return;
    if (const QString error = OpenConfigurationFrom(file); !error.isEmpty()) Complain(error);
}

void DeviceFeatures::ShowTrend() {
    if (!trend_) {
        trend_ = new TrendWindow(*live_, [this] { return FromUtf8(window_.Services().GetControlText(id::UnitMeasured)); });
        trend_->setAttribute(Qt::WA_DeleteOnClose, false);
        trend_->onRecord = [this] { RecordCsv(); };
        trend_->onStopRecording = [this] { live_->StopRecording(); };
        // Beside the dialog, where the screen leaves room for it.
        const QRect dialog = window_.frameGeometry();
        QPoint at(dialog.right() + 8, dialog.top());
        if (const QScreen* screen = window_.screen()) {
            const QRect room = screen->availableGeometry();
            if (at.x() + trend_->sizeHint().width() > room.right())
                at.setX(std::max(room.left(), room.right() - trend_->sizeHint().width()));
        }
        trend_->move(at);
    }
    trend_->show();
    trend_->raise();
    trend_->activateWindow();
}

void DeviceFeatures::RecordCsv() {
    const QString file = AskForFile(true, FromUtf8(text::kRecordCsvCaption), FromUtf8(text::kCsvFiles), "csv");
    if (file.isEmpty()) return;
    if (const QString error = RecordCsvTo(file); !error.isEmpty()) {
        Complain(error);
        return;
    }
    ShowTrend();  // its status line shows the file and the count
}

void DeviceFeatures::DeviceReport() {
    const QString file = AskForFile(true, tr("Device Report"), tr("PDF documents (*.pdf)"), "pdf");
    if (file.isEmpty()) return;
    if (const QString error = WriteReportTo(file); !error.isEmpty()) Complain(error);
}

}  // namespace orv::app::qt
