#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DialogHarness.h"
#include "support/Frames.h"

namespace orv::test {
namespace {

using app::MessageIcon;
namespace id = app::id;

ShownMessage Note(const std::string& text) { return {text, MessageIcon::Exclamation}; }

struct EngineReceive : ::testing::Test {
    DialogHarness h;
    EngineReceive() { h.OpenSilentLine(); }
    void Write() {
        h.dlg.SendWriteParams(4, 4);
        h.window.SetTimer(id::TimerWrite, 5000);
    }
};

TEST_F(EngineReceive, FactoryRestoreAnswerPicksItsMessageByCommandCode) {
    struct Case {
        std::uint8_t code;
        std::vector<ShownMessage> shown;
    };
    const Case cases[] = {
        {0, {Note("设置当前输出为测量输出")}},
        {1, {Note("Set Output Current 4mA")}},
        {2, {Note("Set Output Current 20mA")}},
        {3, {Note("Recovery Factory Set Success !")}},
        {4, {}},
        {5, {Note("未知操作")}},
        {9, {Note("未知操作")}},
        {255, {Note("未知操作")}},
    };
    for (const auto& c : cases) {
        h.window.messages.clear();
        h.Click(id::RecFactory);
        h.Advance(100);
        h.comm.Inject(CommandAck(c.code));
        EXPECT_EQ(h.window.messages, c.shown) << int(c.code);
        EXPECT_FALSE(h.window.TimerRunning(id::TimerCommand)) << int(c.code);
        h.Advance(10000);
        EXPECT_EQ(h.window.messages, c.shown) << int(c.code);
    }
}

TEST_F(EngineReceive, WriteAnswerStopsTheTimerAndReportsSuccess) {
    Write();
    h.Advance(400);
    h.comm.Inject(WriteAck());
    EXPECT_EQ(h.window.messages, (std::vector<ShownMessage>{Note("Update Success !")}));
    EXPECT_FALSE(h.window.TimerRunning(id::TimerWrite));
    // Neither an answer nor a time-out ends the request: the same answer again is taken again.
    h.comm.Inject(WriteAck());
    EXPECT_EQ(h.window.messages.size(), 2u);
    h.Advance(20000);
    EXPECT_EQ(h.window.messages.size(), 2u);
}

TEST_F(EngineReceive, RejectedAnswersChangeNothingAndTheTimeOutFollows) {
    struct Case {
        const char* what;
        std::function<void(DialogHarness&)> deliver;
    };
    Bytes badCrc = WriteAck();
    badCrc.back() ^= 0x5A;
    const Case cases[] = {
        {"bad checksum", [&](DialogHarness& d) { d.comm.Inject(badCrc); }},
        // Checksum good, but the function code of the read sent before the write.
        {"earlier function code", [](DialogHarness& d) { d.comm.Inject(Sealed({0x00, 0x03, 0x01})); }},
        {"event other than receive", [](DialogHarness& d) {
             d.comm.rThreshold = 100;
             d.comm.Inject(WriteAck());  // a good answer waiting in the component
             d.comm.RaiseEvent(3);
             EXPECT_EQ(d.comm.Waiting(), 4u);
         }},
    };
    for (const auto& c : cases) {
        h.window.messages.clear();
        h.dlg.SendReadParams();
        Write();
        h.Advance(1000);
        const auto pending = h.dlg.PendingFunction;
        c.deliver(h);
        EXPECT_TRUE(h.window.messages.empty()) << c.what;
        EXPECT_TRUE(h.window.TimerRunning(id::TimerWrite)) << c.what;
        EXPECT_EQ(h.dlg.PendingFunction, pending) << c.what;
        h.Advance(3999);
        EXPECT_TRUE(h.window.messages.empty()) << c.what;
        h.Advance(1);
        EXPECT_EQ(h.window.messages, (std::vector<ShownMessage>{Note("Time Out")})) << c.what;
    }
}

TEST_F(EngineReceive, AnswerAfterTheTimeOutIsStillTaken) {
    Write();
    h.Advance(6000);
    h.comm.Inject(WriteAck());
    EXPECT_EQ(h.window.messages, (std::vector<ShownMessage>{Note("Time Out"), Note("Update Success !")}));
}

TEST_F(EngineReceive, SecondWriteRestartsTheTimerAndTakesTheAnswer) {
    Write();
    h.Advance(1000);
    Write();
    EXPECT_EQ(h.comm.sent.size(), 2u);
    h.Advance(4500);  // past the first write's 5 s, inside the second's
    EXPECT_TRUE(h.window.messages.empty());
    h.comm.Inject(WriteAck());
    EXPECT_EQ(h.window.messages, (std::vector<ShownMessage>{Note("Update Success !")}));
    h.Advance(20000);
    EXPECT_EQ(h.window.messages.size(), 1u);
}

TEST_F(EngineReceive, ShortReadIsNotCompletedWithStaleBytes) {
    h.Click(id::RecFactory);
    h.comm.Inject(CommandAck(3));
    ASSERT_EQ(h.window.messages.size(), 1u);

    // The component fires early with the first three bytes of the same
    // answer again; with the old tail still in the buffer they would pass.
    h.Click(id::RecFactory);
    h.comm.rThreshold = 1;
    const Bytes again = CommandAck(3);
    h.comm.Inject(Bytes(again.begin(), again.begin() + 3));
    EXPECT_EQ(h.window.messages.size(), 1u);
    EXPECT_TRUE(h.window.TimerRunning(id::TimerCommand));
    // Bytes past the read keep what the earlier read left.
    EXPECT_EQ(h.dlg.ReceiveBuffer[4], again[4]);
}

TEST_F(EngineReceive, OverlongReadKeepsItsFirst64Bytes) {
    h.Click(id::RecFactory);
    Bytes read = CommandAck(3);
    for (int i = 0; read.size() < 100; ++i) read.push_back(static_cast<std::uint8_t>(i));
    h.comm.Inject(read);
    EXPECT_EQ(h.window.messages, (std::vector<ShownMessage>{Note("Recovery Factory Set Success !")}));
    EXPECT_TRUE(std::equal(h.dlg.ReceiveBuffer.begin(), h.dlg.ReceiveBuffer.end(), read.begin()));
}

TEST_F(EngineReceive, StrayEventBeforeAnyRequestIsIgnored) {
    h.comm.rThreshold = 1;
    h.comm.Inject(Sealed({0x00, 0x00}));
    h.comm.Inject(WriteAck());
    EXPECT_TRUE(h.window.messages.empty());
}

// A restarting device cannot answer, so no time-out may follow.
TEST_F(EngineReceive, RestartWithoutDeviceShowsNothingEver) {
    h.Click(id::Restart);
    h.Advance(60000);
    EXPECT_TRUE(h.window.messages.empty());
}

TEST_F(EngineReceive, MeasurementGoesWhereMeasureStepSays) {
    struct Case {
        int step;
        bool pollCleared;
        int stoppedTimer;  // 0: none
    };
    const Case cases[] = {{0, true, 0}, {1, false, 41}, {3, false, 43}, {5, false, 45}, {6, false, 0}, {-1, false, 0}};
    for (const auto& c : cases) {
        for (int t = 41; t <= 45; ++t) h.window.SetTimer(t, 2000);
        h.dlg.MeasureStep = c.step;
        h.dlg.PollMissed = true;
        h.dlg.SendReadMeasure();
        h.comm.Inject(MeasureAnswer());
        EXPECT_EQ(h.dlg.PollMissed, !c.pollCleared) << c.step;
        for (int t = 41; t <= 45; ++t) EXPECT_EQ(h.window.TimerRunning(t), t != c.stoppedTimer) << c.step << " " << t;
    }
}

}  // namespace
}  // namespace orv::test
