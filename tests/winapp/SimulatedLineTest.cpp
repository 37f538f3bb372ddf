// The in-process simulated line of the Windows program and its command line.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "app/win32/CMyApp.h"
#include "app/win32/SimulatedComm.h"
#include "app/win32/Win32Api.h"
#include "protocol/CommError.h"
#include "protocol/Frames.h"

namespace orv::app::win32 {
namespace {

// Runs the thread's message loop (which delivers the line's timers) until
// done() or the deadline; returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done() && std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(2);
    }
    return done();
}

constexpr int kPort = 1;

struct Line {
    SimulatedComm comm{kPort, nullptr};
    int events = 0;
    std::size_t waitingAtEvent = 0;
    Line() {
        comm.SetOnComm([this] {
            ++events;
            waitingAtEvent = comm.GetInput().size();
        });
        comm.SetCommPort(kPort);
        comm.SetPortOpen(true);
    }
};

TEST(SimulatedComm, AnswerArrivesLaterAsOneEventAtTheThreshold) {
    struct Case {
        const char* what;
        protocol::Frame request;
        short threshold;
        std::size_t answer;
    };
    const Case cases[] = {
        {"read parameters", protocol::ReadParamsFrame(), 40, 40},
        {"read measurements", protocol::ReadMeasureFrame(), 22, 22},
        {"command", protocol::CommandFrame(3, 0, 0), 5, 5},
    };
    for (const auto& c : cases) {
        Line line;
        line.comm.SetRThreshold(c.threshold);
        line.comm.SetOutput(c.request);
        EXPECT_EQ(line.events, 0) << c.what << ": answered inside the send";
        EXPECT_TRUE(PumpUntil([&] { return line.events > 0; }, std::chrono::seconds(3))) << c.what;
        PumpUntil([] { return false; }, std::chrono::milliseconds(50));
        EXPECT_EQ(line.events, 1) << c.what;
        EXPECT_EQ(line.waitingAtEvent, c.answer) << c.what;
        EXPECT_EQ(line.comm.GetCommEvent(), protocol::CMSComm::kEvReceive) << c.what;
    }
}

TEST(SimulatedComm, ClosedPortNeitherDeliversNorAcceptsBytes) {
    Line line;
    line.comm.SetRThreshold(40);
    line.comm.SetOutput(protocol::ReadParamsFrame());
    line.comm.SetPortOpen(false);  // the answer is still on the line
    PumpUntil([] { return false; }, std::chrono::milliseconds(line.comm.AnswerDelayMs(40) + 100));
    EXPECT_EQ(line.events, 0);
    EXPECT_THROW(line.comm.GetInput(), protocol::CommError);
    EXPECT_THROW(line.comm.SetOutput(protocol::ReadParamsFrame()), protocol::CommError);
    // Another port number without a real component behind it cannot open.
    line.comm.SetCommPort(3);
    EXPECT_THROW(line.comm.SetPortOpen(true), protocol::CommError);
    EXPECT_THROW(line.comm.SetRThreshold(40), protocol::CommError);
    EXPECT_THROW(line.comm.GetInput(), protocol::CommError);
}

TEST(SimulatedComm, DestroyedWithAnAnswerOnTheLineCallsNothing) {
    bool called = false;
    {
        SimulatedComm comm(kPort, nullptr);
        comm.SetOnComm([&] { called = true; });
        comm.SetCommPort(kPort);
        comm.SetPortOpen(true);
        comm.SetRThreshold(40);
        comm.SetOutput(protocol::ReadParamsFrame());
    }
    PumpUntil([] { return false; }, std::chrono::milliseconds(600));
    EXPECT_FALSE(called);
}

TEST(CommandLine, OptionsAndUnknownWords) {
    struct Case {
        std::vector<std::wstring> args;
        bool simulate, factory, help, version;
        std::wstring error;
    };
    const Case cases[] = {
        {{}, false, false, false, false, L""},
        {{L"--simulate", L"--factory"}, true, true, false, false, L""},
        {{L"/?"}, false, false, true, false, L""},
        {{L"-v"}, false, false, false, true, L""},
        {{L"--factory", L"COM3", L"--bogus"}, false, true, false, false, L"COM3"},
    };
    for (const auto& c : cases) {
        const AppOptions o = ParseOptions(c.args);
        EXPECT_EQ(o.simulate, c.simulate);
        EXPECT_EQ(o.factory, c.factory);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.version, c.version);
        EXPECT_EQ(o.error, c.error);
    }
}

}  // namespace
}  // namespace orv::app::win32
