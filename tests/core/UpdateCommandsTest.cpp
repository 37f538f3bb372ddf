#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "config/ParamFields.h"
#include "support/DialogHarness.h"
#include "support/Frames.h"
#include "support/SampleBlock.h"

namespace orv::test {
namespace {

using namespace app;
// The sample with a negative range start and calibration values of its own;
// all of them still survive the trip through the window, so the device's
// block is exactly what a write sends back.
Block DeviceBlock() {
    auto f = SampleFields();
    f.rangeZero = -200.0f;
    f.dampingLevel = 1;
    f.millivoltCal = 12217;
    f.ambientCal = 20460;
    f.currentCal = 9160;
    return ToBlock(f);
}

Bytes Slice(const Block& b, std::size_t start, std::size_t count) {
    return Bytes(b.begin() + start, b.begin() + start + count);
}

struct Connected : ::testing::Test {
    DialogHarness h;
    Block stored = DeviceBlock();
    Connected() {
        h.device.Block() = stored;
        h.Start();
        h.Click(id::UploadParams);  // a second read: range texts in their final form
        h.Advance(1000);
        h.window.messages.clear();
        h.comm.sent.clear();
    }
};

TEST_F(Connected, EveryWritingButtonSendsItsSliceOfTheBlock) {
    struct Case {
        int control;
        std::uint8_t start, count;
    };
    const Case cases[] = {
        {1052, 1, 1},  {1053, 2, 1},  {1054, 3, 1},  {1055, 4, 4},  {1056, 8, 4},  {1057, 27, 1},
        {1058, 12, 1}, {1059, 13, 1}, {1060, 14, 1}, {1093, 1, 13}, {1051, 0, 1},  {1022, 0, 36},
        {1035, 15, 4}, {1037, 19, 2}, {1038, 21, 2}, {1039, 23, 2}, {1040, 25, 2}, {1073, 28, 2},
        {1076, 30, 2}, {1067, 32, 2}, {1070, 34, 2},
    };
    for (const auto& c : cases) {
        h.window.messages.clear();
        h.comm.sent.clear();
        ASSERT_TRUE(h.dlg.OnCommand(c.control)) << c.control;
        ASSERT_EQ(h.comm.sent.size(), 1u) << c.control;
        EXPECT_EQ(h.LastFrame(), WriteFrame(c.start, Slice(stored, c.start, c.count))) << c.control;
        EXPECT_TRUE(h.window.TimerRunning(id::TimerWrite)) << c.control;
        EXPECT_EQ(h.window.TimerInterval(id::TimerWrite), 5000u) << c.control;
        h.Advance(1000);
        EXPECT_EQ(h.MessageTexts(), std::vector<std::string>{"Update Success !"}) << c.control;
        EXPECT_FALSE(h.window.TimerRunning(id::TimerWrite)) << c.control;
    }
    EXPECT_EQ(h.device.Block(), stored);
}

TEST_F(Connected, ASingleWriteSendsWhatTheWindowShowsNow) {
    struct Case {
        int control;  // the update button
        std::function<void(FakeWindow&)> edit;
        std::uint8_t start;
        Bytes data;
    };
    const Case cases[] = {
        {id::UpdateOffset, [](FakeWindow& w) { w.TypeText(id::Offset, "200"); }, 27, {0xC8}},
        {id::UpdateOffset, [](FakeWindow& w) { w.TypeText(id::Offset, "-129"); }, 27, {0x7F}},
        {id::UpdateMillivolt, [](FakeWindow& w) { w.TypeText(id::MillivoltCal, "12abc"); }, 19, {0x0C, 0x00}},
        {id::UpdateAmbient, [](FakeWindow& w) { w.TypeText(id::AmbientCal, ""); }, 21, {0x00, 0x00}},
        {id::UpdateOut1Zero, [](FakeWindow& w) { w.TypeText(id::Out1ZeroTrim, "-1"); }, 23, {0xFF, 0xFF}},
        {id::UpdateZero, [](FakeWindow& w) { w.TypeText(id::RangeZero, "0"); }, 4, {0x00, 0x00, 0x00, 0x00}},
        {id::UpdateWiring, [](FakeWindow& w) { w.ClickRadio(id::Wire2); }, 3, {2}},
        {id::UpdateCjc, [](FakeWindow& w) { w.ClickRadio(id::CjcExternal); }, 2, {0}},
        {id::UpdateDamping, [](FakeWindow& w) { w.SetCurSel(id::Damping, 9); }, 12, {9}},
        {id::UpdateBreakAlarm, [](FakeWindow& w) { w.ClickRadio(id::BreakLow); }, 13, {0}},
        {id::UpdateOutputDirection, [](FakeWindow& w) { w.ClickRadio(id::OutputReverse); }, 14, {0}},
        {id::UpdateInputType, [](FakeWindow& w) { w.SetCurSel(id::InputType, 16); }, 1, {32}},
    };
    for (const auto& c : cases) {
        h.comm.sent.clear();
        c.edit(h.window);
        h.Click(c.control);
        EXPECT_EQ(h.LastFrame(), WriteFrame(c.start, c.data)) << c.control;
        h.Advance(1000);
        EXPECT_EQ(Slice(h.device.Block(), c.start, c.data.size()), c.data) << c.control;
        // Reading back shows what the device stored.
        h.Click(id::UploadParams);
        h.Advance(1000);
        h.dlg.EncodeParams();
        EXPECT_EQ(Slice(h.dlg.ParamImage.bytes, c.start, c.data.size()), c.data) << c.control;
        h.device.Block() = stored;
        h.Click(id::UploadParams);
        h.Advance(1000);
    }
}

TEST_F(Connected, UpdateAllLeavesOutputDirectionAndOffsetToTheirOwnButtons) {
    h.window.ClickRadio(id::OutputReverse);
    h.window.TypeText(id::Offset, "7");
    h.window.ClickRadio(id::Wire4);
    h.Click(id::UpdateAll);
    ASSERT_EQ(h.LastFrame().size(), 4u + 13u + 1u);
    EXPECT_EQ(h.LastFrame()[3], 1);
    h.Advance(1000);
    EXPECT_EQ(h.device.Block()[3], 4);
    EXPECT_EQ(h.device.Block()[14], 1);
    EXPECT_EQ(h.device.Block()[27], 0xFB);
    EXPECT_TRUE(h.window.IsChecked(id::OutputReverse)) << "the window keeps the user's choice";

    h.Click(id::UploadParams);
    h.Advance(1000);
    EXPECT_TRUE(h.window.IsChecked(id::OutputNormal)) << "the device's old direction";
    EXPECT_EQ(h.window.GetControlText(id::Offset), "-5");
    EXPECT_TRUE(h.window.IsChecked(id::Wire4));
}

TEST_F(Connected, LoadBufferRestoresAnUnsentDampingLevel) {
    h.window.SetCurSel(id::Damping, 6);
    h.Click(id::UpdateZero);
    EXPECT_EQ(h.LastFrame(), WriteFrame(4, Slice(stored, 4, 4)));
    h.Advance(1000);
    EXPECT_EQ(h.device.Block()[12], 1) << "damping was not sent";
    h.window.SetCurSel(id::Damping, 3);
    h.Click(id::LoadBuffer);
    EXPECT_EQ(h.window.GetCurSel(id::Damping), 6);
    EXPECT_EQ(h.comm.sent.size(), 1u) << "Load Buffer sends nothing";
}

TEST_F(Connected, LoadBufferRestoresTheMainSettingsAndPutsTakenOverTextsBack) {
    h.window.TypeText(id::RangeFull, "500");
    h.Click(id::UpdateFull);  // takes the buffer with everything as it is now
    h.Advance(1000);

    h.window.SetCurSel(id::InputType, 9);
    h.window.ClickRadio(id::CjcExternal);
    h.window.ClickRadio(id::Wire2);
    h.window.TypeText(id::RangeZero, "1");
    h.window.TypeText(id::RangeFull, "2");
    h.window.ClickRadio(id::BreakLow);
    h.window.ClickRadio(id::OutputReverse);
    h.window.TypeText(id::Offset, "99");  // typed, never written
    h.window.SetCurSel(id::ModelList, 2);
    h.Click(id::LoadBuffer);

    EXPECT_EQ(h.window.GetCurSel(id::InputType), 0);
    EXPECT_TRUE(h.window.IsChecked(id::CjcInternal));
    EXPECT_TRUE(h.window.IsChecked(id::Wire3));
    EXPECT_EQ(h.window.GetControlText(id::RangeZero), "-200.0");
    EXPECT_EQ(h.window.GetControlText(id::RangeFull), "500");
    EXPECT_TRUE(h.window.IsChecked(id::BreakHigh));
    EXPECT_TRUE(h.window.IsChecked(id::OutputNormal));
    EXPECT_EQ(h.window.GetControlText(id::Offset), "-5");
    EXPECT_EQ(h.window.GetCurSel(id::ModelList), 2) << "the model list is left alone";
}

// A range start the window shows rounded survives a write of other settings;
// after the device changed underneath, Load Buffer's text stands for the value
// last written with it, not for its rounded reading.
TEST_F(Connected, UntouchedRangeIsWrittenAsReadAlsoAfterLoadBuffer) {
    auto f = config::ParamFields::Read(stored);
    f.rangeZero = -199.97f;
    stored = ToBlock(f);
    h.device.Block() = stored;
    h.Click(id::UploadParams);
    h.Advance(1000);
    ASSERT_EQ(h.window.GetControlText(id::RangeZero), "-200.0");

    h.window.SetCurSel(id::Damping, 6);
    h.Click(id::UpdateAll);
    h.Advance(1000);
    stored[12] = 6;
    EXPECT_EQ(h.device.Block(), stored);

    f.rangeZero = -150.0f;
    h.device.Block() = ToBlock(f);
    h.Click(id::UploadParams);
    h.Advance(1000);
    h.Click(id::LoadBuffer);
    ASSERT_EQ(h.window.GetControlText(id::RangeZero), "-200.0");
    h.Click(id::UpdateZero);
    EXPECT_EQ(h.LastFrame(), WriteFrame(4, Slice(stored, 4, 4)));
}

TEST_F(Connected, LoadBufferDoesNotReapplyTheTypeRules) {
    h.Click(id::UpdateInputType);  // TC K in the buffer
    h.Advance(1000);
    h.window.SetCurSel(id::InputType, 9);  // PT100: wiring on, CJC off, ℃ without ambient
    h.Click(id::InputType);
    ASSERT_TRUE(h.window.IsControlEnabled(id::UpdateWiring));
    h.Click(id::LoadBuffer);
    EXPECT_EQ(h.window.GetCurSel(id::InputType), 0);
    EXPECT_TRUE(h.window.IsControlEnabled(id::UpdateWiring));
    EXPECT_FALSE(h.window.IsControlEnabled(id::UpdateCjc));
    EXPECT_EQ(h.window.GetControlText(id::UnitAmbient), "");
}

}  // namespace
}  // namespace orv::test
