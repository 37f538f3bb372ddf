#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/CommError.h"
#include "protocol/Crc8.h"
#include "support/DialogHarness.h"

namespace orv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::string>;
using app::MessageIcon;
namespace id = app::id;

const Bytes kReadParams{0x00, 0x03, 0x02, 0x00, 0x24, 0x85};

// A block a real device holds, so decoding it raises no complaint of its own.
Bytes ParamsAnswer() {
    Bytes b{0x00, 0x03, 0x24};
    const sim::Transmitter device;
    const auto& block = device.Block();
    b.insert(b.end(), block.begin(), block.end());
    b.push_back(protocol::Crc8(b));
    return b;
}

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
    EXPECT_EQ(h.comm.sent, (std::vector<Bytes>{kReadParams}));
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
    EXPECT_EQ(h.comm.sent, (std::vector<Bytes>{kReadParams, kReadParams}));
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

TEST_F(OpenPort, FirstAcceptedBlockFixesThePortForTheRun) {
    Connect(3);
    h.Advance(400);
    h.comm.Inject(ParamsAnswer());
    EXPECT_FALSE(h.window.IsControlEnabled(id::Connection));
    EXPECT_FALSE(h.window.IsControlEnabled(id::PortList));
    h.Click(id::UploadParams);
    h.comm.Inject(ParamsAnswer());
    EXPECT_FALSE(h.window.IsControlEnabled(id::Connection));
    EXPECT_FALSE(h.window.IsControlEnabled(id::PortList));
    EXPECT_TRUE(h.window.messages.empty());
}

TEST_F(OpenPort, RejectedBlockLeavesThePortChangeable) {
    Connect(3);
    Bytes bad = ParamsAnswer();
    bad[20] ^= 0x01;
    h.comm.Inject(bad);
    EXPECT_TRUE(h.window.IsControlEnabled(id::Connection));
    EXPECT_TRUE(h.window.IsControlEnabled(id::PortList));
}

}  // namespace
}  // namespace orv::test
