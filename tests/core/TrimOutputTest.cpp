#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DialogHarness.h"

namespace orv::test {
namespace {

namespace id = app::id;
using Bytes = std::vector<std::uint8_t>;

TEST(OutputTrim, DefaultsAndCommandsGoOutAsTheDeviceExpects) {
    struct Case {
        bool defaultsFirst;
        int button;
        Bytes frame;
        int timer;
        unsigned intervalMs;
        const char* answerText;
    };
    const Case cases[]{
        {true, id::SimulateZero, {0x00, 0x11, 0x05, 0x01, 0x03, 0x93, 0x03, 0x93, 0x02}, id::TimerCommand, 2000,
         "Set Output Current 4mA"},
        {true, id::SimulateFull, {0x00, 0x11, 0x05, 0x02, 0x12, 0x5C, 0x12, 0x5C, 0x54}, id::TimerCommand, 2000,
         "Set Output Current 20mA"},
        {false, id::FollowMeasurement, {0x00, 0x11, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2D}, id::TimerCommand, 2000,
         "设置当前输出为测量输出"},
        {true, id::UpdateOut1Zero, {0x00, 0x10, 0x03, 0x17, 0x93, 0x03, 0xB0}, id::TimerWrite, 5000,
         "Update Success !"},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.Start();
        const auto sent = h.comm.sent.size();
        if (c.defaultsFirst) h.Click(id::TrimDefaults);
        EXPECT_EQ(h.comm.sent.size(), sent);  // the defaults only fill the window
        h.Click(c.button);
        EXPECT_EQ(h.LastFrame(), c.frame) << c.button;
        EXPECT_EQ(h.window.TimerInterval(c.timer), c.intervalMs) << c.button;
        h.Advance(1000);
        EXPECT_EQ(h.MessageTexts(), std::vector<std::string>{c.answerText}) << c.button;
    }
}

// Each end copies its own simulation texts into its own trims, untouched by
// the other end.
TEST(OutputTrim, SimulationSendsTheTextsNumbersAndKeepsThemAsTyped) {
    struct Case {
        bool full;  // SimulateFull instead of SimulateZero
        int model;  // model list row while simulating
        const char* out1;
        const char* out2;
        Bytes arguments;  // first then second, high byte first
    };
    const Case cases[]{
        {false, 5, "930", "915", {0x03, 0xA2, 0x03, 0x93}},
        {false, 5, "915x", "", {0x03, 0x93, 0x00, 0x00}},
        {false, 5, "-1", "abc", {0xFF, 0xFF, 0x00, 0x00}},
        {false, 5, " 70000", "65536", {0x11, 0x70, 0x00, 0x00}},
        {false, 4, "915", "1000", {0x03, 0x93, 0x03, 0xE8}},  // single-output model: output 2 still carried
        {true, 5, "4711", "4722", {0x12, 0x67, 0x12, 0x72}},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.Start();
        const int sim1 = c.full ? id::Out1FullSim : id::Out1ZeroSim, sim2 = c.full ? id::Out2FullSim : id::Out2ZeroSim;
        const int trim1 = c.full ? id::Out1FullTrim : id::Out1ZeroTrim, trim2 = c.full ? id::Out2FullTrim : id::Out2ZeroTrim;
        const int other = c.full ? id::Out1ZeroTrim : id::Out1FullTrim;
        const std::string otherText = h.window.GetControlText(other);
        h.window.SetCurSel(id::ModelList, c.model);
        h.window.TypeText(sim1, c.out1);
        h.window.TypeText(sim2, c.out2);
        h.Click(c.full ? id::SimulateFull : id::SimulateZero);
        const Bytes& frame = h.LastFrame();
        ASSERT_EQ(frame.size(), 9u);
        EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 8), c.arguments) << c.out1;
        EXPECT_EQ(h.window.GetControlText(trim1), c.out1);
        EXPECT_EQ(h.window.GetControlText(trim2), c.out2);
        EXPECT_EQ(h.window.GetControlText(other), otherText) << c.out1;
    }
}

TEST(OutputTrim, TheUpdateStoresTheValueLastSimulated) {
    DialogHarness h;
    h.Start();
    h.window.TypeText(id::Out1ZeroSim, "930");
    h.Click(id::SimulateZero);
    h.Advance(1000);
    h.Click(id::UpdateOut1Zero);
    const Bytes& frame = h.LastFrame();
    ASSERT_EQ(frame.size(), 7u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 6), (Bytes{0x00, 0x10, 0x03, 0x17, 0xA2, 0x03}));
}

TEST(OutputTrim, DefaultsReplaceTypedTextWithoutTakingAnythingOver) {
    DialogHarness h;
    h.Start();
    const std::string offset = h.window.GetControlText(id::Offset);
    h.window.TypeText(id::Out1ZeroTrim, "1");
    h.window.TypeText(id::Offset, "44");
    h.Click(id::TrimDefaults);
    const std::pair<int, const char*> expected[]{
        {id::Out1ZeroTrim, "915"}, {id::Out1ZeroSim, "915"}, {id::Out1FullTrim, "4700"}, {id::Out1FullSim, "4700"},
        {id::Out2ZeroTrim, "915"}, {id::Out2ZeroSim, "915"}, {id::Out2FullTrim, "4700"}, {id::Out2FullSim, "4700"},
        {id::Offset, offset.c_str()},
    };
    for (const auto& [control, text] : expected) EXPECT_EQ(h.window.GetControlText(control), text) << control;
}

}  // namespace
}  // namespace orv::test
