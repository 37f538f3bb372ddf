#pragma once
// A simulated transmitter behind a pseudo-terminal, so the real serial link
// can open it by path like a USB bridge. A reader thread feeds the device
// what the tool writes to the slave and sends the answers back paced like a
// 1200-baud line.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/Transmitter.h"

namespace orv::sim {

class PtyDevice {
public:
    // Throws std::system_error when no pseudo-terminal can be opened.
    explicit PtyDevice(Transmitter device = Transmitter{});
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    const std::string& SlavePath() const;
    // Runs fn on the device under its lock (faults, bench, block). The frame
    // log stays routed to SetLog's sink whatever fn does.
    void WithDevice(const std::function<void(Transmitter&)>& fn);
    // Receives the frame log and the runner's own notes; called on the reader
    // thread, never while the device is locked.
    void SetLog(std::function<void(const std::string&)> sink);

private:
    void Run();
    void HookLog();
    void Emit(std::vector<std::string>& lines);
    bool Pause(std::chrono::steady_clock::time_point until);  // false when stopping
    void CheckLine(std::vector<std::string>& notes);

    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between the tool's opens
    int wake_[2] = {-1, -1};  // self-pipe: the destructor wakes the reader at once
    std::string slavePath_;

    std::mutex deviceMutex_;
    Transmitter device_;
    std::vector<std::string> deviceLines_;  // filled under deviceMutex_ by the device's log

    std::mutex sinkMutex_;
    std::function<void(const std::string&)> sink_;

    std::string lineState_;  // last reported line settings, reader thread only
    std::chrono::steady_clock::time_point deafUntil_{};  // restarting until then, reader thread only
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

}  // namespace orv::sim
