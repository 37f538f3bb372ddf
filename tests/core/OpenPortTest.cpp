#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/CommError.h"
#include "support/DialogHarness.h"
#include "support/Frames.h"

namespace orv::test {
namespace {

using Calls = std::vector<std::string>;
using app::MessageIcon;
namespace id = app::id;

struct OpenPort : ::testing::Test {
    DialogHarness h;
    OpenPort() { h.comm.Attach(3, nullptr); }
    void Connect(int index) {
        h.window.SetCurSel(id::PortList, index);
        h.Click(id::Connection);
    }
};

TEST_F(OpenPort, OpensInOrderThenReadsTheBlock) {
    Connect(3);
    EXPECT_EQ(h.comm.calls, (Calls{"PortOpen?", "CommPort", "InBufferSize", "OutBufferSize", "PortOpen?", "PortOpen=1",
                                   "InputMode", "Settings", "RThreshold", "InputLen", "RThreshold", "Input", "Output"}));
    EXPECT_EQ(h.comm.commPort, 3);
    EXPECT_EQ(h.comm.inBufferSize, 1024);
    EXPECT_EQ(h.comm.outBufferSize, 1024);
    EXPECT_EQ(h.comm.inputMode, 1);
    EXPECT_EQ(h.comm.settings, "1200, n, 8, 1");
    EXPECT_EQ(h.comm.inputLen, 0);
    EXPECT_EQ(h.comm.rThreshold, 40);
    EXPECT_EQ(h.comm.sent, (std::vector<Bytes>{kReadParamsRequest}));
    EXPECT_EQ(h.window.TimerInterval(id::TimerReadParams), 2000u);
    EXPECT_TRUE(h.window.messages.empty());
}

TEST_F(OpenPort, ConnectionAgainClosesAndReopensOnTheNewSelection) {
    Connect(3);
    h.Advance(500);
    h.comm.calls.clear();
    Connect(7);
    EXPECT_EQ(Calls(h.comm.calls.begin(), h.comm.calls.begin() + 3), (Calls{"PortOpen?", "PortOpen=0", "CommPort"}));
    EXPECT_EQ(h.comm.commPort, 7);
    EXPECT_TRUE(h.comm.GetPortOpen());
    EXPECT_EQ(h.comm.sent, (std::vector<Bytes>{kReadParamsRequest, kReadParamsRequest}));
    // The second open restarted the read's time-out.
    h.Advance(1999);
    EXPECT_TRUE(h.window.messages.empty());
    h.Advance(1);
    EXPECT_EQ(h.MessageTexts(), (std::vector<std::string>{"Time Out"}));
}

TEST_F(OpenPort, SelectionIndexIsThePortNumber) {
    struct Case {
        int index;
        short port;
        bool opens;
    };
    const Case cases[] = {{0, 0, true}, {1, 1, true}, {10, 10, true}, {-1, -1, false}};
    for (const auto& c : cases) {
        h.window.messages.clear();
        Connect(c.index);
        EXPECT_EQ(h.comm.commPort, c.port) << c.index;
        EXPECT_EQ(h.comm.GetPortOpen(), c.opens) << c.index;
    }
    EXPECT_EQ(h.window.messages,
              (std::vector<ShownMessage>{{protocol::kErrInvalidPortNumber, MessageIcon::Stop}}));
}

TEST_F(OpenPort, RefusedOpenEndsWithOneStopBoxAndNoRequest) {
    struct Case {
        std::string error;
        std::string shown;
    };
    const Case cases[] = {
        {"Device or resource busy", "Device or resource busy"},
        {"", "内部应用程序出错。"},
    };
    for (const auto& c : cases) {
        DialogHarness fresh;
        fresh.comm.FailOpen(5, c.error);
        fresh.window.SetCurSel(id::PortList, 5);
        fresh.Click(id::Connection);
        EXPECT_EQ(fresh.window.messages, (std::vector<ShownMessage>{{c.shown, MessageIcon::Stop}}));
        EXPECT_FALSE(fresh.comm.GetPortOpen());
        EXPECT_TRUE(fresh.comm.sent.empty());
        EXPECT_TRUE(fresh.comm.settings.empty());
        EXPECT_FALSE(fresh.window.TimerRunning(id::TimerReadParams));
        fresh.Advance(10000);
        EXPECT_EQ(fresh.window.messages.size(), 1u);
    }
}

TEST_F(OpenPort, PortThatWillNotCloseIsReportedAndLeftAlone) {
    Connect(3);
    h.comm.stuckOpen = true;
    h.comm.calls.clear();
    Connect(4);
    EXPECT_EQ(h.window.messages,
              (std::vector<ShownMessage>{{"Unable to open the specified communication port", MessageIcon::Exclamation}}));
    EXPECT_EQ(h.comm.calls,
              (Calls{"PortOpen?", "PortOpen=0", "CommPort", "InBufferSize", "OutBufferSize", "PortOpen?"}));
    EXPECT_EQ(h.comm.sent.size(), 1u);
}

// Only a block that passed its checks proves the port is the device's.
TEST(OpenPortBlock, OnlyAnAcceptedBlockFixesThePortForTheRun) {
    Bytes corrupt = ParamsAnswer();
    corrupt[20] ^= 0x01;
    for (const auto& [answer, fixed] : {std::pair{ParamsAnswer(), true}, std::pair{corrupt, false}}) {
        DialogHarness h;
        h.comm.Attach(3, nullptr);
        h.window.SetCurSel(id::PortList, 3);
        h.Click(id::Connection);
        h.Advance(400);
        h.comm.Inject(answer);
        EXPECT_EQ(h.window.IsControlEnabled(id::Connection), !fixed) << fixed;
        EXPECT_EQ(h.window.IsControlEnabled(id::PortList), !fixed) << fixed;
        EXPECT_EQ(h.window.TimerRunning(id::TimerReadParams), !fixed) << fixed;
        h.Advance(5000);
        EXPECT_EQ(h.window.messages.size(), fixed ? 0u : 1u) << "a time-out only without a block";
    }
}

// A pulled cable must not leave the user stuck on a closed port for the rest
// of the run: the choice comes back, and the next block read fixes it again.
TEST(OpenPortBlock, ALostLineGivesThePortChoiceBackAndSaysWhyAtOnce) {
    constexpr char kWhy[] = "COM3 stopped working; the cable or the device may have been unplugged. Broken pipe.";
    for (const bool polling : {false, true}) {
        DialogHarness h;
        h.Start();
        ASSERT_FALSE(h.window.IsControlEnabled(id::Connection));
        h.Click(polling ? id::AutoUpload : id::UploadParams);
        h.Advance(polling ? 1500 : 100);
        h.comm.LoseLine(kWhy);
        EXPECT_TRUE(h.window.IsControlEnabled(id::Connection));
        EXPECT_TRUE(h.window.IsControlEnabled(id::PortList));
        // Once, with the stop icon, when it happens; no second telling later.
        ASSERT_EQ(h.window.messages.size(), 1u) << polling;
        EXPECT_EQ(h.window.messages[0].text, kWhy);
        EXPECT_EQ(h.window.messages[0].icon, app::MessageIcon::Stop);
        // Nothing else changes: a read still outstanding times out as usual.
        h.Advance(3000);
        const std::vector<std::string> expected =
            polling ? std::vector<std::string>{kWhy} : std::vector<std::string>{kWhy, "Time Out"};
        EXPECT_EQ(h.MessageTexts(), expected);

        h.window.messages.clear();
        h.Click(id::Connection);
        h.Advance(1000);
        EXPECT_FALSE(h.window.IsControlEnabled(id::Connection));
        EXPECT_FALSE(h.window.IsControlEnabled(id::PortList));
        EXPECT_TRUE(h.window.messages.empty()) << polling;
    }
}

}  // namespace
}  // namespace orv::test
