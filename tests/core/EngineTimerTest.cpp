#include <gtest/gtest.h>

#include "support/DialogHarness.h"

namespace orv::test {
namespace {

using app::MessageIcon;

TEST(EngineTimer, EachRequestTimerShowsTimeOutOnceAndStops) {
    struct Case {
        int timer;
        unsigned interval;
    };
    const Case cases[] = {{3, 2000}, {16, 5000}, {17, 2000}, {17, 5000}, {41, 2000}, {42, 2000},
                          {43, 2000}, {44, 2000}, {45, 2000}};
    for (const auto& c : cases) {
        DialogHarness h;
        // While the box is open its loop goes on delivering ticks: a timer
        // still running then would show a second box.
        h.window.onMessageBox = [&](const ShownMessage&) { h.Advance(3 * c.interval); };
        h.window.SetTimer(c.timer, c.interval);
        h.Advance(c.interval - 1);
        EXPECT_TRUE(h.window.messages.empty()) << c.timer;
        h.Advance(1);
        EXPECT_EQ(h.window.messages, (std::vector<ShownMessage>{{"Time Out", MessageIcon::Exclamation}})) << c.timer;
        EXPECT_FALSE(h.window.TimerRunning(c.timer)) << c.timer;
        h.Advance(10 * c.interval);
        EXPECT_EQ(h.window.messages.size(), 1u) << c.timer;
    }
}

TEST(EngineTimer, OtherTimersAreLeftAlone) {
    for (int timer : {1, 2, 5, 15, 18, 40, 46, 100}) {
        DialogHarness h;
        h.window.SetTimer(timer, 1000);
        h.Advance(3000);
        EXPECT_TRUE(h.window.messages.empty()) << timer;
        EXPECT_TRUE(h.window.TimerRunning(timer)) << timer;
    }
}

TEST(EngineTimer, ReadWithoutDeviceTimesOutAfterExactly2000ms) {
    DialogHarness h;
    h.OpenSilentLine();
    h.Click(app::id::UploadParams);
    h.Advance(1999);
    EXPECT_TRUE(h.window.messages.empty());
    h.Advance(1);
    EXPECT_EQ(h.MessageTexts(), (std::vector<std::string>{"Time Out"}));
    h.Advance(30000);
    EXPECT_EQ(h.MessageTexts(), (std::vector<std::string>{"Time Out"}));
    EXPECT_EQ(h.comm.sent.size(), 1u);
    EXPECT_TRUE(h.window.IsControlEnabled(app::id::Connection));
}

}  // namespace
}  // namespace orv::test
