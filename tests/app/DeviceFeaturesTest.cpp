// The window menu's saved configurations, trend, recording and report,
// against the simulated transmitter on a pseudo-terminal in real time.
// Set ORVANE_SCREENSHOT_DIR to keep pictures of the trend and the report.
#include <sys/resource.h>

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <csignal>
#include <QComboBox>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/core/ControlIds.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/DeviceFeatures.h"
#include "app/qt/Certificate.h"
#include "app/qt/SimulatedBridge.h"
#include "app/qt/TrendWindow.h"
#include "link/serial/QtSerialComm.h"
#include "calib/CheckRecordFile.h"
#include "sim/PtyDevice.h"
#include "support/SampleCheckRecords.h"
#include "QtTestSupport.h"

namespace orv::app::qt {
namespace {

using apptest::BoxWatcher;
using apptest::FrameLog;
using apptest::WaitUntil;

constexpr int kAnswerWaitMs = 4000;

QStringList FileLines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString PdfText(const QString& pdf) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    text.waitForFinished(20000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

void KeepPicture(const QString& pdf, const QString& name) {
    const QString shots = qEnvironmentVariable("ORVANE_SCREENSHOT_DIR");
    if (shots.isEmpty()) return;
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                                    QStringLiteral("-singlefile"), pdf, shots + '/' + name});
    QFile::remove(shots + '/' + name + ".pdf");
    QFile::copy(pdf, shots + '/' + name + ".pdf");
}

class DeviceFeaturesTest : public ::testing::Test {
protected:
    void OpenConnected(bool factory = false) {
        device.SetLog(log.Sink());
        window = std::make_unique<CMyDlgWindow>(
            std::make_unique<link::QtSerialComm>(SimulatedPortResolver(device.SlavePath())), FindSimulatedBridgePort,
            factory);
        window->Initialise();
        window->show();
        ASSERT_TRUE(WaitUntil([&] { return !window->Control(id::Connection)->isEnabled(); }, kAnswerWaitMs));
    }
    QString Text(int controlId) const { return qobject_cast<QLineEdit*>(window->Control(controlId))->text(); }
    QComboBox* List(int controlId) const { return qobject_cast<QComboBox*>(window->Control(controlId)); }
    void Click(int controlId) { qobject_cast<QPushButton*>(window->Control(controlId))->click(); }
    DeviceFeatures& Features() { return window->Features(); }
    void Shoot(QWidget& widget, const QString& name) {
        const QString dir = qEnvironmentVariable("ORVANE_SCREENSHOT_DIR");
        if (!dir.isEmpty()) widget.grab().save(dir + QLatin1Char('/') + name);
    }

    QTemporaryDir dir;
    BoxWatcher boxes;
    FrameLog log;
    sim::PtyDevice device;
    std::unique_ptr<CMyDlgWindow> window;
};

TEST_F(DeviceFeaturesTest, MenuItemsCarryTheirShortcutsBeforeClose) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const std::unique_ptr<QMenu> menu = window->CreateWindowMenu();
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text() + QLatin1Char('|') + a->shortcut().toString());
    EXPECT_EQ(items.mid(0, 10), (QStringList{"Open Configuration...|Ctrl+O", "Save Configuration...|Ctrl+S", "-",
                                            "Trend...|Ctrl+T", "Record to CSV...|Ctrl+R",
                                            "Calibration Check...|Ctrl+K", "Device Report...|Ctrl+P",
                                            "Print Certificate...|", "-", "Close|"}));
    // The shortcuts work with the menu closed.
    for (QAction* a : Features().MenuActions()) {
        if (a) {
            EXPECT_TRUE(window->actions().contains(a)) << a->text().toStdString();
        }
    }
}

TEST_F(DeviceFeaturesTest, SavedConfigurationComesBackIntoTheWindowWithoutASend) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    Click(id::UploadParams);
    ASSERT_TRUE(WaitUntil([&] { return Text(id::RangeFull) == QStringLiteral("1300.0"); }, kAnswerWaitMs));
    const QString file = dir.filePath("plant.json");
    ASSERT_EQ(Features().SaveConfigurationTo(file), QString());
    EXPECT_TRUE(FileLines(file).join('\n').contains("\"format\": \"orvane-configuration\""));

    // The user changes the type and the range without writing them.
    List(id::InputType)->setCurrentIndex(9);
    emit List(id::InputType)->activated(9);
    qobject_cast<QLineEdit*>(window->Control(id::RangeFull))->setText("500");
    const std::size_t frames = log.Size();

    ASSERT_EQ(Features().OpenConfigurationFrom(file), QString());
    EXPECT_EQ(List(id::InputType)->currentIndex(), 0);
    EXPECT_EQ(Text(id::RangeFull), QStringLiteral("1300.0"));
    EXPECT_EQ(Text(id::UnitZero), QStringLiteral("℃"));
    apptest::Pump(300);
    EXPECT_EQ(log.Size(), frames) << "nothing goes to the device";
    EXPECT_TRUE(boxes.boxes.empty());

    // A refused file names itself and the reason and leaves the window alone.
    QFile cut(file);
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    cut.resize(cut.size() / 2);
    cut.close();
    qobject_cast<QLineEdit*>(window->Control(id::RangeFull))->setText("500");
    const QString error = Features().OpenConfigurationFrom(file);
    EXPECT_TRUE(error.contains(file) && error.contains("truncated")) << error.toStdString();
    EXPECT_EQ(Text(id::RangeFull), QStringLiteral("500"));
}

TEST_F(DeviceFeaturesTest, TheMenuItemRemembersTheFolderAndNothingElse) {
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const QString file = dir.filePath("chosen.json");
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        // Typed into the name field and confirmed, as a user does it.
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                name->setText(file);
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            }
        }
    });
    answer.start(20);
    QTimer::singleShot(5000, [] {  // a dialog nobody answers must not hang the run
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    Features().SaveConfiguration();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(boxes.boxes.empty());
    QSettings settings(QStringLiteral("orvane"), QStringLiteral("orvane"));
    EXPECT_EQ(settings.allKeys(), QStringList{"lastFolder"});
    EXPECT_EQ(settings.value("lastFolder").toString(), dir.path());
}

TEST_F(DeviceFeaturesTest, SettingsOutsideTheirRangeAreLeftAndNamed) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const QString file = dir.filePath("odd.json");
    ASSERT_EQ(Features().SaveConfigurationTo(file), QString());
    QString text = FileLines(file).join('\n');
    text.replace("\"wireCount\": 3", "\"wireCount\": 0").replace("\"dampingLevel\": 1", "\"dampingLevel\": 12");
    text.replace("\"value\": 0,", "\"value\": 5,");  // the offset, in range
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text.toUtf8());
    out.close();
    const int damping = List(id::Damping)->currentIndex();
    ASSERT_EQ(Features().OpenConfigurationFrom(file), QString());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains("wireCount and dampingLevel") &&
                boxes.boxes[0].text.contains("wireCount is 0, outside 2 to 4"))
        << boxes.boxes[0].text.toStdString();
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(window->Control(id::Wire3))->isChecked());
    EXPECT_EQ(List(id::Damping)->currentIndex(), damping);
    EXPECT_EQ(Text(id::Offset), QStringLiteral("5"));
}

TEST_F(DeviceFeaturesTest, FactoryBuildTakesTheCalibrationAndSaysSo) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected(true));
    const QString file = dir.filePath("factory.json");
    ASSERT_EQ(Features().SaveConfigurationTo(file), QString());
    const QString trim = Text(id::Out1ZeroTrim);
    qobject_cast<QLineEdit*>(window->Control(id::Out1ZeroTrim))->setText("1");
    ASSERT_EQ(Features().OpenConfigurationFrom(file), QString());
    EXPECT_EQ(Text(id::Out1ZeroTrim), trim);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains("calibration constants and trims"));
}

TEST_F(DeviceFeaturesTest, TrendRecordsEveryReadingAndBreaksTheCurveAtAMissedPoll) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    Features().ShowTrend();
    TrendWindow* trend = Features().Trend();
    ASSERT_NE(trend, nullptr);
    const QString csv = dir.filePath("run.csv");
    ASSERT_EQ(Features().RecordCsvTo(csv), QString());

    Click(id::AutoUpload);
    ASSERT_TRUE(WaitUntil([&] { return Features().Live().Series().Runs().size() == 1 &&
                                       Features().Live().Series().Runs()[0].size() == 2; },
                          3500));
    // Lines are on disk as they arrive, not when the recording ends.
    EXPECT_EQ(FileLines(csv).size(), 3);
    EXPECT_TRUE(trend->StatusText().contains(csv) && trend->StatusText().contains("2 reading"))
        << trend->StatusText().toStdString();

    device.WithDevice([](sim::Transmitter& t) { t.faults.silent = true; });
    ASSERT_TRUE(WaitUntil([&] { return !boxes.boxes.empty(); }, 3500));
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Time Out !"));
    device.WithDevice([](sim::Transmitter& t) { t.faults.silent = false; });
    Click(id::AutoUpload);
    ASSERT_TRUE(WaitUntil([&] { return Features().Live().Series().Runs().size() == 2; }, 3500));
    Click(id::StopUpload);
    trend->Canvas()->repaint();
    EXPECT_EQ(trend->View().Last().plots.at(0).curves.size(), 2u);
    EXPECT_TRUE(trend->StatsText().contains("mean")) << trend->StatsText().toStdString();

    const QStringList lines = FileLines(csv);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("time,measured,ambient,unit,rv0,rv1,rv2,rv3,rv4"));
    EXPECT_EQ(lines[3].split(',').size(), 9);
    trend->View().Viewport().SetSpan(calib::TrendSpan::WholeRun);
    Shoot(*trend, QStringLiteral("orvane-trend.png"));

    // The report of the same window, with the readings just taken.
    const QString pdf = dir.filePath("report.pdf");
    ASSERT_EQ(Features().WriteReportTo(pdf), QString());
    const QString report = PdfText(pdf);
    for (const char* part : {"Device Report", "QV-UN2", "TC- K", "Range full", "1300.0", "Output 2 full-scale trim",
                             "Last readings", "Technician's name", "Signature"})
        EXPECT_TRUE(report.contains(QString::fromUtf8(part))) << part << "\n" << report.toStdString();
    KeepPicture(pdf, QStringLiteral("orvane-report"));
}

// A disk that fills half way through the report leaves no cut-off PDF
// behind a success, and says why.
TEST_F(DeviceFeaturesTest, AReportThatCannotBeWrittenWholeIsNotWrittenAndSaysWhy) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const QString pdf = dir.filePath("report.pdf");
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{4096, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);  // a full disk, for this process only
    const QString error = Features().WriteReportTo(pdf);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(error.contains(pdf) && error.contains("File too large")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    EXPECT_EQ(Features().WriteReportTo(pdf), QString());
    EXPECT_TRUE(QFile::exists(pdf));
}

// Whatever a feature lets escape ends in a message, not in the end of the
// program with the user's unsaved settings.
TEST(GuardedApplication, AnExceptionFromAnyHandlerIsAStopBox) {
    class Throwing : public QObject {
    public:
        bool event(QEvent*) override { throw std::runtime_error("the disk went away"); }
    };
    BoxWatcher boxes;
    Throwing target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    ASSERT_TRUE(WaitUntil([&] { return !boxes.boxes.empty(); }, 3000));
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("the disk went away"));
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Critical);
}

// Answers the file dialogs that open, in turn, as a user types a name and
// confirms; the last file answers any further dialog.
class FileAnswer {
public:
    explicit FileAnswer(const QString& file) : FileAnswer(QStringList{file}) {}
    explicit FileAnswer(const QStringList& files) {
        QObject::connect(&timer_, &QTimer::timeout, [this, files] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                    name->setText(files[std::min<qsizetype>(answered_++, files.size() - 1)]);
                    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
                }
            }
        });
        timer_.start(20);
    }

private:
    QTimer timer_;
    qsizetype answered_ = 0;
};

// Whether this process holds file open.
bool HeldOpen(const QString& file) {
    const std::filesystem::path wanted = std::filesystem::canonical(file.toStdString());
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(fd.path(), ec) == wanted) return true;
    }
    return false;
}

TEST_F(DeviceFeaturesTest, TheTrendTakesInputWhileTheDialogRunsModally) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    Features().ShowTrend();
    TrendWindow* trend = Features().Trend();
    bool paused = false, resumed = false;
    // Clicks through the window system, where a modal window blocks the others.
    const auto click = [&] {
        QPushButton* pause = trend->PauseButton();
        QTest::mouseClick(trend->windowHandle(), Qt::LeftButton, {}, pause->mapTo(trend, pause->rect().center()));
    };
    QTimer::singleShot(300, [&] {
        click();
        paused = trend->PauseButton()->isChecked();
        click();
        resumed = !trend->PauseButton()->isChecked();
        window->reject();
    });
    QTimer::singleShot(5000, [&] { window->reject(); });  // a watchdog
    window->hide();  // the program shows it only through exec(), which makes it modal
    window->exec();
    EXPECT_TRUE(paused);
    EXPECT_TRUE(resumed);
}

TEST_F(DeviceFeaturesTest, ARecordingStartedAndStoppedFromEitherPlaceClosesItsFile) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    Features().ShowTrend();
    TrendWindow* trend = Features().Trend();
    QAction* item = Features().MenuActions()[4];
    ASSERT_EQ(item->text(), QStringLiteral("Record to CSV..."));
    const struct {
        const char* where;
        std::function<void()> press;
    } places[] = {
        {"window menu", [&] { item->trigger(); }},
        {"trend window", [&] { QTest::mouseClick(trend->RecordButton(), Qt::LeftButton); }},
    };
    for (const auto& place : places) {
        const QString file = dir.filePath(QStringLiteral("%1.csv").arg(place.where));
        {
            FileAnswer answer(file);
            place.press();
        }
        ASSERT_TRUE(Features().Live().Recorder()) << place.where;
        EXPECT_TRUE(HeldOpen(file)) << place.where;
        EXPECT_EQ(item->text(), QStringLiteral("Stop Recording"));
        EXPECT_EQ(trend->RecordButton()->text(), QStringLiteral("Stop Recording"));
        place.press();
        EXPECT_FALSE(Features().Live().Recorder()) << place.where;
        EXPECT_FALSE(HeldOpen(file)) << place.where;
        EXPECT_EQ(item->text(), QStringLiteral("Record to CSV..."));
        EXPECT_TRUE(trend->StatusText().startsWith("Not recording: 0 readings recorded to")) << trend->StatusText().toStdString();
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DeviceFeaturesTest, TheTrendOpensARecordingZoomsAndSavesItsPicture) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    Features().ShowTrend();
    TrendWindow* trend = Features().Trend();
    const QString csv = dir.filePath("week.csv");
    {
        QFile out(csv);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("port,time,measured,unit,ambient,rv0,rv1,rv2,rv3,rv4\n");
        for (int k = 0; k < 600; ++k)
            out.write(QStringLiteral("COM3,2026-12-09T01:%1:%2.000Z,%3,mV,21,1,2,3,4,5\n")
                          .arg(k / 60, 2, 10, QLatin1Char('0')).arg(k % 60, 2, 10, QLatin1Char('0')).arg(k % 7).toUtf8());
    }
    ASSERT_EQ(trend->OpenRecordingFrom(csv), QString());
    EXPECT_TRUE(trend->StatusText().startsWith("Showing \"" + csv + "\": 600 readings")) << trend->StatusText().toStdString();
    EXPECT_TRUE(trend->StatsText().startsWith("Measured value (mV): min 0  max 6")) << trend->StatsText().toStdString();

    QWidget* canvas = trend->Canvas();
    apptest::Pump(50);  // laid out and shown
    canvas->repaint();
    const calib::ScenePlot& plot = trend->View().Last().plots.at(0);
    EXPECT_EQ(trend->View().Window(0).Span(), 599'000);
    const QPoint middle(plot.area.left + plot.area.width / 2, plot.area.top + plot.area.height / 2);
    QWheelEvent wheel(middle, canvas->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    EXPECT_LT(trend->View().Window(0).Span(), 599'000);
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, middle);
    EXPECT_EQ(trend->View().Window(0).Span(), 599'000);

    const QString png = dir.filePath("trend.png");
    ASSERT_EQ(trend->SaveImageTo(png), QString());
    EXPECT_EQ(QImage(png).size(), canvas->size());

    const QString refused = dir.filePath("config.json");
    QFile(refused).open(QIODevice::WriteOnly);
    EXPECT_EQ(trend->OpenRecordingFrom(refused), "Cannot open the recording \"" + refused + "\": the file is empty");
}

// A certificate printed again from a saved record, through the window menu,
// with no device needed; and one of a run cut off, which says so.
TEST_F(DeviceFeaturesTest, ACertificateComesFromASavedCheckRecord) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const QString record = dir.filePath(QStringLiteral("TT-101 check.json"));
    ASSERT_EQ(calib::SaveCheckRecord(record.toStdString(), test::FoundAndLeftRecord()), "");
    const QString pdf = dir.filePath(QStringLiteral("certificate.pdf"));
    {
        FileAnswer answer(QStringList{record, pdf});
        for (QAction* a : Features().MenuActions())
            if (a && a->text() == QStringLiteral("Print Certificate...")) a->trigger();
    }
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text.toStdString();
    const QString text = PdfText(pdf);
    for (const char* part : {"Calibration Certificate", "Result: PASS (as left)", "TT-101", "李伟", "DB-23117",
                             "2027-06-30", "As found", "As left", "Measured", "0.161 (1.006 %)", "FAIL",
                             "Technician's signature:", "Page 1 of 2", "Page 2 of 2"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
    KeepPicture(pdf, QStringLiteral("orvane-certificate"));

    const QString incomplete = dir.filePath(QStringLiteral("incomplete.pdf"));
    ASSERT_EQ(WriteCertificateTo(incomplete, test::IncompleteRecord()), QString());
    const QString cut = PdfText(incomplete);
    for (const char* part : {"Result: INCOMPLETE (as found)", "INCOMPLETE — stopped: the device stopped answering",
                             "not measured"})
        EXPECT_TRUE(cut.contains(QString::fromUtf8(part))) << part << "\n" << cut.toStdString();
}

}  // namespace
}  // namespace orv::app::qt
