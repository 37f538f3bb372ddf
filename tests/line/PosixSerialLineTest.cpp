// The termios line on pseudo-terminals, in real time: what an open refuses
// and why, the settings it leaves on the tty, reads that end at their
// deadline, and a hang-up that ends in one error.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/line/SerialLineError.h"
#include "link/line/posix/PosixSerialLine.h"

namespace orv::link {
namespace {

using namespace std::chrono_literals;
using Clock = SerialLine::Clock;
using Kind = SerialLineError::Kind;

// The device's end of a pseudo-terminal; the line opens the other end by path.
struct Pty {
    Pty() {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty");
        path = name;
    }
    ~Pty() {
        HangUp();
        ::close(slave);
    }
    void Send(std::initializer_list<std::uint8_t> bytes) const {
        const std::vector<std::uint8_t> v(bytes);
        ASSERT_EQ(::write(master, v.data(), v.size()), static_cast<ssize_t>(v.size()));
    }
    void HangUp() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    int master = -1, slave = -1;
    std::string path;
};

TEST(PosixSerialLine, AnOpenThatFailsNamesThePortAndWhy) {
    const std::string dir = ::testing::TempDir() + "line_open";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/plain") << "x";
    Pty held;
    PosixSerialLine holder;
    holder.Open(held.path, DeviceLineSettings());
    struct Case {
        std::string path;
        Kind kind;
        const char* why;
    };
    const Case cases[] = {
        {dir + "/missing", Kind::Open, "No such file or directory"},
        {dir + "/plain", Kind::Open, "not a serial port"},
        {dir, Kind::Open, "Is a directory"},
        {held.path, Kind::Open, "in use by another program"},
    };
    for (const auto& c : cases) {
        PosixSerialLine line;
        try {
            line.Open(c.path, DeviceLineSettings());
            ADD_FAILURE() << c.path << " opened";
        } catch (const SerialLineError& e) {
            EXPECT_EQ(e.GetKind(), c.kind) << e.what();
            EXPECT_EQ(std::string(e.what()), "cannot open " + c.path + ": " + c.why);
        }
        EXPECT_FALSE(line.IsOpen());
    }
}

TEST(PosixSerialLine, OpensRawAtTheDeviceSettingsWithoutWhatWasWaiting) {
    Pty pty;
    pty.Send({0xAA, 0xBB});  // left from before the open
    ::usleep(20000);
    PosixSerialLine line;
    line.Open(pty.path, DeviceLineSettings());
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B1200);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);

    std::uint8_t buffer[8];
    const auto start = Clock::now();
    EXPECT_EQ(line.Read(buffer, start + 150ms), 0u);  // the stale bytes are gone
    EXPECT_GE(Clock::now() - start, 150ms);
    pty.Send({0x0D, 0x11});  // a CR must arrive unchanged
    ASSERT_EQ(line.Read(buffer, Clock::now() + 1s), 2u);
    EXPECT_EQ(buffer[0], 0x0D);
}

TEST(PosixSerialLine, AHangUpEndsAWaitingReadWithOneError) {
    Pty pty;
    PosixSerialLine line;
    line.Open(pty.path, DeviceLineSettings());
    std::thread device([&] {
        std::this_thread::sleep_for(100ms);
        pty.HangUp();
    });
    std::uint8_t buffer[8];
    const auto start = Clock::now();
    try {
        line.Read(buffer, start + 5s);
        ADD_FAILURE() << "the read outlived the line";
    } catch (const SerialLineError& e) {
        EXPECT_EQ(e.GetKind(), Kind::HungUp);
        EXPECT_EQ(std::string(e.what()), pty.path + " hung up (adapter unplugged?)");
    }
    device.join();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_FALSE(line.IsOpen());
    try {
        line.Read(buffer, Clock::now() + 1s);
        ADD_FAILURE() << "read on a closed line";
    } catch (const SerialLineError& e) {
        EXPECT_EQ(e.GetKind(), Kind::NotOpen);
    }
}

}  // namespace
}  // namespace orv::link
