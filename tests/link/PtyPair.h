#pragma once
// A pseudo-terminal standing in for the transmitter's line: the tool opens the
// slave by path, the test plays the device on the master.
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orv::test {

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        // A fresh slave echoes and translates CR; the line must be raw before
        // the first byte crosses it.
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        path_ = name;
    }
    ~PtyPair() {
        HangUp();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return path_; }
    int SlaveFd() const { return slave_; }

    // The device sends.
    void Write(const std::vector<std::uint8_t>& bytes) const {
        if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            throw std::runtime_error("pty write failed");
        }
    }
    // Waits, without any event loop, until the tty holds `count` unread
    // bytes: the kernel moves master writes to the slave asynchronously.
    bool WaitArrived(int count, int limitMs = 1000) const {
        for (int waited = 0; waited < limitMs; ++waited) {
            int queued = 0;
            if (::ioctl(slave_, FIONREAD, &queued) == 0 && queued >= count) {
                return true;
            }
            ::usleep(1000);
        }
        return false;
    }
    // What the tool has sent so far.
    std::vector<std::uint8_t> ReadAll() const {
        std::vector<std::uint8_t> out;
        std::uint8_t buf[256];
        ssize_t n;
        while ((n = ::read(master_, buf, sizeof buf)) > 0) {
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    // The device disappears.
    void HangUp() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Runs the event loop until `done` holds or `limitMs` passes; a watchdog so
// that a missing event fails the test instead of hanging the run.
inline bool RunUntil(const std::function<bool()>& done, int limitMs = 2000) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(1);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

inline void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

}  // namespace orv::test
