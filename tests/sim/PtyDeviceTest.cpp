#include "sim/PtyDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "Frames.h"
#include "Line.h"

namespace orv::sim {
namespace {

using simtest::Bytes;
using simtest::Line;
using Clock = std::chrono::steady_clock;

TEST(PtyDevice, AnswersOverTheSlavePacedLikeTheLine) {
    PtyDevice pty;
    std::mutex m;
    std::vector<std::string> log;
    pty.SetLog([&](const std::string& line) {
        std::lock_guard lock(m);
        log.push_back(line);
    });
    ASSERT_EQ(pty.SlavePath().rfind("/dev/pts/", 0), 0u) << pty.SlavePath();

    Line line(pty.SlavePath());
    ASSERT_TRUE(line.ok());
    const auto start = Clock::now();
    line.Send(simtest::kReadParams);
    const Bytes answer = line.Read(40);
    const auto elapsed = Clock::now() - start;

    Transmitter reference;
    EXPECT_EQ(answer, reference.Receive(simtest::kReadParams));
    // 40 bytes at 8.33 ms: a third of a second at the least. Generous above,
    // since the machine is shared.
    EXPECT_GE(elapsed, std::chrono::milliseconds(320));
    EXPECT_LT(elapsed, std::chrono::seconds(3));

    std::lock_guard lock(m);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "-> 00 03 02 00 24 85");
    EXPECT_EQ(log[1].substr(0, 12), "<- 00 03 24 ");
}

TEST(PtyDevice, FaultsAndStateReachTheLineAcrossReopens) {
    Transmitter device;
    device.answerDelayMs = 0;
    PtyDevice pty(device);
    {
        Line line(pty.SlavePath());
        ASSERT_TRUE(line.ok());
        line.Send(simtest::Write(13, {0}));
        EXPECT_EQ(line.Read(4), simtest::Hex("00 10 01 B2"));
    }
    // The tool closed the port; the device must still be there when it reopens.
    pty.WithDevice([](Transmitter& t) {
        EXPECT_EQ(t.Block()[13], 0);
        t.faults.silent = true;
    });
    {
        Line line(pty.SlavePath());
        ASSERT_TRUE(line.ok());
        line.Send(simtest::kReadMeasure);
        EXPECT_TRUE(line.Read(22, 400).empty());
        pty.WithDevice([](Transmitter& t) {
            t.faults.silent = false;
            t.faults.wrongFunction = true;
        });
        line.Send(simtest::kReadMeasure);
        const Bytes a = line.Read(22);
        ASSERT_EQ(a.size(), 22u);
        EXPECT_EQ(a[1], 0x84);
    }
}

TEST(PtyDevice, SplitRequestIsAssembledAndABrokenOneForgotten) {
    PtyDevice pty;
    Line line(pty.SlavePath());
    ASSERT_TRUE(line.ok());
    const Bytes& r = simtest::kReadMeasure;
    line.Send({r[0], r[1]});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    line.Send({r[2], r[3]});
    EXPECT_EQ(line.Read(22).size(), 22u);

    // A damaged length byte promises a long frame; after a quiet spell the
    // device gives up on it and hears the next request.
    line.Send(simtest::Hex("00 10 12 0D 07 7D"));
    EXPECT_TRUE(line.Read(1, 400).empty());
    line.Send(simtest::kReadParams);
    EXPECT_EQ(line.Read(40).size(), 40u);

    // Noise ending in such a header, the request right behind it: the
    // request is answered once the line has been quiet.
    Bytes noisy = simtest::Hex("5A 00 10 12");
    noisy.insert(noisy.end(), r.begin(), r.end());
    line.Send(noisy);
    EXPECT_EQ(line.Read(22).size(), 22u);
}

TEST(PtyDevice, StopsWhileAnswering) {
    // Destroying the runner in the middle of a paced answer must not hang or
    // leave the thread behind; the test's own time limit is the judge.
    for (int i = 0; i < 3; ++i) {
        PtyDevice pty;
        Line line(pty.SlavePath());
        ASSERT_TRUE(line.ok());
        line.Send(simtest::kReadParams);
        line.Read(3);
    }
}

}  // namespace
}  // namespace orv::sim
