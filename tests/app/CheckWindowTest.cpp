// The calibration check window driven as a technician does, against the
// simulated transmitter (TC K, 0..1300 degC) on a pseudo-terminal in real
// time: the calibrator is the simulator's bench, set to each point's value
// before the reference is accepted. Set ORVANE_SCREENSHOT_DIR to keep a
// picture of the window after the runs.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/core/ControlIds.h"
#include "app/core/features/CheckWindowModel.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/CheckWindow.h"
#include "app/qt/DeviceFeatures.h"
#include "app/qt/SimulatedBridge.h"
#include "link/serial/QtSerialComm.h"
#include "sim/BlockFields.h"
#include "sim/PtyDevice.h"
#include "QtTestSupport.h"

namespace orv::app::qt {
namespace {

using apptest::BoxWatcher;
using apptest::WaitUntil;

class CheckWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The set-up is kept in the user's configuration folder: this test's own.
        ::setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
        device.WithDevice([](sim::Transmitter& t) {
            using namespace sim::field;
            auto& b = t.Block();
            PutF32(b, kResistanceCal, static_cast<float>(t.truth.referenceOhms * 50.0));
            PutU16(b, kMillivoltCal, static_cast<std::uint16_t>(t.truth.millivoltCounts));
            PutU16(b, kAmbientCal, static_cast<std::uint16_t>(t.truth.ambientCountsAt0));
        });
        window = std::make_unique<CMyDlgWindow>(
            std::make_unique<link::QtSerialComm>(SimulatedPortResolver(device.SlavePath())), FindSimulatedBridgePort,
            false);
        window->Initialise();
        window->show();
        ASSERT_TRUE(WaitUntil([&] { return !window->Control(id::Connection)->isEnabled(); }, 4000));
        // From the window menu, by its shortcut.
        QAction* item = nullptr;
        for (QAction* a : window->actions())
            if (a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_K)) item = a;
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QStringLiteral("Calibration Check..."));
        item->trigger();
        check = window->Features().Check();
        ASSERT_NE(check, nullptr);
        ASSERT_TRUE(check->isVisible());
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    template <typename W = QPushButton>
    W* Find(const char* name) const {
        W* w = check->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Type(const char* field, const QString& text) {
        QLineEdit* edit = Find<QLineEdit>(field);
        edit->setText(text);
        emit edit->textEdited(text);
    }
    const CheckWindowModel& Model() const { return *window->Features().CheckModel(); }
    QString Label(const char* name) const { return Find<QLabel>(name)->text(); }

    // Measures points of a run started with `start`, putting each point's
    // value on the bench before accepting the reference shown.
    void Run(const char* start, int points) {
        Find(start)->click();
        ASSERT_TRUE(WaitUntil([&] { return Model().Check().CurrentPhase() == CalibrationCheck::Phase::Measuring; }, 4000))
            << Label("notice").toStdString();
        for (int k = 0; k < points; ++k) {
            const QString heading = Label("heading");
            const double nominal = Model().Check().Session().Nominal();
            device.WithDevice([&](sim::Transmitter& t) { t.ApplyInput(nominal); });
            ASSERT_TRUE(Find("accept")->isEnabled());
            Find("accept")->click();
            ASSERT_TRUE(WaitUntil([&] { return Label("heading") != heading; }, 8000)) << heading.toStdString();
        }
    }
    QStringList Column(int column) const {
        auto* table = Find<QTableWidget>("table");
        QStringList out;
        for (int r = 0; r < table->rowCount(); ++r) out << table->item(r, column)->text();
        return out;
    }

    QTemporaryDir config;
    QTemporaryDir dir;
    BoxWatcher boxes;
    sim::PtyDevice device;
    std::unique_ptr<CMyDlgWindow> window;
    CheckWindow* check = nullptr;
};

TEST_F(CheckWindowTest, AsFoundFailsTheOffsetIsCorrectedInTheDialogAndAsLeftPassesThenTheRecordOpensAgain) {
    device.WithDevice([](sim::Transmitter& t) { t.error.offset = 13.0; });  // 1 % of span
    Type("points", "0, 50, 100");
    Type("readings", "2");
    Type("technician", QStringLiteral("李伟"));
    Type("referenceName", QStringLiteral("Dry-block calibrator DB-650"));
    Type("referenceSerial", QStringLiteral("DB-23117"));
    Type("location", QStringLiteral("Boiler house, level 2"));
    Type("tag", QStringLiteral("TT-101 锅炉"));
    ASSERT_NO_FATAL_FAILURE(Run("asFound", 3));
    EXPECT_EQ(Column(8), (QStringList{"Fail", "Fail", "Fail"}));
    EXPECT_TRUE(Column(5).first().startsWith("13.") && Column(5).first().endsWith(QStringLiteral(" ℃")))
        << Column(5).first().toStdString();
    EXPECT_EQ(Find<QTableWidget>("table")->item(0, 8)->foreground().color(), QColor(200, 0, 0));
    EXPECT_FALSE(Find<QLineEdit>("points")->isEnabled());  // the record's points are fixed now

    // The technician corrects the offset with the dialog's own "Update".
    auto* offset = qobject_cast<QLineEdit*>(window->Control(id::Offset));
    ASSERT_TRUE(window->Control(id::UpdateOffset)->isEnabled());
    offset->setText("-13");
    qobject_cast<QPushButton*>(window->Control(id::UpdateOffset))->click();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty(); }, 4000));
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{"Update Success !"});

    ASSERT_NO_FATAL_FAILURE(Run("asLeft", 3));
    EXPECT_EQ(Column(8), (QStringList{"Fail", "Fail", "Fail", "Pass", "Pass", "Pass"}));
    EXPECT_EQ(Label("result"), QStringLiteral("Result: pass (as found: fail, as left: pass)"));
    EXPECT_TRUE(window->Control(id::AutoUpload)->isEnabled()) << "the check gave the poll back";
    const QString shots = qEnvironmentVariable("ORVANE_SCREENSHOT_DIR");
    if (!shots.isEmpty()) check->grab().save(shots + QStringLiteral("/orvane-check.png"));

    // Saved, cleared for the next device, opened again.
    const QString file = dir.filePath(QStringLiteral("TT-101 检定.json"));
    check->askForFile = [&](QWidget*, bool, const QString&, const QString&, const QString&) { return file; };
    Find("saveRecord")->click();
    Find("newCheck")->click();
    EXPECT_EQ(Find<QTableWidget>("table")->rowCount(), 0);
    EXPECT_TRUE(Find<QLineEdit>("points")->isEnabled());
    Find("openRecord")->click();
    EXPECT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(Column(8).size(), 6);
    EXPECT_EQ(Label("result"), QStringLiteral("Result: pass (as found: fail, as left: pass)"));
    EXPECT_EQ(Find<QLineEdit>("tag")->text(), QStringLiteral("TT-101 锅炉"));
    // The certificate of the record shown, without saving it first.
    const QString pdf = dir.filePath(QStringLiteral("TT-101 证书.pdf"));
    check->askForFile = [&](QWidget*, bool, const QString&, const QString&, const QString&) { return pdf; };
    Find("printCertificate")->click();
    QFile certificate(pdf);
    ASSERT_TRUE(certificate.open(QIODevice::ReadOnly));
    EXPECT_TRUE(certificate.read(5) == "%PDF-");

    // The next start of the program offers the same set-up.
    check->close();
    window.reset();
    QFile kept(config.filePath(QStringLiteral("orvane/check-setup.json")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(kept.readAll()).contains(QStringLiteral("李伟")));
}

TEST_F(CheckWindowTest, ADeviceThatFallsSilentLeavesAnIncompleteRunAndClosingTheWindowEndsOne) {
    Type("points", "0, 50, 100");
    Type("readings", "2");
    ASSERT_NO_FATAL_FAILURE(Run("asFound", 1));
    device.WithDevice([](sim::Transmitter& t) { t.faults.silent = true; });
    Find("accept")->click();
    ASSERT_TRUE(WaitUntil([&] { return Model().Check().CurrentPhase() == CalibrationCheck::Phase::Idle; }, 6000));
    EXPECT_TRUE(Label("notice").contains("stopped at point 2 of 3: the device stopped answering")) << Label("notice").toStdString();
    EXPECT_EQ(Column(8), QStringList{"Pass"});  // nothing measured is lost
    EXPECT_EQ(Label("result"), QStringLiteral("Result: incomplete (as found: incomplete, 1 of 3 points)"));
    EXPECT_FALSE(Find("accept")->isEnabled());
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{"Time Out !"});

    // The device answers again; a run is started and the window closed on it.
    device.WithDevice([](sim::Transmitter& t) { t.faults.silent = false; });
    Find("asLeft")->click();
    ASSERT_TRUE(WaitUntil([&] { return Model().Check().CurrentPhase() == CalibrationCheck::Phase::Measuring; }, 4000));
    EXPECT_FALSE(window->Control(id::AutoUpload)->isEnabled());
    check->close();
    EXPECT_EQ(Model().Check().CurrentPhase(), CalibrationCheck::Phase::Idle);
    EXPECT_EQ(Model().Check().Session().Record().runs.back().stopped, "aborted by the user");
    EXPECT_TRUE(window->Control(id::AutoUpload)->isEnabled());
}

}  // namespace
}  // namespace orv::app::qt
