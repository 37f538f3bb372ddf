#pragma once
// A log that never makes its caller wait. Lines are queued and written to a
// descriptor by a thread of their own; when the queue is full (nobody reads
// the pipe, a terminal is stopped) new lines are dropped and counted, so the
// device keeps answering whatever happens to its log.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace orv::sim {

class NonBlockingLog {
public:
    // fd is not owned. onWriteError runs once, on the writer thread, with the
    // errno of the first failed write (EPIPE when the reader went away); the
    // log drops everything after it.
    NonBlockingLog(int fd, std::size_t capacity, std::function<void(int error)> onWriteError = {});
    // Writes what is queued for a short while at most, then gives up on it.
    ~NonBlockingLog();
    NonBlockingLog(const NonBlockingLog&) = delete;
    NonBlockingLog& operator=(const NonBlockingLog&) = delete;

    // Queues one line (a newline is added). Never blocks on the descriptor.
    void Post(std::string line);
    // Lines dropped so far because the queue was full or writing had failed.
    std::uint64_t Dropped() const;

private:
    void Run();
    bool WriteAll(const std::string& text);  // false once writing failed or the drain time is up
    bool Fail(int error);

    const int fd_;
    const std::size_t capacity_;
    std::function<void(int)> onWriteError_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
    std::uint64_t dropped_ = 0;
    std::uint64_t droppedReported_ = 0;  // writer thread only
    std::optional<std::chrono::steady_clock::time_point> drainUntil_;  // writer thread only
    bool failed_ = false;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace orv::sim
