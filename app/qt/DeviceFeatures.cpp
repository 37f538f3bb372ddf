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
#include "app/core/features/CalibrationCheck.h"
#include "app/core/features/FileFeatures.h"
#include "app/core/features/PrintedPages.h"
#include "app/core/features/TrendTexts.h"
#include "app/core/features/UserConfigFolder.h"
#include "calib/TrendPlacement.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/CheckWindow.h"
#include "calib/CheckRecordFile.h"
#include "app/qt/Certificate.h"
#include "app/qt/PdfPages.h"
#include "app/qt/TrendWindow.h"

namespace orv::app::qt {

namespace {

constexpr char kLastFolderKey[] = "lastFolder";

std::filesystem::path ToPath(const QString& file) { return std::filesystem::path(file.toStdU16String()); }
QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }


// Beside the dialog where the screen leaves room, else clear of its poll
// and exit buttons. The frame the window manager adds is left to it.
QRect TrendPlace(CMyDlgWindow& window, QSize wanted, QSize least) {
    const auto toPixels = [](const QRect& r) { return calib::PixelRect{r.left(), r.top(), r.width(), r.height()}; };
    QRect buttons;
    for (int controlId : {id::AutoUpload, id::StopUpload, id::Exit})
        if (const QWidget* c = window.Control(controlId)) buttons |= QRect(c->mapToGlobal(QPoint(0, 0)), c->size());
    calib::PlacementRequest r;
    const QScreen* screen = window.screen();
    r.screen = toPixels(screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024));
    r.dialog = toPixels(window.frameGeometry());
    r.buttons = toPixels(buttons);
    r.wantedWidth = wanted.width();
    r.wantedHeight = wanted.height();
    r.leastWidth = std::max(least.width(), 520);
    r.leastHeight = std::max(least.height(), 360);
    const calib::PixelRect placed = calib::PlaceTrend(r);
    return QRect(placed.left, placed.top, placed.width, placed.height);
}

}  // namespace

DeviceFeatures::DeviceFeatures(CMyDlgWindow& window) : window_(window) {
    live_ = std::make_unique<calib::LiveReadings>(
        [] {
            const QDateTime now = QDateTime::currentDateTime();
            return calib::WallTime{now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60};
        },
        [this] { return window_.Services().GetControlText(id::UnitMeasured); });
    live_->onChange = [this] { Changed(); };
    ReportRecordingFailures(*live_, window_.Services());
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
    add(FromUtf8(text::kTrend), QKeySequence(Qt::CTRL | Qt::Key_T), &DeviceFeatures::ShowTrend);
    add(FromUtf8(text::kRecordCsv), QKeySequence(Qt::CTRL | Qt::Key_R), &DeviceFeatures::RecordOrStop);
    record_ = actions_.back();
    add(FromUtf8(text::kCalibrationCheck), QKeySequence(Qt::CTRL | Qt::Key_K), &DeviceFeatures::ShowCheck);
    add(FromUtf8(text::kDeviceReport), QKeySequence(Qt::CTRL | Qt::Key_P), &DeviceFeatures::DeviceReport);
    add(FromUtf8(text::kPrintCertificate), QKeySequence(), &DeviceFeatures::PrintCertificate);
}

DeviceFeatures::~DeviceFeatures() {
    window_.Core().RemoveObserver(&lastRead_);
    window_.Core().RemoveObserver(feed_.get());
    delete trend_;
    delete check_;
    checkModel_.reset();  // ends a run, stopping the poll that was the check's
}

TrendWindow* DeviceFeatures::Trend() const { return trend_; }
CheckWindow* DeviceFeatures::Check() const { return check_; }

void DeviceFeatures::Complain(const QString& text) {
    window_.Services().MessageBox(text.toStdString(), MessageIcon::Stop);
}

void DeviceFeatures::Changed() {
    record_->setText(QString::fromUtf8(RecordItemText(*live_)));
    if (trend_) trend_->Refresh();
}

calib::DialogContext DeviceFeatures::DialogNow() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QtWindowServices& services = window_.Services();
    return {now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60, services.GetControlText(id::UnitMeasured),
            services.GetControlText(id::UnitAmbient), ShownOutputRange(services)};
}

QString DeviceFeatures::AskForFile(QWidget* parent, bool save, const QString& caption, const QString& filter,
                                   const QString& suffix, const QString& proposed) {
    // The last folder is the only thing these features remember between runs.
    QSettings settings(QStringLiteral("orvane"), QStringLiteral("orvane"));
    QString folder = settings.value(kLastFolderKey).toString();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
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
    const PageRequest report = DeviceReportNow(window_.Core(), lastRead_, *live_);
    if (!report.document) return FromUtf8(report.error);
    return WritePdf(file, *report.document);
}

void DeviceFeatures::SaveConfiguration() {
    const QString file =
        AskForFile(&window_, true, FromUtf8(text::kSaveConfigurationCaption), FromUtf8(text::kConfigurationFiles), "json");
    if (file.isEmpty()) return;
    if (const QString error = SaveConfigurationTo(file); !error.isEmpty()) Complain(error);
}

void DeviceFeatures::OpenConfiguration() {
    const QString file = AskForFile(&window_, false, FromUtf8(text::kOpenConfigurationCaption),
                                    FromUtf8(text::kConfigurationFiles) + ";;" + FromUtf8(text::kAllFiles), "json");
    if (file.isEmpty()) return;
    if (const QString error = OpenConfigurationFrom(file); !error.isEmpty()) Complain(error);
}

void DeviceFeatures::ShowTrend() {
    if (!trend_) {
        // A child of the dialog: the dialog runs modally, and Qt lets a
        // modal window's own children take input while it blocks all others.
        trend_ = new TrendWindow(*live_, [this] { return DialogNow(); }, &window_);
        trend_->setAttribute(Qt::WA_DeleteOnClose, false);
        trend_->askForFile = [this](QWidget* parent, bool save, const QString& caption, const QString& filter,
                                    const QString& suffix) { return AskForFile(parent, save, caption, filter, suffix); };
        trend_->complain = [this](const QString& text) { Complain(text); };
        trend_->onRecord = [this] { RecordCsv(); };
        trend_->onStopRecording = [this] { live_->StopRecording(); };
        trend_->setGeometry(TrendPlace(window_, trend_->sizeHint(), trend_->minimumSizeHint()));
    }
    trend_->show();
    trend_->raise();
    trend_->activateWindow();
}

void DeviceFeatures::RecordOrStop() {
    if (live_->Recorder())
        live_->StopRecording();
    else
        RecordCsv();
}

void DeviceFeatures::RecordCsv() {
    QWidget* over = trend_ && trend_->isActiveWindow() ? static_cast<QWidget*>(trend_) : &window_;
    const QString file = AskForFile(over, true, FromUtf8(text::kRecordCsvCaption), FromUtf8(text::kCsvFiles), "csv");
    if (file.isEmpty()) return;
    if (const QString error = RecordCsvTo(file); !error.isEmpty()) {
        Complain(error);
        return;
    }
    ShowTrend();  // its status line shows the file and the count
}

void DeviceFeatures::DeviceReport() {
    const QString file =
        AskForFile(&window_, true, FromUtf8(text::kDeviceReportCaption), FromUtf8(text::kPdfFiles), "pdf");
    if (file.isEmpty()) return;
    if (const QString error = WriteReportTo(file); !error.isEmpty()) Complain(error);
}

void DeviceFeatures::PrintCertificate() {
    // From a record saved earlier, so a certificate needs no device.
    const QString recordFile =
        AskForFile(&window_, false, FromUtf8(text::kOpenCheckRecordCaption),
                   FromUtf8(text::kCheckRecordFiles) + ";;" + FromUtf8(text::kAllFiles), "json");
    if (recordFile.isEmpty()) return;
    const calib::CheckRecordLoad loaded = calib::LoadCheckRecord(ToPath(recordFile));
    if (!loaded.record) {
        Complain(FromUtf8(loaded.error));
        return;
    }
    const QFileInfo record(recordFile);
    const QString file = AskForFile(&window_, true, FromUtf8(text::kSaveCertificateCaption), FromUtf8(text::kPdfFiles),
                                    "pdf", record.absoluteDir().filePath(record.completeBaseName() + ".pdf"));
    if (file.isEmpty()) return;
    if (const QString error = WriteCertificateTo(file, *loaded.record); !error.isEmpty()) Complain(error);
}

}  // namespace orv::app::qt

namespace orv::app::qt {

void DeviceFeatures::ShowCheck() {
    if (!check_) {
        if (!checkModel_) {
            const std::filesystem::path folder = UserConfigFolder();
            checkModel_ = std::make_unique<CheckWindowModel>(
                window_.Core(), folder.empty() ? folder : folder / kCheckSetupFileName);
        }
        // A child of the dialog, as the trend is, so it takes input while the dialog runs modally.
        check_ = new CheckWindow(*checkModel_, &window_);
        check_->setAttribute(Qt::WA_DeleteOnClose, false);
        check_->askForFile = [this](QWidget* parent, bool save, const QString& caption, const QString& filter,
                                    const QString& suffix) { return AskForFile(parent, save, caption, filter, suffix); };
        check_->complain = [this](const QString& text) { Complain(text); };
        checkModel_->onChange = [this] {
            if (check_) check_->Refresh();
        };
        check_->setGeometry(TrendPlace(window_, check_->sizeHint(), check_->minimumSizeHint()));
    }
    check_->show();
    check_->raise();
    check_->activateWindow();
}

}  // namespace orv::app::qt
