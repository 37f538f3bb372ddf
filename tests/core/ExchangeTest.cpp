#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "support/DialogHarness.h"

namespace orv::test {
namespace {

using namespace app;

struct Group {
    int WindowSettings::*index;
    std::vector<int> buttons;
};

const std::vector<Group> kGroups{
    {&WindowSettings::cjc, {1006, 1007}},
    {&WindowSettings::wiring, {1008, 1009, 1010}},
    {&WindowSettings::breakAlarm, {1011, 1012}},
    {&WindowSettings::outputDirection, {1045, 1046}},
};

TEST(WindowSettings, StartsUncheckedAndEmptyWithThirtyOneDistinctTexts) {
    WindowSettings v;
    for (const auto& g : kGroups) EXPECT_EQ(v.*g.index, -1);
    const std::set<int> ids(kBoundTextIds.begin(), kBoundTextIds.end());
    EXPECT_EQ(ids.size(), 31u);
    EXPECT_EQ(v.texts.size(), 31u);
    for (int id : kBoundTextIds) EXPECT_EQ(v.Text(id), "");
    for (int id : {1002, 1003, 1047, 1004, 1013, 1049, 1026, 1030, 1068}) EXPECT_TRUE(ids.count(id)) << id;
    EXPECT_THROW(v.Text(1005), std::out_of_range);  // a list, not a bound text
}

// Every index, including none and one past the group, must survive a show
// and a collect: stale checks and stale indices are the faults to catch.
TEST(Exchange, RadioGroupsShowTheIndexedButtonAndCollectItsPositionOrMinusOne) {
    for (const auto& g : kGroups) {
        const int size = static_cast<int>(g.buttons.size());
        for (int index = -1; index <= size; ++index) {
            DialogHarness h;
            for (int b : g.buttons) h.window.SetChecked(b, true);
            h.dlg.Values.*g.index = index;
            h.dlg.ShowSettings();
            for (int k = 0; k < size; ++k)
                EXPECT_EQ(h.window.IsChecked(g.buttons[k]), k == index) << "button " << g.buttons[k] << " index " << index;
            h.dlg.Values.*g.index = 7;
            h.dlg.CollectSettings();
            EXPECT_EQ(h.dlg.Values.*g.index, index < size ? index : -1) << "group of " << g.buttons[0];
        }
    }
}

TEST(Exchange, TextsMoveAllAtOnceInBothDirections) {
    DialogHarness h;
    for (int id : kBoundTextIds) h.window.TypeText(id, "typed " + std::to_string(id));
    h.dlg.CollectSettings();
    for (int id : kBoundTextIds) EXPECT_EQ(h.dlg.Values.Text(id), "typed " + std::to_string(id));

    for (int id : kBoundTextIds) h.dlg.Values.Text(id) = "值 " + std::to_string(id);
    h.window.TypeText(id::RangeZero, "-999");  // typed after the collect
    h.dlg.ShowSettings();
    for (int id : kBoundTextIds) EXPECT_EQ(h.window.GetControlText(id), "值 " + std::to_string(id));
}

TEST(Exchange, ExitCollectsBeforeClosing) {
    DialogHarness h;
    h.window.ClickRadio(1009);
    h.window.TypeText(id::Offset, "3");
    h.dlg.OnOK();
    EXPECT_EQ(h.dlg.Values.wiring, 1);
    EXPECT_EQ(h.dlg.Values.Text(id::Offset), "3");
}

}  // namespace
}  // namespace orv::test
