#include "link/line/posix/PosixSerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "link/line/SerialLineError.h"
#include "link/line/ThisPlatform.h"

namespace orv::link {

namespace {

using Kind = SerialLineError::Kind;

std::string SystemText(int error) { return std::strerror(error); }

// A device that went away: the adapter was pulled, or the other side of a
// pseudo-terminal closed.
bool GoneError(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

bool Speed(int baud, speed_t& out) {
    static constexpr struct {
        int baud;
        speed_t speed;
    } kSpeeds[] = {{300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},    {4800, B4800},
                   {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};
    for (const auto& s : kSpeeds)
        if (s.baud == baud) {
            out = s.speed;
            return true;
        }
    return false;
}

// Whole milliseconds until `deadline`, rounded up so a wait never ends just
// before it; 0 once it has passed.
int MillisecondsLeft(SerialLine::Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SerialLine::Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

}  // namespace

std::unique_ptr<SerialLine> MakeSerialLine() { return std::make_unique<PosixSerialLine>(); }

PosixSerialLine::~PosixSerialLine() { Close(); }

void PosixSerialLine::Open(const std::string& path, const LineSettings& settings) {
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw SerialLineError(Kind::Open, path, SystemText(errno));
    auto fail = [fd, &path](Kind kind, const std::string& detail) {
        ::close(fd);
        return SerialLineError(kind, path, detail);
    };
    if (!::isatty(fd)) throw fail(Kind::Open, "not a serial port");
    // Two programs on one line would each take the other's answers. The lock
    // keeps out others that lock (this tool, another instance of it); the
    // exclusive mode keeps out every other unprivileged open.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw fail(Kind::Open, errno == EWOULDBLOCK ? "in use by another program" : SystemText(errno));
    ::ioctl(fd, TIOCEXCL);

    termios t{};
    if (::tcgetattr(fd, &t) != 0) throw fail(Kind::Configure, SystemText(errno));
    ::cfmakeraw(&t);
    speed_t speed{};
    if (!Speed(settings.baud, speed)) throw fail(Kind::Configure, std::to_string(settings.baud) + " baud is not offered");
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    switch (settings.dataBits) {
        case 5: t.c_cflag |= CS5; break;
        case 6: t.c_cflag |= CS6; break;
        case 7: t.c_cflag |= CS7; break;
        default: t.c_cflag |= CS8; break;
    }
    switch (settings.parity) {
        case Parity::None: break;
        case Parity::Even: t.c_cflag |= PARENB; break;
        case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
        case Parity::Mark:
        case Parity::Space: throw fail(Kind::Configure, "mark and space parity are not offered");
    }
    switch (settings.stopBits) {
        case StopBits::One: break;
        case StopBits::Two: t.c_cflag |= CSTOPB; break;
        case StopBits::OneAndHalf: throw fail(Kind::Configure, "1.5 stop bits are not offered");
    }
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // With VMIN 0 a read of an empty line returns 0, which is also how a
    // hang-up reads; with 1 (and O_NONBLOCK) the empty line says EAGAIN.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) throw fail(Kind::Configure, SystemText(errno));
    // Bytes that reached the port before anyone listened answer nothing
    // this program will ask.
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    path_ = path;
}

void PosixSerialLine::Close() {
    if (fd_ < 0) return;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

void PosixSerialLine::RequireOpen() const {
    if (fd_ < 0) throw SerialLineError(Kind::NotOpen, path_, "");
}

void PosixSerialLine::FailHungUp(int error) {
    Close();
    // A hang-up says all there is; "Input/output error" would only confuse.
    throw SerialLineError(Kind::HungUp, path_, error == 0 || error == EIO ? "" : SystemText(error));
}

void PosixSerialLine::Write(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    RequireOpen();
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
        if (put > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(put));
            continue;
        }
        const int error = put < 0 ? errno : EAGAIN;
        if (error == EINTR) continue;
        if (GoneError(error)) FailHungUp(error);
        if (error != EAGAIN) throw SerialLineError(Kind::Write, path_, SystemText(error));
        const int left = MillisecondsLeft(deadline);
        if (left == 0) throw SerialLineError(Kind::Stalled, path_, "");
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR) throw SerialLineError(Kind::Write, path_, SystemText(errno));
        if (p.revents & POLLNVAL) throw SerialLineError(Kind::Write, path_, "the port was closed under the line");
    }
}

std::size_t PosixSerialLine::Read(std::span<std::uint8_t> into, Clock::time_point deadline) {
    RequireOpen();
    if (into.empty()) return 0;
    for (;;) {
        const ssize_t got = ::read(fd_, into.data(), into.size());
        if (got > 0) return static_cast<std::size_t>(got);
        // A terminal that has hung up reads as end of file.
        const int error = got == 0 ? 0 : errno;
        if (error == EINTR) continue;
        if (got == 0 || GoneError(error)) FailHungUp(error);
        if (error != EAGAIN) throw SerialLineError(Kind::Read, path_, SystemText(error));
        const int left = MillisecondsLeft(deadline);
        if (left == 0) return 0;
        // A hang-up wakes this wait too; the read above then reports it once.
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, left) < 0 && errno != EINTR) throw SerialLineError(Kind::Read, path_, SystemText(errno));
        if (p.revents & POLLNVAL) throw SerialLineError(Kind::Read, path_, "the port was closed under the line");
    }
}

void PosixSerialLine::DropInput() {
    RequireOpen();
    ::tcflush(fd_, TCIFLUSH);
}

}  // namespace orv::link
