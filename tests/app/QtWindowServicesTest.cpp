// The window services as the core relies on them, on real widgets.
#include <QComboBox>
#include <QMessageBox>
#include <gtest/gtest.h>

#include "app/core/ControlIds.h"
#include "app/qt/CMyDlgWindow.h"
#include "link/serial/QtSerialComm.h"
#include "QtTestSupport.h"

namespace orv::app::qt {
namespace {

class ServicesTest : public ::testing::Test {
protected:
    CMyDlgWindow window{std::make_unique<link::QtSerialComm>([](int) { return std::string(); }), {}, false};
    QtWindowServices& s = window.Services();
};

TEST_F(ServicesTest, RadioGroupsCanBeShownWithNoButtonChecked) {
    s.SetChecked(id::Wire3, true);
    s.SetChecked(id::Wire4, true);
    EXPECT_FALSE(s.IsChecked(id::Wire3));  // the group stays exclusive
    s.SetChecked(id::Wire4, false);
    for (int radio : {id::Wire2, id::Wire3, id::Wire4}) EXPECT_FALSE(s.IsChecked(radio)) << radio;
    // and the user's clicks are exclusive again afterwards
    s.SetChecked(id::Wire2, true);
    s.SetChecked(id::Wire3, true);
    EXPECT_FALSE(s.IsChecked(id::Wire2));
}

TEST_F(ServicesTest, ListSelectionFollowsTheDialogListRules) {
    struct Case {
        int index;
        int expected;
    };
    for (const Case& c : {Case{3, 3}, Case{12, -1}, Case{-1, -1}, Case{9, 9}, Case{10, -1}}) {
        s.SetCurSel(id::Damping, c.index);
        EXPECT_EQ(s.GetCurSel(id::Damping), c.expected) << c.index;
    }
    // Refilling keeps the order of appending and selects nothing by itself.
    s.ResetContent(id::InputType);
    EXPECT_EQ(s.GetCurSel(id::InputType), -1);
    s.AddString(id::InputType, "Voltage");
    s.AddString(id::InputType, "Current");
    EXPECT_EQ(s.GetCount(id::InputType), 2);
    EXPECT_EQ(s.GetCurSel(id::InputType), -1);
    s.SetCurSel(id::InputType, 1);
    s.AddString(id::InputType, "x");
    EXPECT_EQ(s.GetCurSel(id::InputType), 1);
    EXPECT_EQ(qobject_cast<QComboBox*>(window.Control(id::InputType))->itemText(0), QStringLiteral("Voltage"));
}

TEST_F(ServicesTest, TextsRoundTripUtf8AndUnknownControlsAreErrors) {
    for (const std::string text : {"", "1300.0", "℃", "Ω", "-0.5x"}) {
        s.SetControlText(id::UnitZero, text);
        EXPECT_EQ(s.GetControlText(id::UnitZero), text);
    }
    EXPECT_THROW(s.SetControlText(4242, "x"), std::logic_error);
    EXPECT_THROW(s.GetCurSel(id::RangeZero), std::logic_error);  // an edit is not a list
    EXPECT_FALSE(s.IsControlEnabled(id::ModelList));
    s.EnableControl(id::ModelList, true);
    EXPECT_TRUE(s.IsControlEnabled(id::ModelList));
}

TEST_F(ServicesTest, TimersRepeatRestartAndStop) {
    std::vector<int> ticks;
    s.onTimer = [&](int timerId) { ticks.push_back(timerId); };
    s.SetTimer(4, 30);
    ASSERT_TRUE(apptest::WaitUntil([&] { return ticks.size() >= 3; }, 2000));
    s.KillTimer(4);
    const std::size_t stopped = ticks.size();
    apptest::Pump(100);
    EXPECT_EQ(ticks.size(), stopped);
    EXPECT_FALSE(s.TimerRunning(4));

    // Setting a running timer again starts its interval afresh.
    ticks.clear();
    s.SetTimer(16, 300);
    apptest::Pump(200);
    s.SetTimer(16, 300);
    apptest::Pump(200);
    EXPECT_TRUE(ticks.empty());
    ASSERT_TRUE(apptest::WaitUntil([&] { return !ticks.empty(); }, 2000));
    EXPECT_EQ(ticks.front(), 16);
    s.KillTimer(16);
}

TEST_F(ServicesTest, MessageBoxesCarryTheProgramNameIconAndAnOkButton) {
    apptest::BoxWatcher boxes;
    s.MessageBox("Time Out", MessageIcon::Exclamation);
    s.MessageBox("内部应用程序出错。", MessageIcon::Stop);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.boxes[1].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.boxes[1].text, QStringLiteral("内部应用程序出错。"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("app_tests"));
}

}  // namespace
}  // namespace orv::app::qt
