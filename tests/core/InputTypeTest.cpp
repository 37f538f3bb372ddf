#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/DialogHarness.h"

namespace orv::test {
namespace {

using namespace app;

const std::string kM1 = "Device does not support the Input Type, need to reinstall Input types";
const std::string kAnomaly = "Device input type choice anomaly";

const std::vector<std::string> kSensorList{"TC- K",       "TC- E",       "TC- S",        "TC- B",
                                           "TC- R",       "TC- J",       "TC- T",        "TC- N",
                                           "mV: -80 ~ 80mV", "RTD - PT100", "RTD - Cu50", "R: 0 ~ 400",
                                           "RTD - PT200", "RTD - PT500", "RTD - PT1000", "R: 0 ~ 4K"};

struct Mapping {
    int model;
    int in;  // code or position
    int out;
    const char* message;  // nullptr: none
};

TEST(CodeToTypeIndex, MapsEveryModelAndCode) {
    const Mapping cases[] = {
        {0, 32, 0, nullptr},    {1, 33, 1, nullptr},     {0, 5, -1, kM1.c_str()},  {1, 31, -1, kM1.c_str()},
        {0, 34, -1, kM1.c_str()}, {0, 8, -1, kM1.c_str()}, {2, 0, 0, nullptr},      {3, 4, 4, nullptr},
        {2, 15, 8, nullptr},    {2, 16, 9, nullptr},     {3, 17, 10, nullptr},     {2, 23, 11, nullptr},
        {2, 26, 14, nullptr},   {3, 31, 15, nullptr},    {2, 32, -1, kM1.c_str()}, {3, 33, -1, kM1.c_str()},
        {2, 8, -1, kM1.c_str()}, {3, 27, -1, kM1.c_str()}, {4, 32, 16, nullptr},    {5, 33, 17, nullptr},
        {4, 20, 17, nullptr},   {5, 8, 17, nullptr},     {4, 30, 17, nullptr},     {4, 34, -1, kM1.c_str()},
        {5, 255, -1, kM1.c_str()}, {4, 7, 7, nullptr},   {5, 31, 15, nullptr},
        // A model byte the tool does not know maps as the universal models do.
        {255, 0, 0, nullptr},   {6, 32, 16, nullptr},    {255, 12, 17, nullptr},   {-1, 40, -1, kM1.c_str()},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        EXPECT_EQ(h.dlg.CodeToTypeIndex(c.model, c.in), c.out) << "model " << c.model << " code " << c.in;
        const auto expected = c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{};
        EXPECT_EQ(h.MessageTexts(), expected) << "model " << c.model << " code " << c.in;
        if (c.message) {
            EXPECT_EQ(h.window.messages[0].icon, MessageIcon::Exclamation);
        }
    }
}

TEST(TypeIndexToCode, MapsEveryModelAndPosition) {
    const Mapping cases[] = {
        {0, 0, 32, nullptr},          {1, 1, 33, nullptr},          {0, 2, 2, kM1.c_str()},
        {1, -1, -1, kM1.c_str()},     {2, -1, -1, nullptr},         {2, 0, 0, nullptr},
        {3, 7, 7, nullptr},           {2, 8, 15, nullptr},          {2, 9, 16, nullptr},
        {3, 10, 17, nullptr},         {2, 11, 23, nullptr},         {3, 14, 26, nullptr},
        {2, 15, 31, nullptr},         {2, 16, 16, kM1.c_str()},     {3, 17, 17, kM1.c_str()},
        {4, -1, -1, nullptr},         {5, 8, 15, nullptr},          {4, 15, 31, nullptr},
        {4, 16, 32, nullptr},         {5, 17, 33, nullptr},         {4, 40, 33, nullptr},
        {255, 3, 3, kAnomaly.c_str()}, {-1, -1, -1, kAnomaly.c_str()}, {6, 0, 0, kAnomaly.c_str()},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        EXPECT_EQ(h.dlg.TypeIndexToCode(c.model, c.in), c.out) << "model " << c.model << " position " << c.in;
        const auto expected = c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{};
        EXPECT_EQ(h.MessageTexts(), expected) << "model " << c.model << " position " << c.in;
    }
}

TEST(TypeIndexToCode, InvertsCodeToTypeIndexForEveryOfferedType) {
    DialogHarness h;
    for (int model = 0; model <= 5; ++model) {
        for (int code = 0; code <= 40; ++code) {
            const int position = h.dlg.CodeToTypeIndex(model, code);
            if (position < 0) continue;
            const int back = h.dlg.TypeIndexToCode(model, position);
            // Universal models fold unknown codes into Current.
            if (back != code) {
                EXPECT_TRUE(model >= 4 && back == 33) << model << '/' << code;
            }
        }
    }
}

TEST(FillInputTypeList, FillsPerModelAndSelects) {
    struct Case {
        int model, position;
        std::vector<std::string> entries;
        int selected;
    };
    auto universal = kSensorList;
    universal.push_back("Voltage");
    universal.push_back("Current");
    const Case cases[] = {
        {0, 0, {"Voltage", "Current"}, 0},
        {1, 5, {"Voltage", "Current"}, 1},
        {0, -1, {"Voltage", "Current"}, -1},
        {2, 17, kSensorList, 15},
        {3, 9, kSensorList, 9},
        {4, 16, universal, 16},
        {5, 99, universal, 17},
        {5, -1, universal, -1},
        {255, 3, {}, -1},
        {-1, 0, {}, -1},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.dlg.FillInputTypeList(c.model, c.position);
        EXPECT_EQ(h.window.ListEntries(id::InputType), c.entries) << c.model << '/' << c.position;
        EXPECT_EQ(h.window.GetCurSel(id::InputType), c.selected) << c.model << '/' << c.position;
    }
}

TEST(ApplyTypeRules, EnablesTheButtonsOfTheTypeAndTheSecondOutput) {
    struct Case {
        int model, position;
        std::set<int> enabled;
    };
    const std::set<int> tc{1053, 1036, 1037, 1050, 1038};
    const std::set<int> out2{1067, 1070};
    auto with = [](std::set<int> a, const std::set<int>& b) {
        a.insert(b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {0, 0, {1072, 1073}},
        {1, 0, with({1072, 1073}, out2)},
        {1, 1, with({1075, 1076}, out2)},
        {0, 2, {}},
        {2, 0, tc},
        {3, 4, with(tc, out2)},
        {2, 8, {1036, 1037}},
        {3, 9, with({1054, 1033, 1035}, out2)},
        {2, 15, {1054, 1033, 1035}},
        {2, 16, {}},  // no such entry for this model
        {3, 16, out2},
        {4, 16, {1072, 1073}},
        {5, 17, with({1075, 1076}, out2)},
        {5, 18, out2},
        {5, 11, with({1054, 1033, 1035}, out2)},
        {3, -1, {}},  // nothing selected: everything off, second output too
        {255, 0, {}},
        {-1, 5, {}},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        // Start from everything on so that disabling is checked as well.
        for (int b : kTypeButtons) h.window.EnableControl(b, true);
        h.dlg.ApplyTypeRules(c.model, c.position);
        EXPECT_EQ(h.EnabledTypeButtons(), c.enabled) << c.model << '/' << c.position;
    }
}

TEST(ShowUnitLabels, FollowsTheTypeOfTheEntry) {
    struct Case {
        int model, position;
        const char* unit;
        const char* ambient;
    };
    const Case cases[] = {
        {0, 0, "V", ""},      {1, 1, "mA", ""},     {2, 0, "℃", "℃"},    {3, 7, "℃", "℃"},
        {2, 8, "uV", ""},     {4, 9, "℃", ""},      {5, 14, "℃", ""},     {2, 11, "Ω", ""},
        {5, 15, "Ω", ""},     {4, 16, "V", ""},     {5, 17, "mA", ""},
        // No model known: the start-up list is in catalogue order.
        {-1, 12, "℃", ""},    {-1, 16, "V", ""},
        // Nothing to show: the labels keep their text.
        {0, 2, "keep", "keep"}, {2, -1, "keep", "keep"}, {5, 18, "keep", "keep"},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        for (int label : {id::UnitZero, id::UnitFull, id::UnitOffset, id::UnitAmbient, id::UnitMeasured})
            h.dlg.Values.Text(label) = "keep";
        h.dlg.ShowUnitLabels(c.model, c.position);
        for (int label : {id::UnitZero, id::UnitFull, id::UnitOffset, id::UnitMeasured})
            EXPECT_EQ(h.window.GetControlText(label), c.unit) << c.model << '/' << c.position << " label " << label;
        EXPECT_EQ(h.window.GetControlText(id::UnitAmbient), c.ambient) << c.model << '/' << c.position;
    }
}

// Device answers as the decode sees them: model and code, the rest plausible.
struct DeviceType {
    int model, code;
    std::vector<std::string> messages;
    int selected;
    std::set<int> enabled;
    const char* unit;
};

TEST(DecodedInputType, DrivesListButtonsAndLabels) {
    const DeviceType cases[] = {
        {1, 32, {}, 0, {1072, 1073, 1067, 1070}, "V"},
        {2, 32, {kM1}, -1, {}, "℃"},
        {4, 20, {}, 17, {1075, 1076}, "mA"},
        {4, 34, {kM1}, -1, {}, "℃"},
        {0, 5, {kM1}, -1, {}, "℃"},
        {3, 4, {}, 4, {1053, 1036, 1037, 1050, 1038, 1067, 1070}, "℃"},
        {5, 31, {}, 15, {1054, 1033, 1035, 1067, 1070}, "Ω"},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.dlg.Values.Text(id::UnitZero) = "℃";
        std::array<std::uint8_t, 36> block{};
        block[0] = static_cast<std::uint8_t>(c.model);
        block[1] = static_cast<std::uint8_t>(c.code);
        h.dlg.DecodeParams(block);
        EXPECT_EQ(h.MessageTexts(), c.messages) << c.model << '/' << c.code;
        EXPECT_EQ(h.window.GetCurSel(id::ModelList), c.model);
        EXPECT_EQ(h.window.GetCurSel(id::InputType), c.selected) << c.model << '/' << c.code;
        EXPECT_EQ(h.EnabledTypeButtons(), c.enabled) << c.model << '/' << c.code;
        EXPECT_EQ(h.window.GetControlText(id::UnitZero), c.unit) << c.model << '/' << c.code;
    }
}

TEST(DecodedInputType, ModelAboveFiveLeavesBothListsEmptyOfChoices) {
    DialogHarness h;
    std::array<std::uint8_t, 36> block{};
    block[0] = 255;
    block[1] = 16;
    h.dlg.DecodeParams(block);
    EXPECT_EQ(h.window.GetCurSel(id::ModelList), -1);
    EXPECT_TRUE(h.window.ListEntries(id::InputType).empty());
    EXPECT_EQ(h.window.GetCurSel(id::InputType), -1);
    EXPECT_TRUE(h.EnabledTypeButtons().empty());
    EXPECT_TRUE(h.MessageTexts().empty());
}

TEST(InputTypeHandlers, ModelChangeClearsTheTypeAndDisablesItsButtons) {
    DialogHarness h;
    h.window.SetCurSel(id::ModelList, 3);
    h.dlg.Values.Text(id::UnitZero) = "V";
    h.dlg.OnCommand(id::ModelList);
    EXPECT_EQ(h.window.ListEntries(id::InputType), kSensorList);
    EXPECT_EQ(h.window.GetCurSel(id::InputType), -1);
    EXPECT_TRUE(h.EnabledTypeButtons().empty());
    EXPECT_EQ(h.window.GetControlText(id::UnitZero), "") << "labels are not redisplayed";
    EXPECT_TRUE(h.comm.sent.empty());
}

TEST(InputTypeHandlers, TypeChangeAppliesRulesAndPutsTakenOverTextsBack) {
    DialogHarness h;
    h.dlg.FillInputTypeList(5, 0);
    h.window.SetCurSel(id::ModelList, 5);
    h.dlg.Values.Text(id::RangeFull) = "1300.0";
    h.window.TypeText(id::RangeFull, "999");  // typed, not taken over
    h.window.SetCurSel(id::InputType, 9);     // PT100
    h.dlg.OnCommand(id::InputType);
    EXPECT_EQ(h.EnabledTypeButtons(), (std::set<int>{1054, 1033, 1035, 1067, 1070}));
    EXPECT_EQ(h.window.GetControlText(id::RangeFull), "1300.0");
    EXPECT_EQ(h.window.GetControlText(id::UnitFull), "℃");
    EXPECT_EQ(h.window.GetControlText(id::UnitAmbient), "");
    EXPECT_TRUE(h.comm.sent.empty());
}

TEST(InputTypeHandlers, StartUpListWithoutModelShowsUnitsButEnablesNothing) {
    DialogHarness h;
    h.window.SetCurSel(id::InputType, 17);  // "Current" of the start-up list
    h.dlg.OnCommand(id::InputType);
    EXPECT_EQ(h.window.GetControlText(id::UnitMeasured), "mA");
    EXPECT_TRUE(h.EnabledTypeButtons().empty());
}

}  // namespace
}  // namespace orv::test
