// The Win32 serial component on COM ports that Wine maps to pseudo-terminals
// with a device peer behind them (with-pty-peers.sh). Receive events travel
// through a real window's message queue, as they do in the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "link/serial/win32/PortErrors.h"
#include "link/serial/win32/Win32SerialComm.h"
#include "link/serial/win32/WindowMessagePoster.h"
#include "protocol/CommError.h"
#include "protocol/Frames.h"
#include "sim/Transmitter.h"

namespace {

using orv::link::Win32SerialComm;
using orv::link::WindowMessagePoster;
using orv::protocol::CMSComm;
using orv::protocol::CommError;
using Bytes = std::vector<std::uint8_t>;

constexpr short kAnswering = 3;  // the peers' ports, as with-pty-peers.sh sets them up
constexpr short kHangsUp = 4;
constexpr short kMappedToNothing = 5;
constexpr short kUnmapped = 9;
constexpr UINT kPostedWork = WM_APP + 1;

LRESULT CALLBACK PumpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPostedWork) {
        WindowMessagePoster::Run(lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window standing in for the dialog, and its message loop.
class Pump {
public:
    Pump() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = PumpProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"OrvSerialTestPump";
        RegisterClassW(&cls);
        window_ = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance,
                                nullptr);
    }
    ~Pump() { DestroyWindow(window_); }
    HWND Window() const { return window_; }

    // Runs the loop until done() holds or the time is up; true when done.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        return true;
    }
    void RunFor(int ms) {
        RunUntil([] { return false; }, ms);
    }

private:
    HWND window_ = nullptr;
};

class Win32SerialCommTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("ORV_PTY_PEERS")) GTEST_SKIP() << "needs the device peers of with-pty-peers.sh";
    }

    // The calls the dialog makes to open a port, in its order.
    void OpenLikeTheDialog(short port) {
        comm.SetCommPort(port);
        comm.SetInBufferSize(1024);
        comm.SetOutBufferSize(1024);
        comm.SetPortOpen(true);
        comm.SetInputMode(1);
        comm.SetSettings("1200, n, 8, 1");
        comm.SetRThreshold(5);
        comm.SetInputLen(0);
    }
    // The request engine's order for each request.
    void Send(const Bytes& frame, short answerLength) {
        comm.SetRThreshold(answerLength);
        comm.GetInput();
        comm.SetOutput(frame);
    }
    // Records each receive event: its kind, what Input gave then, its thread.
    void RecordEvents() {
        comm.SetOnComm([this] {
            kinds.push_back(comm.GetCommEvent());
            if (kinds.back() == CMSComm::kEvReceive) answers.push_back(comm.GetInput());
            eventThreads.push_back(GetCurrentThreadId());
        });
    }

    Pump pump;
    WindowMessagePoster poster{pump.Window(), kPostedWork};
    Win32SerialComm comm{poster};
    std::vector<short> kinds;
    std::vector<Bytes> answers;
    std::vector<DWORD> eventThreads;
};

Bytes ReadParamsAnswer() {
    orv::sim::Transmitter device;
    return device.Receive(orv::protocol::ReadParamsFrame());
}

TEST_F(Win32SerialCommTest, ParameterReadArrivesAsOneEventOnTheWindowThread) {
    OpenLikeTheDialog(kAnswering);
    RecordEvents();
    // The peer paces its 40 bytes over about a third of a second, so they
    // reach the reader in many pieces; the event waits for all of them.
    Send(orv::protocol::ReadParamsFrame(), 40);
    ASSERT_TRUE(pump.RunUntil([&] { return !answers.empty(); }, 3000));
    pump.RunFor(300);

    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(kinds[0], orv::protocol::CMSComm::kEvReceive);
    EXPECT_EQ(answers[0], ReadParamsAnswer());
    EXPECT_EQ(eventThreads[0], GetCurrentThreadId());
}

TEST_F(Win32SerialCommTest, DrainBeforeARequestDropsALateAnswer) {
    OpenLikeTheDialog(kAnswering);
    RecordEvents();
    // A measurement answer nobody waits for any more lands in the buffer...
    comm.SetRThreshold(0);
    comm.SetOutput(orv::protocol::ReadMeasureFrame());
    pump.RunFor(500);
    // ...and must not prefix the answer to the next request.
    Send(orv::protocol::ReadParamsFrame(), 40);
    ASSERT_TRUE(pump.RunUntil([&] { return !answers.empty(); }, 3000));
    EXPECT_EQ(answers[0], ReadParamsAnswer());
}

TEST_F(Win32SerialCommTest, PeerVanishingMidAnswerGivesOneErrorAndAClosedPort) {
    OpenLikeTheDialog(kHangsUp);
    RecordEvents();
    Send(orv::protocol::ReadParamsFrame(), 40);
    ASSERT_TRUE(pump.RunUntil([&] { return !comm.GetPortOpen(); }, 3000)) << "the port stayed open";
    pump.RunFor(300);  // a reader stuck in a failing loop would post more here
    EXPECT_TRUE(answers.empty());
    // The dialog hears once that the port closed, so it can give the port choice back.
    EXPECT_EQ(kinds, std::vector<short>{CMSComm::kEvPortClosed});
    // ...and why, naming the port; taken once, it is not told again.
    const std::string why = comm.TakeLineFailure();
    EXPECT_NE(why.find("COM4 stopped working"), std::string::npos) << why;
    EXPECT_EQ(comm.TakeLineFailure(), "");

    std::vector<std::string> errors;
    for (int call = 0; call < 3; ++call) {
        try {
            comm.GetInput();
        } catch (const CommError& e) {
            errors.push_back(e.what());
        }
    }
    ASSERT_EQ(errors.size(), 3u);
    for (const auto& e : errors) EXPECT_EQ(e, orv::protocol::kErrPortNotOpen);  // told once, then just closed
}

TEST_F(Win32SerialCommTest, OpenFailuresNameThePortAndTheReason) {
    const struct {
        short port;
        std::vector<std::string> mentions;
    } cases[] = {
        {kUnmapped, {"COM9", "not found"}},
        {kMappedToNothing, {"COM5"}},  // opens, then refuses its line settings
        {0, {orv::protocol::kErrInvalidPortNumber}},
        {-1, {orv::protocol::kErrInvalidPortNumber}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        comm.SetCommPort(c.port);
        std::string text;
        try {
            comm.SetPortOpen(true);
        } catch (const CommError& e) {
            text = e.what();
        }
        for (const auto& m : c.mentions) EXPECT_NE(text.find(m), std::string::npos) << text;
        EXPECT_FALSE(comm.GetPortOpen());
    }
}

// Wine lets a second program open a port that is already open, so the text
// for a port in use is checked from the error codes Windows gives then.
TEST(Win32PortErrors, SayWhichPortAndWhatKindOfTrouble) {
    const struct {
        DWORD code;
        const char* kind;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, "not found"},
        {ERROR_ACCESS_DENIED, "in use by another program"},
        {ERROR_SHARING_VIOLATION, "in use by another program"},
        {ERROR_DEVICE_NOT_CONNECTED, "unplugged"},
        {ERROR_BROKEN_PIPE, "COM7: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const std::string text = orv::link::PortErrorText("COM7", c.code);
        EXPECT_EQ(text.rfind("COM7", 0), 0u) << text;
        EXPECT_NE(text.find(c.kind), std::string::npos) << text;
        EXPECT_NE(text.find(orv::link::SystemErrorText(c.code)), std::string::npos) << text;
    }
}

}  // namespace
