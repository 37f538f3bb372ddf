#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "support/Frames.h"
#include "support/DialogHarness.h"

namespace orv::test {
namespace {

namespace id = app::id;

// What the poll gives back directly when it ends, and the two it leaves to the type rules.
constexpr std::array kRestored{1021, 1061, 1041, 1048, 1052, 1055, 1056, 1057, 1058, 1059, 1060, 1031};
constexpr std::array kRuleButtons{id::UpdateCjc, id::UpdateWiring};

std::size_t MeasureRequests(const DialogHarness& h) {
    return static_cast<std::size_t>(std::count(h.comm.sent.begin(), h.comm.sent.end(), kMeasureRequest));
}

// After Start the simulated device is a dual-output universal model on TC K,
// range 0..1300: the type rules enable CJC Update and disable Wiring Update.
void ExpectRestored(const DialogHarness& h) {
    for (int c : kRestored) EXPECT_TRUE(h.window.IsControlEnabled(c)) << c;
    EXPECT_TRUE(h.window.IsControlEnabled(id::UpdateCjc));
    EXPECT_FALSE(h.window.IsControlEnabled(id::UpdateWiring));
}

TEST(LivePoll, AsksOneSecondAfterTheClickThenOncePerSecondWithTheButtonsLocked) {
    DialogHarness h;
    h.Start();
    h.Click(id::AutoUpload);
    for (int c : kRestored) EXPECT_FALSE(h.window.IsControlEnabled(c)) << c;
    for (int c : kRuleButtons) EXPECT_FALSE(h.window.IsControlEnabled(c)) << c;
    EXPECT_TRUE(h.window.IsControlEnabled(id::StopUpload));

    // Answered polls keep it going, one request on each tick and none between.
    for (std::size_t n = 1; n <= 4; ++n) {
        h.Advance(999);
        EXPECT_EQ(MeasureRequests(h), n - 1);
        h.Advance(1);
        EXPECT_EQ(MeasureRequests(h), n);
    }
    EXPECT_TRUE(h.window.messages.empty());

    h.Click(id::StopUpload);
    EXPECT_FALSE(h.window.TimerRunning(id::TimerPoll));
    ExpectRestored(h);
    h.Advance(5000);
    EXPECT_EQ(MeasureRequests(h), 4u);
    EXPECT_TRUE(h.window.messages.empty());
}

TEST(LivePoll, AMissedOrRejectedAnswerEndsThePollWithOneTimeOut) {
    const std::array<sim::Faults, 3> faults{{{true, false, false}, {false, true, false}, {false, false, true}}};
    for (const auto& fault : faults) {
        DialogHarness g;
        g.Start();
        g.device.faults = fault;
        std::optional<std::uint64_t> shownAt;
        bool timerRunningAtBox = true, restoredAtBox = false;
        g.window.onMessageBox = [&](const ShownMessage&) {
            shownAt = g.clock.Now();
            timerRunningAtBox = g.window.TimerRunning(id::TimerPoll);
            restoredAtBox = g.window.IsControlEnabled(id::AutoUpload);
        };
        const auto clicked = g.clock.Now();
        g.Click(id::AutoUpload);
        g.Advance(10000);

        ASSERT_EQ(g.window.messages.size(), 1u);
        EXPECT_EQ(g.window.messages[0], (ShownMessage{"Time Out !", app::MessageIcon::Exclamation}));
        EXPECT_EQ(shownAt, clicked + 2000);  // the first tick after the unanswered request
        EXPECT_FALSE(timerRunningAtBox);
        EXPECT_TRUE(restoredAtBox);
        EXPECT_EQ(MeasureRequests(g), 1u);
        ExpectRestored(g);
    }
}

// A poll that could not even be sent counts as missed.
TEST(LivePoll, AFailedSendIsReportedAndEndsThePollAtTheNextTick) {
    DialogHarness h;
    h.Start();
    h.comm.SetPortOpen(false);
    h.Click(id::AutoUpload);
    h.Advance(1000);
    ASSERT_EQ(h.window.messages.size(), 1u);
    EXPECT_EQ(h.window.messages[0].icon, app::MessageIcon::Stop);
    EXPECT_TRUE(h.window.TimerRunning(id::TimerPoll));
    h.Advance(1000);
    EXPECT_EQ(h.MessageTexts().back(), "Time Out !");
    EXPECT_EQ(h.window.messages.size(), 2u);
    ExpectRestored(h);
}

TEST(LivePoll, AnAnswerAfterThePollEndedIsStillShown) {
    for (bool byStop : {true, false}) {
        DialogHarness g;
        g.Start();
        g.device.faults.silent = true;
        g.Click(id::AutoUpload);
        g.Advance(1000);
        if (byStop)
            g.Click(id::StopUpload);
        else
            g.Advance(1000);
        ASSERT_FALSE(g.window.TimerRunning(id::TimerPoll));
        g.comm.Inject(MeasureAnswer({7, 0, 0, 0, 0}));
        EXPECT_EQ(g.window.GetControlText(id::Rv0), "7") << byStop;
        EXPECT_EQ(g.window.messages.size(), byStop ? 0u : 1u);
    }
}

// Every other button that sends a request: the batch write, the factory
// panel's, and the ones the type rules decide. A request sent while polling
// displaces the poll's or is displaced by it, and ends in a false time-out.
TEST(LivePoll, LocksEveryOtherSendingButtonAndGivesItBackAsItWasHoweverThePollEnds) {
    enum class End { Stop, TimeOut, LineLost };
    struct Case {
        const char* what;
        bool factory, written;
        End end;
        std::vector<std::string> messages;
    };
    const Case cases[]{
        {"nothing written yet, stopped", false, false, End::Stop, {}},
        {"after a write, timed out", false, true, End::TimeOut, {"Time Out !"}},
        {"factory build, line lost", true, false, End::LineLost, {}},
        {"factory build after a write, stopped", true, true, End::Stop, {}},
    };
    constexpr std::array kSending{1093, 1022, 1051, 1043, 1044, 1039, 1040, 1033, 1035, 1036, 1037,
                                  1050, 1038, 1067, 1070, 1072, 1073, 1075, 1076, 1053, 1054};
    for (const auto& c : cases) {
        DialogHarness g;
        g.Start();
        if (c.factory) g.dlg.EnableFactoryPanel();
        if (c.written) {
            g.Click(id::UpdateDamping);
            g.Advance(1000);
            g.window.messages.clear();
        }
        std::map<int, bool> before;
        for (int b : kSending) before[b] = g.window.IsControlEnabled(b);

        g.Click(id::AutoUpload);
        g.Advance(1500);
        g.Click(id::InputType);  // the type rules run again mid-poll
        for (int b : kSending) EXPECT_FALSE(g.window.IsControlEnabled(b)) << c.what << ' ' << b;

        switch (c.end) {
            case End::Stop: g.Click(id::StopUpload); break;
            case End::TimeOut: g.device.faults.silent = true; break;
            case End::LineLost: g.comm.LoseLine(); break;
        }
        g.Advance(3000);
        EXPECT_FALSE(g.window.TimerRunning(id::TimerPoll)) << c.what;
        EXPECT_EQ(g.MessageTexts(), c.messages) << c.what;
        for (int b : kSending) EXPECT_EQ(g.window.IsControlEnabled(b), before[b]) << c.what << ' ' << b;
        ExpectRestored(g);
    }
}

TEST(LivePoll, StopWithoutAPollOnlyRestoresTheButtons) {
    DialogHarness h;
    h.Start();
    for (int c : kRestored) h.window.EnableControl(c, false);
    for (int c : kRuleButtons) h.window.EnableControl(c, true);
    const auto sent = h.comm.sent.size();
    h.Click(id::StopUpload);
    ExpectRestored(h);
    EXPECT_EQ(h.comm.sent.size(), sent);
    EXPECT_FALSE(h.window.TimerRunning(id::TimerPoll));
    EXPECT_TRUE(h.window.messages.empty());
}

// A view step takes over the poll's answers without clearing the missed flag.
TEST(LivePoll, ACalibrationViewEndsThePollAtTheFirstOrSecondTick) {
    struct Case {
        unsigned viewAfterTickMs;  // how long after the first poll the view is clicked
        std::uint64_t timeOutAfterClickMs;
    };
    for (const Case c : {Case{300, 3000}, Case{10, 2000}}) {
        DialogHarness g;
        g.Start();
        std::optional<std::uint64_t> shownAt;
        g.window.onMessageBox = [&](const ShownMessage&) { shownAt = g.clock.Now(); };
        const auto clicked = g.clock.Now();
        g.Click(id::AutoUpload);
        g.Advance(1000 + c.viewAfterTickMs);
        g.Click(id::ViewMillivolt);
        g.Advance(5000);
        EXPECT_EQ(g.MessageTexts(), std::vector<std::string>{"Time Out !"}) << c.viewAfterTickMs;
        EXPECT_EQ(shownAt, clicked + c.timeOutAfterClickMs) << c.viewAfterTickMs;
        EXPECT_EQ(g.dlg.MeasureStep, 2);
    }
}

TEST(LivePoll, ShowsRawReadingsAndFormatsTheValuesByListPosition) {
    struct Case {
        int model;  // -1: keep the universal list the device read gave
        int position;
        const char* ambient;
        const char* measured;
    };
    const Case cases[]{
        {-1, 0, "23.4", "-12.3"},  // TC K: both formatted with the 0..1300 range
        {-1, 8, "NC", "-12.3"},    // mV
        {-1, 9, "NC", "-12.3"},    // PT100
        {-1, -1, "23.4", "-12.3"},
        {1, 1, "23.4", "-12.3"},  // Current in the two-entry list is below 8
    };
    for (const auto& c : cases) {
        DialogHarness g;
        g.Start();
        g.device.faults.silent = true;
        if (c.model >= 0) {
            g.window.SetCurSel(id::ModelList, c.model);
            g.dlg.FillInputTypeList(c.model, c.position);
        } else {
            g.window.SetCurSel(id::InputType, c.position);
        }
        const std::string offset = g.window.GetControlText(id::Offset);
        g.Click(id::AutoUpload);
        g.Advance(1000);
        g.window.TypeText(id::Offset, "99");  // typed, never taken over
        g.comm.Inject(MeasureAnswer({0xFFFF, 0x8000, 0x1234, 0x0000, 0x7FFF}, 23.4f, -12.25f));

        const char* raw[]{"-1", "-32768", "4660", "0", "32767"};
        for (int k = 0; k < 5; ++k) EXPECT_EQ(g.window.GetControlText(id::Rv0 + k), raw[k]) << k;
        EXPECT_EQ(g.window.GetControlText(id::AmbientValue), c.ambient) << c.position;
        EXPECT_EQ(g.window.GetControlText(id::MeasuredValue), c.measured) << c.position;
        EXPECT_EQ(g.window.GetControlText(id::Offset), offset);
        EXPECT_FALSE(g.dlg.PollMissed);
    }
}

}  // namespace
}  // namespace orv::test
