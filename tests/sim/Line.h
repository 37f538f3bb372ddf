#pragma once
// The tool's side of a simulated device's line, as a plain POSIX descriptor.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "Frames.h"

namespace orv::simtest {

class Line {
public:
    explicit Line(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (fd_ < 0) return;
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B1200);
        ::cfsetospeed(&t, B1200);
        ::tcsetattr(fd_, TCSANOW, &t);
    }
    ~Line() {
        if (fd_ >= 0) ::close(fd_);
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    bool ok() const { return fd_ >= 0; }
    void Send(const Bytes& b) const { ASSERT_EQ(::write(fd_, b.data(), b.size()), static_cast<ssize_t>(b.size())); }
    // Reads until `count` bytes came or nothing arrived for `quietMs`.
    Bytes Read(std::size_t count, int quietMs = 1500) const {
        Bytes out;
        while (out.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            std::uint8_t buf[64];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

private:
    int fd_;
};

}  // namespace orv::simtest
