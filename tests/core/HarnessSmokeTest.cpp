#include <gtest/gtest.h>

#include "support/DialogHarness.h"

namespace orv::test {
namespace {

// The doubles themselves: a test that trusts them must be able to.
TEST(VirtualClock, RunsDueCallbacksInTimeOrderAndRepeatingTimersUntilKilled) {
    VirtualClock clock;
    FakeWindow window(clock);
    std::vector<int> ticks;
    window.onTimer = [&](int id) {
        ticks.push_back(id);
        if (id == 3) window.KillTimer(3);
    };
    window.SetTimer(4, 1000);
    window.SetTimer(3, 2000);
    clock.Advance(999);
    EXPECT_TRUE(ticks.empty());
    clock.Advance(3001);
    EXPECT_EQ(ticks, (std::vector<int>{4, 3, 4, 4, 4}));
    EXPECT_FALSE(window.TimerRunning(3));
    window.SetTimer(4, 1000);  // restarting moves the next tick
    clock.Advance(999);
    EXPECT_EQ(ticks.size(), 5u);
}

}  // namespace
}  // namespace orv::test
