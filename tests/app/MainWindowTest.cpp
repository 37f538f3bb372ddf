// The main window against the simulated transmitter on a pseudo-terminal,
// through the real serial link and real widgets.
#include <algorithm>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "app/qt/CAboutDlg.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/SimulatedBridge.h"
#include "link/serial/QtSerialComm.h"
#include "sim/PtyDevice.h"
#include "QtTestSupport.h"

namespace orv::app::qt {
namespace {

using apptest::BoxWatcher;
using apptest::FrameLog;
using apptest::WaitUntil;

constexpr int kAnswerWaitMs = 4000;

class MainWindowTest : public ::testing::Test {
protected:
    void Open(std::function<int()> discovery, bool factory = false) {
        device.SetLog(log.Sink());
        window = std::make_unique<CMyDlgWindow>(
            std::make_unique<link::QtSerialComm>(SimulatedPortResolver(device.SlavePath())), std::move(discovery),
            factory);
        window->Initialise();
        window->show();
    }
    // Opens with the bridge found, and waits for the start-up read to land.
    void OpenConnected(bool factory = false) {
        Open(FindSimulatedBridgePort, factory);
        ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kAnswerWaitMs));
    }
    // A choice the user makes in a list, with the signal a click sends.
    void Pick(int listId, int index) {
        List(listId)->setCurrentIndex(index);
        emit List(listId)->activated(index);
    }
    QString Text(int controlId) const { return qobject_cast<QLineEdit*>(window->Control(controlId))->text(); }
    QComboBox* List(int controlId) const { return qobject_cast<QComboBox*>(window->Control(controlId)); }
    QAbstractButton* Button(int controlId) const { return qobject_cast<QAbstractButton*>(window->Control(controlId)); }
    bool Connected() const { return !window->Control(id::Connection)->isEnabled(); }
    void Key(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }

    BoxWatcher boxes;
    FrameLog log;
    sim::PtyDevice device;
    std::unique_ptr<CMyDlgWindow> window;
};

TEST_F(MainWindowTest, StartUpWithABridgeConnectsAndFillsTheWindow) {
    Open(FindSimulatedBridgePort);
    EXPECT_EQ(List(id::PortList)->currentText(), QStringLiteral("COM1"));
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kAnswerWaitMs));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(Text(id::RangeZero), QStringLiteral("0.0000"));
    EXPECT_EQ(Text(id::RangeFull), QStringLiteral("1300.0000"));
    EXPECT_EQ(List(id::InputType)->currentIndex(), 0);
    EXPECT_FALSE(List(id::PortList)->isEnabled());
    EXPECT_FALSE(Button(id::LoadBuffer)->isEnabled());
    EXPECT_FALSE(Button(id::UpdateAll)->isEnabled());

    // A second read formats with the range it now knows.
    Button(id::UploadParams)->click();
    ASSERT_TRUE(WaitUntil([&] { return Text(id::RangeFull) == QStringLiteral("1300.0"); }, kAnswerWaitMs));
    EXPECT_EQ(Text(id::RangeZero), QStringLiteral("0.0"));
    EXPECT_TRUE(Connected());
    EXPECT_FALSE(List(id::PortList)->isEnabled());
}

TEST_F(MainWindowTest, StartUpWithoutABridgeAsksForAPortBeforeTheWindowShows) {
    bool windowVisibleDuringBox = true;
    QTimer::singleShot(0, [&] { windowVisibleDuringBox = window && window->isVisible(); });
    Open([] { return 0; });
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_FALSE(windowVisibleDuringBox);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Auto Connected to Device fail, Please designated ports!"));
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("app_tests"));

    EXPECT_EQ(List(id::PortList)->currentText(), QStringLiteral("COM2"));
    for (int radio : {id::CjcInternal, id::CjcExternal, id::Wire2, id::Wire3, id::Wire4, id::BreakLow, id::BreakHigh,
                      id::OutputNormal, id::OutputReverse})
        EXPECT_FALSE(Button(radio)->isChecked()) << radio;
    for (int edit : {id::RangeZero, id::RangeFull, id::Offset, id::AmbientValue, id::MeasuredValue, id::UnitZero,
                     id::UnitFull, id::UnitAmbient, id::UnitMeasured})
        EXPECT_TRUE(Text(edit).isEmpty()) << edit;
    EXPECT_FALSE(Button(id::LoadBuffer)->isEnabled());
    EXPECT_FALSE(Button(id::UpdateAll)->isEnabled());

    // The user picks the simulated port and connects by hand.
    Pick(id::PortList, kSimulatedPort);
    Button(id::Connection)->click();
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, kAnswerWaitMs));
    EXPECT_EQ(Text(id::RangeFull), QStringLiteral("1300.0000"));
    EXPECT_FALSE(List(id::PortList)->isEnabled());
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(MainWindowTest, ConnectingToAPortThatDoesNotExistShowsTheComponentsError) {
    Open([] { return 0; });
    List(id::PortList)->setCurrentIndex(0);  // "COM0" names no device
    Button(id::Connection)->click();
    ASSERT_TRUE(WaitUntil([&] { return boxes.boxes.size() == 2; }, kAnswerWaitMs));
    EXPECT_EQ(boxes.boxes[1].icon, QMessageBox::Critical);
    EXPECT_FALSE(boxes.boxes[1].text.isEmpty());
    EXPECT_TRUE(Button(id::Connection)->isEnabled());
}

TEST_F(MainWindowTest, EachWritingButtonPutsItsFrameOnTheWire) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const QString success = QStringLiteral("Update Success !");
    struct Case {
        int button;
        std::string frameStart;  // as the device logs the request
        QString answer;          // the box its answer brings; empty: none
        int pickInputType = -1;  // the user's choice before the click, as the button's rule needs
    };
    const Case cases[] = {
        {id::UpdateCjc, "-> 00 10 02 02", success},  // thermocouple (TC K) as read
        {id::UpdateWiring, "-> 00 10 02 03", success, 9},  // PT100
        {id::UpdateInputType, "-> 00 10 02 01", success},
        {id::UpdateZero, "-> 00 10 05 04", success},
        {id::UpdateFull, "-> 00 10 05 08", success},
        {id::UpdateDamping, "-> 00 10 02 0C", success},
        {id::UpdateBreakAlarm, "-> 00 10 02 0D", success},
        {id::UpdateOutputDirection, "-> 00 10 02 0E", success},
        {id::UpdateOffset, "-> 00 10 02 1B", success},
        {id::UpdateAll, "-> 00 10 0E 01", success},
        {id::RecFactory, "-> 00 11 05 03", QStringLiteral("Recovery Factory Set Success !")},
        {id::UploadParams, "-> 00 03", {}},
        {id::Restart, "-> 00 11 05 04", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        if (c.pickInputType >= 0) Pick(id::InputType, c.pickInputType);
        ASSERT_TRUE(Button(c.button)->isEnabled());
        const std::size_t answered = boxes.boxes.size();
        const std::size_t logged = log.Size();
        Button(c.button)->click();
        ASSERT_TRUE(WaitUntil([&] { return log.Size() > logged && log.Contains(c.frameStart); }, kAnswerWaitMs));
        // Let the answer land before the next request replaces this one.
        if (c.answer.isEmpty()) {
            apptest::Pump(700);
            EXPECT_EQ(boxes.boxes.size(), answered);
        } else {
            ASSERT_TRUE(WaitUntil([&] { return boxes.boxes.size() > answered; }, kAnswerWaitMs));
            EXPECT_EQ(boxes.boxes.back().text, c.answer);
        }
    }
}

TEST_F(MainWindowTest, EnterInAnEditCollectsAndClosesEscapeClosesWithout) {
    struct Case {
        int key;
        QDialog::DialogCode result;
        bool collected;
    };
    const Case cases[] = {{Qt::Key_Return, QDialog::Accepted, true}, {Qt::Key_Escape, QDialog::Rejected, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Open([] { return 0; });
        auto* zero = qobject_cast<QLineEdit*>(window->Control(id::RangeZero));
        zero->setFocus();
        zero->setText(QStringLiteral("12.5"));
        Key(zero, c.key);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), c.result);
        EXPECT_EQ(app::CMyDlgPrivate::Of(window->Core()).Values.Text(id::RangeZero), c.collected ? "12.5" : "");
        window.reset();
    }
    // Nothing goes to the device on closing.
    EXPECT_FALSE(log.Contains("->"));
}

TEST_F(MainWindowTest, WindowMenuEndsWithTheAboutItemAfterASeparator) {
    Open([] { return 0; });
    const std::unique_ptr<QMenu> menu = window->CreateWindowMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.back()->text(), QStringLiteral("about Orvane Revuvuvi(&A)..."));

    CAboutDlg about(window.get());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Orvane"));
    bool hasText = false;
    bool hasIcon = false;
    for (auto* label : about.findChildren<QLabel*>()) {
        hasText |= label->text() == QStringLiteral("Orvane Revuvuvi v3.02");
        hasIcon |= !label->pixmap().isNull();
    }
    EXPECT_TRUE(hasText);
    EXPECT_TRUE(hasIcon);
    auto* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    about.show();
    ok->click();
    EXPECT_FALSE(about.isVisible());
}

TEST_F(MainWindowTest, FactoryBuildShowsAndEnablesThePanel) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected(true));
    for (int control : {id::ModelList, id::UpdateModel, id::UpdateAllSettings, id::PresetCurrent, id::TrimDefaults,
                        id::PresetResistance, id::PresetThermocouple, id::PresetVoltage, id::SimulateZero,
                        id::SimulateFull, id::RefResistance, id::RefTemperature, id::Out1ZeroSim}) {
        EXPECT_TRUE(window->Control(control)->isVisible()) << control;
        EXPECT_TRUE(window->Control(control)->isEnabled()) << control;
    }
    EXPECT_EQ(List(id::ModelList)->currentIndex(), 5);

    // A preset fills the panel without talking to the device.
    const std::size_t logged = log.Size();
    Button(id::PresetThermocouple)->click();
    EXPECT_EQ(Text(id::MillivoltCal), QStringLiteral("12217"));
    EXPECT_EQ(Text(id::AmbientCal), QStringLiteral("20460"));
    apptest::Pump(100);
    EXPECT_EQ(log.Size(), logged);
}

// What the device stores, read under its lock: little-endian 16-bit at addr.
int StoredU16(sim::PtyDevice& device, int addr) {
    int value = 0;
    device.WithDevice([&](sim::Transmitter& t) { value = t.Block()[addr] | (t.Block()[addr + 1] << 8); });
    return value;
}

TEST_F(MainWindowTest, FactoryCalibrationAndTrimWalkThroughReachTheDevice) {
    // The bench puts 80 mV on the thermocouple terminals, as the factory does.
    device.WithDevice([](sim::Transmitter& t) {
        t.bench.thermocoupleFromTemperature = false;
        t.bench.millivolts = 80.0;
        t.bench.drift = 0.0;
    });
    int trueMillivolt = 0, trueOut1Zero = 0;
    device.WithDevice([&](sim::Transmitter& t) {
        trueMillivolt = t.truth.millivoltCounts;
        trueOut1Zero = t.truth.out1Zero;
    });
    ASSERT_NO_FATAL_FAILURE(OpenConnected(true));
    const QString success = QStringLiteral("Update Success !");

    // Input calibration: view the thermocouple/mV constant, then store it.
    ASSERT_TRUE(Button(id::ViewMillivolt)->isEnabled());
    Button(id::ViewMillivolt)->click();
    ASSERT_TRUE(WaitUntil([&] { return Text(id::MillivoltCal) == QString::number(trueMillivolt); }, kAnswerWaitMs));
    Button(id::UpdateMillivolt)->click();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.boxes.empty(); }, kAnswerWaitMs));
    EXPECT_EQ(boxes.boxes.back().text, success);
    EXPECT_EQ(StoredU16(device, 19), trueMillivolt);

    // Output trim: defaults, a trial value driven on output 1, then stored.
    Button(id::TrimDefaults)->click();
    EXPECT_EQ(Text(id::Out1ZeroSim), QStringLiteral("915"));
    qobject_cast<QLineEdit*>(window->Control(id::Out1ZeroSim))->setText(QString::number(trueOut1Zero));
    Button(id::SimulateZero)->click();
    ASSERT_TRUE(WaitUntil([&] { return boxes.boxes.size() == 2; }, kAnswerWaitMs));
    EXPECT_EQ(boxes.boxes.back().text, QStringLiteral("Set Output Current 4mA"));
    double out1 = 0.0;
    device.WithDevice([&](sim::Transmitter& t) { out1 = t.Outputs().out1; });
    EXPECT_NEAR(out1, 4.0, 0.0005);
    EXPECT_EQ(Text(id::Out1ZeroTrim), QString::number(trueOut1Zero));
    Button(id::UpdateOut1Zero)->click();
    ASSERT_TRUE(WaitUntil([&] { return boxes.boxes.size() == 3; }, kAnswerWaitMs));
    EXPECT_EQ(boxes.boxes.back().text, success);
    EXPECT_EQ(StoredU16(device, 23), trueOut1Zero);
}

TEST_F(MainWindowTest, AutoUploadShowsLiveValuesUntilStopped) {
    ASSERT_NO_FATAL_FAILURE(OpenConnected());
    const std::size_t polled = log.Size();
    Button(id::AutoUpload)->click();
    EXPECT_FALSE(Button(id::AutoUpload)->isEnabled());
    EXPECT_FALSE(Button(id::UploadParams)->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return !Text(id::MeasuredValue).isEmpty(); }, kAnswerWaitMs));
    EXPECT_FALSE(Text(id::AmbientValue).isEmpty());  // TC K shows the cold junction
    bool ok = false;
    Text(id::MeasuredValue).toDouble(&ok);
    EXPECT_TRUE(ok) << Text(id::MeasuredValue).toStdString();
    // A second poll a second later.
    ASSERT_TRUE(WaitUntil([&] {
        const auto lines = log.Lines();
        return std::count(lines.begin() + static_cast<long>(polled), lines.end(), std::string("-> 00 04 00 3B")) >= 2;
    }, 3000));
    Button(id::StopUpload)->click();
    EXPECT_TRUE(Button(id::AutoUpload)->isEnabled());
    EXPECT_TRUE(Button(id::UploadParams)->isEnabled());
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace orv::app::qt
