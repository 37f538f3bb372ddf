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

private:
    std::vector<std::vector<TrendPoint>> runs_;
    bool broken_ = true;
};

}  // namespace orv::calib
