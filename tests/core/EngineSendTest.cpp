#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/CommError.h"
#include "support/DialogHarness.h"
#include "support/Frames.h"

namespace orv::test {
namespace {

using app::MessageIcon;
namespace id = app::id;

struct EngineSend : ::testing::Test {
    DialogHarness h;
    EngineSend() { h.OpenSilentLine(); }
};

TEST_F(EngineSend, EachSenderRecordsTheRequestThenDropsStaleInputThenSends) {
    struct Case {
        const char* what;
        std::function<void(app::CMyDlgPrivate&)> send;
        std::uint8_t function;
        std::uint32_t answerLength;
        Bytes frame;
    };
    const Case cases[] = {
        {"read params", [](app::CMyDlgPrivate& d) { d.SendReadParams(); }, 3, 40, kReadParamsRequest},
        {"read measure", [](app::CMyDlgPrivate& d) { d.SendReadMeasure(); }, 4, 22, kMeasureRequest},
        {"restart", [](app::CMyDlgPrivate& d) { d.SendCommand(4, 4, 0); }, 17, 5,
         {0x00, 0x11, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00, 0xAC}},
    };
    for (const auto& c : cases) {
        h.comm.calls.clear();
        h.comm.Inject({0x00, 0x10, 0x00});  // the tail of an earlier answer
        c.send(h.dlg);
        EXPECT_EQ(h.dlg.PendingFunction, c.function) << c.what;
        EXPECT_EQ(h.dlg.ExpectedLength, c.answerLength) << c.what;
        EXPECT_EQ(h.comm.rThreshold, static_cast<short>(c.answerLength)) << c.what;
        EXPECT_EQ(h.comm.calls, (std::vector<std::string>{"RThreshold", "Input", "Output"})) << c.what;
        EXPECT_EQ(h.comm.Waiting(), 0u) << c.what;
        EXPECT_EQ(h.LastFrame(), c.frame) << c.what;
    }
    // Senders leave the time-out to their callers.
    for (int timer : {3, 4, 16, 17, 41}) EXPECT_FALSE(h.window.TimerRunning(timer)) << timer;
}

TEST_F(EngineSend, WriteSendsTheSliceOfTheParameterImage) {
    for (std::size_t i = 0; i < h.dlg.ParamImage.bytes.size(); ++i)
        h.dlg.ParamImage.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    h.dlg.SendWriteParams(13, 1);
    EXPECT_EQ(h.dlg.PendingFunction, 16);
    EXPECT_EQ(h.dlg.ExpectedLength, 4u);
    EXPECT_EQ(h.comm.rThreshold, 4);
    const Bytes one = h.LastFrame();
    ASSERT_EQ(one.size(), 6u);
    EXPECT_EQ(Bytes(one.begin(), one.begin() + 5), (Bytes{0x00, 0x10, 0x02, 13, 0xAD}));

    h.dlg.SendWriteParams(4, 4);
    EXPECT_EQ(Bytes(h.LastFrame().begin() + 2, h.LastFrame().end() - 1), (Bytes{5, 4, 0xA4, 0xA5, 0xA6, 0xA7}));

    h.dlg.SendWriteParams(0, 36);
    EXPECT_EQ(h.LastFrame().size(), 41u);
}

TEST_F(EngineSend, WritePastTheBlockIsRefusedAndNothingGoesOut) {
    EXPECT_THROW(h.dlg.SendWriteParams(30, 8), std::out_of_range);
    EXPECT_THROW(h.dlg.SendWriteParams(36, 1), std::out_of_range);
    EXPECT_TRUE(h.comm.sent.empty());
}

TEST_F(EngineSend, ClosedPortEndsTheButtonWithOneStopBoxAndNoTimer) {
    struct Case {
        int button;
        std::uint8_t function;
        std::uint32_t answerLength;
        int timer;
    };
    const Case cases[] = {
        {id::UploadParams, 3, 40, id::TimerReadParams},
        {id::RecFactory, 17, 5, id::TimerCommand},
        {id::Restart, 17, 5, id::TimerCommand},
    };
    h.comm.SetPortOpen(false);
    for (const auto& c : cases) {
        h.window.messages.clear();
        h.dlg.PendingFunction = 0;
        h.Click(c.button);
        EXPECT_EQ(h.window.messages,
                  (std::vector<ShownMessage>{{protocol::kErrPortNotOpen, MessageIcon::Stop}}))
            << c.button;
        EXPECT_FALSE(h.window.TimerRunning(c.timer)) << c.button;
        // What was already recorded stays.
        EXPECT_EQ(h.dlg.PendingFunction, c.function) << c.button;
        EXPECT_EQ(h.dlg.ExpectedLength, c.answerLength) << c.button;
    }
    EXPECT_TRUE(h.comm.sent.empty());
    h.Advance(10000);
    EXPECT_EQ(h.window.messages.size(), 1u);
}

TEST_F(EngineSend, ButtonsStartTheirTimers) {
    struct Case {
        int button;
        Bytes frame;
        int timer;
        unsigned interval;  // 0: no timer
    };
    const Case cases[] = {
        {id::UploadParams, kReadParamsRequest, id::TimerReadParams, 2000},
        {id::RecFactory, {0x00, 0x11, 0x05, 0x03, 0x00, 0x00, 0x00, 0x00, 0x63}, id::TimerCommand, 5000},
        {id::Restart, {0x00, 0x11, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00, 0xAC}, id::TimerCommand, 0},
    };
    for (const auto& c : cases) {
        h.window.KillTimer(c.timer);
        h.Click(c.button);
        EXPECT_EQ(h.LastFrame(), c.frame) << c.button;
        EXPECT_EQ(h.window.TimerInterval(c.timer), c.interval) << c.button;
    }
    EXPECT_TRUE(h.window.messages.empty());
}

}  // namespace
}  // namespace orv::test
