#include "calib/TrendSeries.h"

#include <cmath>

#include "calib/TrendDecimation.h"

namespace orv::calib {

namespace {

void Widen(ValueSpan& span, double v) {
    if (!std::isfinite(v)) return;
    span.min = span.count ? std::fmin(span.min, v) : v;
    span.max = span.count ? std::fmax(span.max, v) : v;
    ++span.count;
}

void Widen(ValueSpan& span, const ValueSpan& other) {
    if (!other.count) return;
    span.min = span.count ? std::fmin(span.min, other.min) : other.min;
    span.max = span.count ? std::fmax(span.max, other.max) : other.max;
    span.count += other.count;
}

}  // namespace

void TrendSeries::Add(const TrendPoint& point) {
    if (broken_ || runs_.empty()) {
        runs_.emplace_back();
        blocks_.emplace_back();
    }
    auto& run = runs_.back();
    auto& blocks = blocks_.back();
    if (run.size() % kBlock == 0) blocks.emplace_back();
    run.push_back(point);
    Widen(blocks.back().of[0], point.measured);
    Widen(blocks.back().of[1], point.ambient);
    broken_ = false;
}

ValueSpan TrendSeries::Extremes(std::int64_t fromMs, std::int64_t toMs, bool ambient) const {
    ValueSpan span;
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        const auto& run = runs_[r];
        const auto inside = PointsWithin(run, fromMs, toMs);
        std::size_t k = static_cast<std::size_t>(inside.data() - run.data());
        const std::size_t end = k + inside.size();
        while (k < end) {
            if (k % kBlock == 0 && k + kBlock <= end) {
                Widen(span, blocks_[r][k / kBlock].of[ambient ? 1 : 0]);
                k += kBlock;
            } else {
                Widen(span, ambient ? run[k].ambient : run[k].measured);
                ++k;
            }
        }
    }
    return span;
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
