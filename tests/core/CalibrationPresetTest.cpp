#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <map>
#include <set>
#include <string>

#include "config/ParamFields.h"
#include "support/DialogHarness.h"
#include "support/SampleBlock.h"

namespace orv::test {
namespace {

namespace id = app::id;

// After Start the window shows the simulated device's 0..1300 range.
TEST(CalibrationPreset, LoadsTheFactoryConfigurationWithoutSendingAnything) {
    struct Case {
        int button;
        int position;
        const char* entry;
        std::map<int, std::string> texts;
        int cjcChecked;
        int wiringChecked;
        std::set<int> enabled;
    };
    const Case cases[]{
        {id::PresetVoltage, 16, "Voltage",
         {{1002, "0.0"}, {1003, "1000.0"}, {1071, "19088"}, {1047, "7"}},
         id::CjcExternal, id::Wire4, {1072, 1073, 1067, 1070}},
        // Full is formatted against the new Zero 4000 and the old Full 1300: span 2700.
        {id::PresetCurrent, 17, "Current",
         {{1002, "4000.0"}, {1003, "20000"}, {1074, "9160"}, {1047, "0"}},
         id::CjcExternal, id::Wire4, {1075, 1076, 1067, 1070}},
        {id::PresetResistance, 11, "R: 0 ~ 400",
         {{1002, "0.0"}, {1003, "400.0"}, {1015, "402.0"}, {1013, "400.5"}, {1047, "0"}},
         id::CjcExternal, id::Wire2, {1054, 1033, 1035, 1067, 1070}},
        {id::PresetThermocouple, 0, "TC- K",
         {{1002, "0.0"}, {1003, "1300.0"}, {1017, "12217"}, {1018, "20460"}, {1047, "0"}},
         id::CjcInternal, id::Wire4, {1053, 1036, 1037, 1050, 1038, 1067, 1070}},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.Start();
        // Stored values the presets must leave alone unless they name them.
        h.dlg.Values.Text(id::Offset) = "7";
        h.dlg.Values.cjc = 1;
        h.dlg.Values.wiring = 2;
        h.dlg.Values.breakAlarm = 0;
        h.dlg.Values.outputDirection = 1;
        h.window.SetCurSel(id::Damping, 0);
        h.window.TypeText(id::Out1ZeroTrim, "typed");  // never taken over
        const std::string trim = h.dlg.Values.Text(id::Out1ZeroTrim);
        const std::string unit = h.window.GetControlText(id::UnitZero);
        const auto sent = h.comm.sent.size();

        h.Click(c.button);

        EXPECT_EQ(h.window.GetCurSel(id::ModelList), 5) << c.entry;
        ASSERT_EQ(h.window.GetCurSel(id::InputType), c.position) << c.entry;
        EXPECT_EQ(h.window.ListEntries(id::InputType).size(), 18u);
        EXPECT_EQ(h.window.ListEntries(id::InputType)[c.position], c.entry);
        for (const auto& [control, text] : c.texts)
            EXPECT_EQ(h.window.GetControlText(control), text) << c.entry << " " << control;
        EXPECT_TRUE(h.window.IsChecked(c.cjcChecked)) << c.entry;
        EXPECT_TRUE(h.window.IsChecked(c.wiringChecked)) << c.entry;
        EXPECT_EQ(h.window.GetCurSel(id::Damping), 1);
        EXPECT_TRUE(h.window.IsChecked(id::BreakHigh));
        EXPECT_TRUE(h.window.IsChecked(id::OutputNormal));
        EXPECT_FALSE(h.window.IsChecked(id::OutputReverse));
        EXPECT_EQ(h.EnabledTypeButtons(), c.enabled) << c.entry;
        EXPECT_EQ(h.window.GetControlText(id::Out1ZeroTrim), trim);
        EXPECT_EQ(h.window.GetControlText(id::UnitZero), unit);
        EXPECT_EQ(h.comm.sent.size(), sent);
        EXPECT_TRUE(h.window.messages.empty());
    }
}

// A preset's values go to the device as the preset names them: not as their
// rounded texts, and not as the device's values that showed the same texts.
TEST(CalibrationPreset, WritesItsValuesExactly) {
    DialogHarness h;
    auto f = SampleFields();
    f.rangeZero = 0.02f;
    f.rangeFull = 400.0f;
    f.resistanceCal = 20101.0f;
    h.device.Block() = ToBlock(f);
    h.Start();
    h.Click(id::UploadParams);
    h.Advance(1000);
    ASSERT_EQ(h.window.GetControlText(id::RangeZero), "0.0");
    ASSERT_EQ(h.window.GetControlText(id::ResistanceCal), "402.0");

    h.Click(id::PresetResistance);
    h.dlg.EncodeParams();
    const auto written = config::ParamFields::Read(h.dlg.ParamImage.bytes);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(written.rangeZero), 0u);
    EXPECT_EQ(written.rangeFull, 400.0f);
    EXPECT_EQ(written.resistanceCal, 20102.201171875f);  // the factory constant, not 20100
}

TEST(CalibrationPreset, FormatsAgainstTheRangeTextsAsTheyStandRightAfterStart) {
    DialogHarness h;
    h.device.faults.silent = true;  // no read: the range texts are still empty
    h.Start();
    h.Click(id::PresetCurrent);
    EXPECT_EQ(h.window.GetControlText(id::RangeZero), "4000.0000");
    EXPECT_EQ(h.window.GetControlText(id::RangeFull), "20000");
    EXPECT_EQ(h.window.GetControlText(id::CurrentCal), "9160");
}

}  // namespace
}  // namespace orv::test
