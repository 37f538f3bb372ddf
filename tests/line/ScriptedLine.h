#pragma once
// A serial line with a device behind it on a virtual clock: reads that find
// nothing move the clock to their deadline, so a 5 s time-out costs no time.
// The device is a function from each frame written to the bytes it answers
// and how long after the write they arrive.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "link/line/SerialLine.h"

namespace orv::test {

class ScriptedLine : public link::SerialLine {
public:
    struct Reply {
        std::chrono::milliseconds after{0};
        std::vector<std::uint8_t> bytes;
    };
    using Device = std::function<std::vector<Reply>(const std::vector<std::uint8_t>& frame, Clock::duration at)>;

    explicit ScriptedLine(Device device) : device_(std::move(device)) {}

    Clock::time_point Now() const { return now_; }
    Clock::duration Elapsed() const { return now_ - kStart; }
    const std::vector<std::vector<std::uint8_t>>& Written() const { return written_; }
    // Bytes the device sent before anything was asked.
    void Arrive(std::vector<std::uint8_t> bytes) { pending_.push_back({now_, std::move(bytes)}); }

    void Open(const std::string&, const link::LineSettings&) override { open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }

    void Write(std::span<const std::uint8_t> bytes, Clock::time_point) override {
        written_.emplace_back(bytes.begin(), bytes.end());
        for (auto& r : device_(written_.back(), Elapsed())) pending_.push_back({now_ + r.after, std::move(r.bytes)});
        std::stable_sort(pending_.begin(), pending_.end(), [](const auto& a, const auto& b) { return a.at < b.at; });
    }

    std::size_t Read(std::span<std::uint8_t> into, Clock::time_point deadline) override {
        if (pending_.empty() || pending_.front().at > deadline) {
            now_ = std::max(now_, deadline);
            return 0;
        }
        auto& next = pending_.front();
        now_ = std::max(now_, next.at);
        const std::size_t n = std::min(into.size(), next.bytes.size());
        std::copy_n(next.bytes.begin(), n, into.begin());
        next.bytes.erase(next.bytes.begin(), next.bytes.begin() + static_cast<long>(n));
        if (next.bytes.empty()) pending_.pop_front();
        return n;
    }

    void DropInput() override {
        while (!pending_.empty() && pending_.front().at <= now_) pending_.pop_front();
    }

private:
    struct Pending {
        Clock::time_point at;
        std::vector<std::uint8_t> bytes;
    };
    static constexpr Clock::time_point kStart{std::chrono::hours(1)};

    Device device_;
    Clock::time_point now_ = kStart;
    std::deque<Pending> pending_;
    std::vector<std::vector<std::uint8_t>> written_;
    bool open_ = true;
};

}  // namespace orv::test
