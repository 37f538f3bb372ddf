#pragma once
// The live readings over time as the trend draws them: runs of readings
// separated where a poll went unanswered, so the curve shows a gap there
// instead of a line drawn across time nobody measured.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orv::calib {

struct TrendPoint {
    std::int64_t ms;  // milliseconds since the epoch
    double measured;
    double ambient;
};

// The lowest and highest finite value in a time window, and how many.
struct ValueSpan {
    double min = 0, max = 0;
    std::size_t count = 0;
};

// Over the points of a time window; nothing when it holds none.
struct TrendStats {
    std::size_t count = 0;
    double min = 0, max = 0, mean = 0, stddev = 0;  // population standard deviation
};

class TrendSeries {
public:
    void Add(const TrendPoint& point);
    // The next reading starts a new run. Several gaps in a row make one.
    void BreakRun();

    const std::vector<std::vector<TrendPoint>>& Runs() const { return runs_; }
    bool Empty() const { return runs_.empty(); }
    std::optional<std::int64_t> FirstMs() const;
    std::optional<std::int64_t> LastMs() const;

    // Of the measured value (or the ambient temperature) over [fromMs, toMs].
    std::optional<TrendStats> Stats(std::int64_t fromMs, std::int64_t toMs, bool ambient = false) const;
    // The same, extremes only, at a cost that grows with the window's
    // share of a block rather than with its readings: a redraw of a week
    // needs them before it can lay out its axes.
    ValueSpan Extremes(std::int64_t fromMs, std::int64_t toMs, bool ambient = false) const;

private:
    static constexpr std::size_t kBlock = 256;
    struct Block {
        ValueSpan of[2];  // measured, ambient
    };
    std::vector<std::vector<TrendPoint>> runs_;
    std::vector<std::vector<Block>> blocks_;  // run by run, kBlock readings each
    bool broken_ = true;
};

}  // namespace orv::calib
