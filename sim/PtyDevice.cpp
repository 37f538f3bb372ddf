#include "sim/PtyDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <system_error>

namespace orv::sim {

namespace {

using Clock = std::chrono::steady_clock;

// Ten bit times a byte (start, 8 data, stop) at 1200 baud.
constexpr auto kByteTime = std::chrono::microseconds(8333);
// How long the reader sleeps in poll before it looks at the stop flag again;
// the wake pipe normally ends the wait sooner.
constexpr int kPollMs = 100;

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::system_error SystemError(const char* what) { return std::system_error(errno, std::generic_category(), what); }

unsigned Baud(speed_t s) {
    switch (s) {
        case B300: return 300;
        case B600: return 600;
        case B1200: return 1200;
        case B2400: return 2400;
        case B4800: return 4800;
        case B9600: return 9600;
        case B19200: return 19200;
        case B38400: return 38400;
        case B57600: return 57600;
        case B115200: return 115200;
        default: return 0;
    }
}

std::string LineSettings(const termios& t) {
    const int bits = (t.c_cflag & CSIZE) == CS8 ? 8 : (t.c_cflag & CSIZE) == CS7 ? 7 : (t.c_cflag & CSIZE) == CS6 ? 6 : 5;
    const char parity = (t.c_cflag & PARENB) ? ((t.c_cflag & PARODD) ? 'O' : 'E') : 'N';
    return std::to_string(Baud(cfgetospeed(&t))) + ' ' + std::to_string(bits) + parity + ((t.c_cflag & CSTOPB) ? '2' : '1');
}

}  // namespace

PtyDevice::PtyDevice(Transmitter device) : device_(std::move(device)) {
    auto fail = [this](const char* what) {
        const std::system_error error = SystemError(what);
        CloseFd(master_);
        CloseFd(slave_);
        CloseFd(wake_[0]);
        CloseFd(wake_[1]);
        return error;
    };
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) throw fail("openpty");
    // A fresh slave echoes and turns CR into LF: both would corrupt frames
    // before anyone has configured the line, so it goes raw at once, at the
    // device's own speed.
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) throw fail("tcgetattr");
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B1200);
    ::cfsetospeed(&t, B1200);
    if (::tcsetattr(slave_, TCSANOW, &t) != 0) throw fail("tcsetattr");
    lineState_ = LineSettings(t);

    char name[128];
    if (::ttyname_r(slave_, name, sizeof name) != 0) throw fail("ttyname_r");
    slavePath_ = name;

    for (int fd : {master_, slave_}) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) throw fail("fcntl");
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) throw fail("pipe2");

    HookLog();
    try {
        reader_ = std::thread([this] { Run(); });
    } catch (...) {
        CloseFd(master_);
        CloseFd(slave_);
        CloseFd(wake_[0]);
        CloseFd(wake_[1]);
        throw;
    }
}

PtyDevice::~PtyDevice() {
    stop_ = true;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(wake_[1], &byte, 1);
    if (reader_.joinable()) reader_.join();
    CloseFd(master_);
    CloseFd(slave_);
    CloseFd(wake_[0]);
    CloseFd(wake_[1]);
}

const std::string& PtyDevice::SlavePath() const { return slavePath_; }

void PtyDevice::HookLog() {
    device_.SetLog([this](const std::string& line) { deviceLines_.push_back(line); });
}

void PtyDevice::WithDevice(const std::function<void(Transmitter&)>& fn) {
    std::vector<std::string> lines;
    {
        std::lock_guard lock(deviceMutex_);
        fn(device_);
        HookLog();
        lines.swap(deviceLines_);
    }
    Emit(lines);
}

void PtyDevice::SetLog(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(sinkMutex_);
    sink_ = std::move(sink);
}

void PtyDevice::Emit(std::vector<std::string>& lines) {
    if (lines.empty()) return;
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard lock(sinkMutex_);
        sink = sink_;  // a copy, so a sink may call SetLog without deadlock
    }
    if (sink)
        for (const auto& line : lines) sink(line);
    lines.clear();
}

bool PtyDevice::Pause(Clock::time_point until) {
    for (;;) {
        if (stop_) return false;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return true;
        pollfd wake{wake_[0], POLLIN, 0};
        ::poll(&wake, 1, static_cast<int>(left));
    }
}

void PtyDevice::CheckLine(std::vector<std::string>& notes) {
    // A real device on the wrong line settings would see garbage; the pty
    // passes bytes through regardless, so at least say so.
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return;
    std::string now = LineSettings(t);
    if (now == lineState_) return;
    lineState_ = now;
    notes.push_back(now == "1200 8N1" ? "   line back at 1200 8N1" : "!! line set to " + now + ", the device talks 1200 8N1");
}

void PtyDevice::Run() {
    std::vector<std::string> lines;
    std::uint8_t buffer[256];
    while (!stop_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, kPollMs);
        if (stop_) break;
        if (ready < 0) {
            if (errno == EINTR) continue;
            lines.push_back(std::string("!! poll failed: ") + std::strerror(errno));
            Emit(lines);
            if (!Pause(Clock::now() + std::chrono::milliseconds(kPollMs))) break;
            continue;
        }
        std::vector<std::uint8_t> answer;
        unsigned delayMs = 0;
        if (ready == 0) {
            // A tool sends a request in one burst, so a quiet line means a
            // half-received frame will never be completed; a request it hid
            // is answered now.
            std::lock_guard lock(deviceMutex_);
            answer = device_.LineIdle();
            delayMs = device_.answerDelayMs;
            lines.swap(deviceLines_);
        } else {
            if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;

            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0) {
                // We hold the slave open, so a hang-up should not happen; if
                // it does, do not spin on it.
                if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
                if (!Pause(Clock::now() + std::chrono::milliseconds(kPollMs))) break;
                continue;
            }
            CheckLine(lines);
            const std::span<const std::uint8_t> received(buffer, static_cast<std::size_t>(got));
            if (Clock::now() < deafUntil_) {
                lines.push_back("!! restarting, lost " + HexBytes(received));
                Emit(lines);
                continue;
            }

            std::lock_guard lock(deviceMutex_);
            const unsigned restarts = device_.Stats().restarts;
            answer = device_.Receive(received);
            delayMs = device_.answerDelayMs;
            if (device_.Stats().restarts != restarts)
                deafUntil_ = Clock::now() + std::chrono::milliseconds(device_.restartMs);
            lines.insert(lines.end(), deviceLines_.begin(), deviceLines_.end());
            deviceLines_.clear();
        }
        Emit(lines);
        if (answer.empty()) continue;

        // Each byte leaves when its ten bit times would have ended on a real
        // line; deadlines from one start point keep the total right even when
        // a single wake-up is late.
        const auto start = Clock::now() + std::chrono::milliseconds(delayMs);
        for (std::size_t i = 0; i < answer.size(); ++i) {
            if (!Pause(start + kByteTime * static_cast<long>(i + 1))) return;
            const ssize_t put = ::write(master_, &answer[i], 1);
            if (put != 1) {
                lines.push_back("!! answer cut short after " + std::to_string(i) + " bytes: nobody reads the line");
                Emit(lines);
                break;
            }
        }
    }
}

}  // namespace orv::sim
