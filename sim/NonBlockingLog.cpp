#include "sim/NonBlockingLog.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace orv::sim {

namespace {

using Clock = std::chrono::steady_clock;

// How long the writer waits for room before it looks at the stop flag again.
constexpr int kPollMs = 50;
// What is still queued at the end gets this long to reach a slow reader.
constexpr auto kDrainTime = std::chrono::milliseconds(300);
// How often a quiet log looks whether its reader is still there.
constexpr auto kReaderCheck = std::chrono::milliseconds(200);

}  // namespace

NonBlockingLog::NonBlockingLog(int fd, std::size_t capacity, std::function<void(int)> onWriteError)
    : fd_(fd), capacity_(capacity), onWriteError_(std::move(onWriteError)) {
    writer_ = std::thread([this] { Run(); });
}

NonBlockingLog::~NonBlockingLog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_.join();
}

void NonBlockingLog::Post(std::string line) {
    {
        std::lock_guard lock(mutex_);
        if (failed_ || stopping_ || queue_.size() >= capacity_) {
            ++dropped_;
            return;
        }
        line += '\n';
        queue_.push_back(std::move(line));
    }
    wake_.notify_one();
}

std::uint64_t NonBlockingLog::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

bool NonBlockingLog::WriteAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        // Waiting for room in poll, never in write, keeps the stop flag in
        // reach: a pipe nobody reads must not hold the program at its exit.
        {
            std::lock_guard lock(mutex_);
            if (stopping_ && !drainUntil_) drainUntil_ = Clock::now() + kDrainTime;
        }
        if (drainUntil_ && Clock::now() >= *drainUntil_) return false;
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, kPollMs);
        if (ready < 0 && errno != EINTR) return Fail(errno);
        if (ready <= 0) continue;
        if (p.revents & (POLLERR | POLLNVAL)) return Fail(EPIPE);
        const ssize_t put = ::write(fd_, text.data() + done, text.size() - done);
        if (put < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Fail(errno);
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool NonBlockingLog::Fail(int error) {
    {
        std::lock_guard lock(mutex_);
        failed_ = true;
        dropped_ += queue_.size();
        queue_.clear();
    }
    if (onWriteError_) onWriteError_(error);
    return false;
}

void NonBlockingLog::Run() {
    // A reader that went away must show as EPIPE here, not kill the program
    // before it has tidied up; the signal stays pending on this thread alone.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    for (;;) {
        std::string line;
        std::uint64_t newlyDropped = 0;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait_for(lock, kReaderCheck, [this] { return stopping_ || !queue_.empty() || failed_; })) {
                lock.unlock();
                // A reader that went away while the log was quiet shows as
                // an error on the pipe; waiting for the next line to find out
                // would leave the link behind for as long as nothing happens.
                pollfd p{fd_, 0, 0};
                if (::poll(&p, 1, 0) == 1 && (p.revents & POLLERR)) {
                    Fail(EPIPE);
                    return;
                }
                continue;
            }
            if (failed_ || queue_.empty()) return;
            line = std::move(queue_.front());
            queue_.pop_front();
            newlyDropped = dropped_ - droppedReported_;
            droppedReported_ = dropped_;
        }
        if (newlyDropped > 0 &&
            !WriteAll("!! " + std::to_string(newlyDropped) + " log lines dropped: the log is not read fast enough\n"))
            return;
        if (!WriteAll(line)) return;
    }
}

}  // namespace orv::sim
