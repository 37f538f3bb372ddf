#include "calib/TrendSeries.h"

#include <cmath>

#include "calib/TrendDecimation.h"

namespace orv::calib {

void TrendSeries::Add(const TrendPoint& point) {
    if (broken_ || runs_.empty()) runs_.emplace_back();
    runs_.back().push_back(point);
    broken_ = false;
}

void TrendSeries::BreakRun() { broken_ = true; }

std::optional<std::int64_t> TrendSeries::FirstMs() const {
    if (runs_.empty()) return std::nullopt;
    return runs_.front().front().ms;
}

std::optional<std::int64_t> TrendSeries::LastMs() const {
    if (runs_.empty()) return std::nullopt;
    return runs_.back().back().ms;
}

std::optional<TrendStats> TrendSeries::Stats(std::int64_t fromMs, std::int64_t toMs, bool ambient) const {
    // Welford's running mean and variance: a long run of nearly equal
    // readings would lose the spread to cancellation in a sum of squares.
    TrendStats s;
    double m2 = 0;
    for (const auto& run : runs_) {
        for (const auto& p : PointsWithin(run, fromMs, toMs)) {
            const double v = ambient ? p.ambient : p.measured;
            if (!std::isfinite(v)) continue;
            if (s.count == 0) s.min = s.max = v;
            s.min = std::fmin(s.min, v);
            s.max = std::fmax(s.max, v);
            ++s.count;
            const double delta = v - s.mean;
            s.mean += delta / static_cast<double>(s.count);
            m2 += delta * (v - s.mean);
        }
    }
    if (s.count == 0) return std::nullopt;
    s.stddev = std::sqrt(m2 / static_cast<double>(s.count));
    return s;
}

}  // namespace orv::calib
