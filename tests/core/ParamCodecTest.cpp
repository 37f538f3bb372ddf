#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <limits>
#include <string>
#include <vector>

#include "config/ParamFields.h"
#include "support/DialogHarness.h"
#include "support/SampleBlock.h"

namespace orv::test {
namespace {

using namespace app;
TEST(DecodeParams, FirstReadFormatsWithTheEmptyRangeAndASecondWithTheNewOne) {
    DialogHarness h;
    const Block block = ToBlock(SampleFields());
    h.dlg.DecodeParams(block);
    EXPECT_EQ(h.window.GetControlText(id::RangeZero), "0.0000");
    EXPECT_EQ(h.window.GetControlText(id::RangeFull), "1300.0000");
    EXPECT_EQ(h.window.GetControlText(id::ResistanceCal), "20.0");  // by then the span is 1300
    h.dlg.DecodeParams(block);
    EXPECT_EQ(h.window.GetControlText(id::RangeZero), "0.0");
    EXPECT_EQ(h.window.GetControlText(id::RangeFull), "1300.0");
}

TEST(DecodeParams, ShowsEveryFieldInItsControls) {
    DialogHarness h;
    h.dlg.DecodeParams(ToBlock(SampleFields()));
    const std::vector<std::pair<int, std::string>> texts{
        {id::MillivoltCal, "-300"}, {id::AmbientCal, "40000"}, {id::Out1ZeroTrim, "915"},
        {id::Out1ZeroSim, "915"},   {id::Out1FullTrim, "4700"}, {id::Out1FullSim, "4700"},
        {id::Offset, "-5"},         {id::VoltageCal, "19088"},  {id::CurrentCal, "-9160"},
        {id::Out2ZeroTrim, "916"},  {id::Out2ZeroSim, "916"},   {id::Out2FullTrim, "4701"},
        {id::Out2FullSim, "4701"},  {id::UnitZero, "℃"},        {id::UnitAmbient, "℃"},
    };
    for (const auto& [control, text] : texts) EXPECT_EQ(h.window.GetControlText(control), text) << control;
    EXPECT_EQ(h.window.GetCurSel(id::ModelList), 5);
    EXPECT_EQ(h.window.GetCurSel(id::InputType), 0);
    EXPECT_EQ(h.window.GetCurSel(id::Damping), 2);
    EXPECT_TRUE(h.window.IsChecked(id::CjcInternal));
    EXPECT_TRUE(h.window.IsChecked(id::Wire3));
    EXPECT_TRUE(h.window.IsChecked(id::BreakHigh));
    EXPECT_TRUE(h.window.IsChecked(id::OutputNormal));
    EXPECT_TRUE(h.MessageTexts().empty());
}

TEST(DecodeParams, MapsEveryByteValueOfTheEnumerations) {
    struct Case {
        std::uint8_t cjcMode, wireCount, damping, breakAlarm, outputDirection;
        int cjc, wiring, dampingSel, breakIndex, outputIndex;
    };
    const Case cases[] = {
        {1, 2, 0, 0, 1, 0, 0, 0, 0, 0},        {0, 3, 9, 1, 0, 1, 1, 9, 1, 1},
        {7, 4, 10, 200, 9, 0, 2, -1, 1, 0},
        {255, 0, 12, 255, 255, 0, 2, -1, 1, 0}, {0, 7, 15, 0, 0, 1, 2, -1, 0, 1},
        {1, 255, 255, 1, 1, 0, 2, -1, 1, 0},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        auto f = SampleFields();
        f.cjcMode = c.cjcMode;
        f.wireCount = c.wireCount;
        f.dampingLevel = c.damping;
        f.breakAlarm = c.breakAlarm;
        f.outputDirection = c.outputDirection;
        h.dlg.DecodeParams(ToBlock(f));
        h.dlg.CollectSettings();  // what the radio buttons now show
        EXPECT_EQ(h.dlg.Values.cjc, c.cjc) << int(c.cjcMode);
        EXPECT_EQ(h.dlg.Values.wiring, c.wiring) << int(c.wireCount);
        EXPECT_EQ(h.window.GetCurSel(id::Damping), c.dampingSel) << int(c.damping);
        EXPECT_EQ(h.dlg.Values.breakAlarm, c.breakIndex) << int(c.breakAlarm);
        EXPECT_EQ(h.dlg.Values.outputDirection, c.outputIndex) << int(c.outputDirection);
    }
}

TEST(DecodeParams, SignedAndUnsignedFieldsReadAsTheirType) {
    DialogHarness h;
    auto f = SampleFields();
    f.offsetCorrection = static_cast<std::int8_t>(0x80);
    f.millivoltCal = -1;
    f.ambientCal = 0xFFFF;
    f.out1ZeroTrim = 0x8000;
    f.voltageCal = -32768;
    h.dlg.DecodeParams(ToBlock(f));
    EXPECT_EQ(h.window.GetControlText(id::Offset), "-128");
    EXPECT_EQ(h.window.GetControlText(id::MillivoltCal), "-1");
    EXPECT_EQ(h.window.GetControlText(id::AmbientCal), "65535");
    EXPECT_EQ(h.window.GetControlText(id::Out1ZeroTrim), "32768");
    EXPECT_EQ(h.window.GetControlText(id::VoltageCal), "-32768");
}

TEST(DecodeParams, NonFiniteRangeEndsDoNotBreakTheWindow) {
    DialogHarness h;
    auto f = SampleFields();
    f.rangeZero = std::bit_cast<float>(0x7FC00000u);  // NaN
    f.rangeFull = std::bit_cast<float>(0xFF800000u);  // -Inf
    h.dlg.DecodeParams(ToBlock(f));
    EXPECT_EQ(h.window.GetControlText(id::RangeZero), "NaN");
    EXPECT_EQ(h.window.GetControlText(id::RangeFull), "-Inf");
    EXPECT_EQ(h.window.GetControlText(id::ResistanceCal), "20.0000");  // texts convert to 0: span 0
}

TEST(EncodeParams, RoundTripsADecodedBlockByteForByte) {
    DialogHarness h;
    const Block block = ToBlock(SampleFields());
    h.dlg.DecodeParams(block);
    h.dlg.EncodeParams();
    EXPECT_EQ(h.dlg.ParamImage.bytes, block);
    EXPECT_TRUE(h.MessageTexts().empty());
}

// The window rounds what it shows. A write must send a value nobody edited
// exactly as the device holds it, and an edited text as it converts, even when
// it converts to the same number as the text shown.
TEST(EncodeParams, UntouchedValuesGoBackBitForBitAndEditedTextsAsTheyConvert) {
    struct Case {
        int control;
        std::size_t offset;
        std::uint32_t held;  // the device's bits
        const char* shown;
        const char* edited;
        float written;  // what the edited text writes
    };
    const Case cases[] = {
        {id::RangeZero, 4, std::bit_cast<std::uint32_t>(-199.97f), "-200.0", "-200.00", -200.0f},
        {id::RangeFull, 8, std::bit_cast<std::uint32_t>(1300.04f), "1300.0", "1300", 1300.0f},
        {id::RangeZero, 4, 0x80000000u, "0.0", "0.00", 0.0f},              // -0.0
        {id::RangeZero, 4, 0x00000001u, "0.0", "0", 0.0f},                 // smallest denormal
        {id::RangeZero, 4, 0x7FC12345u, "NaN", "nan", 0.0f},               // NaN with a payload
        {id::RangeFull, 8, 0xFF800000u, "-Inf", "-1e39", -std::numeric_limits<float>::infinity()},
        {id::ResistanceCal, 15, std::bit_cast<std::uint32_t>(1005110.0625f), "20102.2", "20102.20", 20102.2f * 50.0f},
        {id::ResistanceCal, 15, 0xFFC00001u, "NaN", "", 0.0f},
    };
    const auto bitsAt = [](const Block& b, std::size_t at) {
        return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16)) |
               (static_cast<std::uint32_t>(b[at + 3]) << 24);
    };
    for (const auto& c : cases) {
        DialogHarness h;
        Block block = ToBlock(SampleFields());
        for (std::size_t k = 0; k < 4; ++k) block[c.offset + k] = static_cast<std::uint8_t>(c.held >> (8 * k));
        h.dlg.DecodeParams(block);
        h.dlg.DecodeParams(block);  // range texts in their final form
        ASSERT_EQ(h.window.GetControlText(c.control), c.shown) << std::hex << c.held;

        h.window.SetCurSel(id::Damping, 7);
        h.dlg.EncodeParams();
        block[12] = 7;
        EXPECT_EQ(h.dlg.ParamImage.bytes, block) << c.shown;

        h.window.TypeText(c.control, c.edited);
        h.dlg.EncodeParams();
        EXPECT_EQ(bitsAt(h.dlg.ParamImage.bytes, c.offset), std::bit_cast<std::uint32_t>(c.written)) << c.edited;
    }
}

TEST(EncodeParams, ConvertsTypedTextsAndKeepsTheirLowBits) {
    struct Case {
        int control;
        const char* text;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {id::Offset, "-129", 27, {0x7F}},
        {id::Offset, "200", 27, {0xC8}},
        {id::Offset, "-128", 27, {0x80}},
        {id::AmbientCal, "-1", 21, {0xFF, 0xFF}},
        {id::Out2FullTrim, "-1", 34, {0xFF, 0xFF}},
        {id::MillivoltCal, "12abc", 19, {0x0C, 0x00}},
        {id::CurrentCal, "", 30, {0x00, 0x00}},
        {id::VoltageCal, "65537", 28, {0x01, 0x00}},
        {id::Out1ZeroTrim, " 915", 23, {0x93, 0x03}},
        {id::ResistanceCal, "20.0", 15, {0x00, 0x00, 0x7A, 0x44}},  // 1000.0f
        {id::ResistanceCal, "abc", 15, {0x00, 0x00, 0x00, 0x00}},
        {id::RangeZero, "-200", 4, {0x00, 0x00, 0x48, 0xC3}},
        {id::RangeFull, "1300.0 ℃", 8, {0x00, 0x80, 0xA2, 0x44}},
        {id::RangeFull, "1e39", 8, {0x00, 0x00, 0x80, 0x7F}},  // +Inf
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.dlg.DecodeParams(ToBlock(SampleFields()));
        h.window.TypeText(c.control, c.text);
        h.dlg.EncodeParams();
        const std::vector<std::uint8_t> got(h.dlg.ParamImage.bytes.begin() + c.offset,
                                            h.dlg.ParamImage.bytes.begin() + c.offset + c.bytes.size());
        EXPECT_EQ(got, c.bytes) << c.control << " \"" << c.text << '"';
    }
}

TEST(EncodeParams, ReadsTheTrimEditsNotTheSimulationEdits) {
    DialogHarness h;
    h.dlg.DecodeParams(ToBlock(SampleFields()));
    for (int sim : {id::Out1ZeroSim, id::Out1FullSim, id::Out2ZeroSim, id::Out2FullSim}) h.window.TypeText(sim, "1");
    h.dlg.EncodeParams();
    EXPECT_EQ(h.dlg.ParamImage.bytes, ToBlock(SampleFields()));
}

TEST(EncodeParams, BeforeAnyReadWritesTheNothingCheckedMeanings) {
    DialogHarness h;
    h.dlg.EncodeParams();
    const auto& b = h.dlg.ParamImage.bytes;
    EXPECT_EQ(b[0], 255);   // no model
    EXPECT_EQ(b[1], 0xFF);  // no input type: the position -1, after the message
    EXPECT_EQ(b[2], 1);     // cjcMode
    EXPECT_EQ(b[3], 1);     // wireCount: -1 + 2
    EXPECT_EQ(b[12], 0);    // damping
    EXPECT_EQ(b[13], 255);  // breakAlarm
    EXPECT_EQ(b[14], 1);    // outputDirection
    EXPECT_EQ(h.MessageTexts(), std::vector<std::string>{"Device input type choice anomaly"});
}

TEST(EncodeParams, OutOfRangeDecodedValuesGoBackNormalised) {
    DialogHarness h;
    auto f = SampleFields();
    f.wireCount = 7;
    f.dampingLevel = 12;
    f.cjcMode = 9;
    f.breakAlarm = 40;
    f.outputDirection = 3;
    h.dlg.DecodeParams(ToBlock(f));
    h.dlg.EncodeParams();
    const auto& b = h.dlg.ParamImage.bytes;
    EXPECT_EQ(b[2], 1);
    EXPECT_EQ(b[3], 4);
    EXPECT_EQ(b[12], 0);
    EXPECT_EQ(b[13], 1);
    EXPECT_EQ(b[14], 1);
}

TEST(EncodeParams, TakesTheBufferAndEnablesTheBatchButtons) {
    DialogHarness h;
    h.window.EnableControl(id::LoadBuffer, false);
    h.window.EnableControl(id::UpdateAll, false);
    h.dlg.DecodeParams(ToBlock(SampleFields()));
    h.window.SetCurSel(id::InputType, 9);
    h.window.ClickRadio(id::CjcExternal);
    h.window.ClickRadio(id::Wire4);
    h.window.TypeText(id::RangeZero, "-50 typed");
    h.window.TypeText(id::RangeFull, "");
    h.window.SetCurSel(id::Damping, 7);
    h.window.ClickRadio(id::BreakLow);
    h.window.ClickRadio(id::OutputReverse);
    h.dlg.EncodeParams();
    const auto& s = h.dlg.SettingsBuffer;
    EXPECT_EQ(s.inputType, 9);
    EXPECT_EQ(s.cjc, 1);
    EXPECT_EQ(s.wiring, 2);
    EXPECT_EQ(s.zeroText, "-50 typed");
    EXPECT_EQ(s.fullText, "");
    EXPECT_EQ(s.damping, 7);
    EXPECT_EQ(s.breakAlarm, 0);
    EXPECT_EQ(s.outputDirection, 1);
    EXPECT_EQ(h.dlg.ParamImage.bytes[1], 16);  // PT100
    EXPECT_TRUE(h.window.IsControlEnabled(id::LoadBuffer));
    EXPECT_TRUE(h.window.IsControlEnabled(id::UpdateAll));
}

TEST(EncodeParams, BufferKeepsTheRawTypeSelectionWhenTheCodeIsUnknown) {
    DialogHarness h;
    h.window.SetCurSel(id::ModelList, 0);
    h.dlg.FillInputTypeList(0, -1);
    h.dlg.EncodeParams();
    EXPECT_EQ(h.dlg.SettingsBuffer.inputType, -1);
    EXPECT_EQ(h.dlg.ParamImage.bytes[0], 0);
    EXPECT_EQ(h.dlg.ParamImage.bytes[1], 0xFF);
    EXPECT_EQ(h.MessageTexts(),
              std::vector<std::string>{"Device does not support the Input Type, need to reinstall Input types"});
}

}  // namespace
}  // namespace orv::test
