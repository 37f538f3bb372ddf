#include "calib/TrendDecimation.h"

#include <algorithm>
#include <cmath>

namespace orv::calib {

namespace {

template <typename Value>
void Reduce(std::span<const TrendPoint> run, const TimeWindow& window, int left, int width, Value value,
            std::vector<PlotPoint>& out) {
    const auto inside = PointsWithin(run, window.from, window.to);
    const std::size_t firstIndex = static_cast<std::size_t>(inside.data() - run.data());
    const std::size_t endIndex = firstIndex + inside.size();
    const std::int64_t span = window.Span();
    const auto xOf = [&](const TrendPoint& p) {
        return left + static_cast<double>(p.ms - window.from) * width / static_cast<double>(span);
    };
    const auto emitEdge = [&](std::size_t index) {
        const double v = value(run[index]);
        if (std::isfinite(v)) out.push_back({xOf(run[index]), v});
    };

    if (firstIndex > 0 && (!inside.empty() || firstIndex < run.size())) emitEdge(firstIndex - 1);

    // Column c holds the readings with c <= (ms - from) * width / span < c + 1,
    // worked out in whole numbers: no reading falls a rounding error short.
    std::size_t k = firstIndex;
    while (k < endIndex) {
        const std::int64_t column = (run[k].ms - window.from) * width / span;
        const std::int64_t limit = (column + 1) * span;  // (ms - from) * width below this
        const auto inColumn = [&](std::size_t i) { return i < endIndex && (run[i].ms - window.from) * width < limit; };
        while (inColumn(k) && !std::isfinite(value(run[k]))) ++k;
        if (!inColumn(k)) continue;
        std::size_t first = k, low = k, high = k, last = k;
        double lowV = value(run[k]), highV = lowV;
        // Two independent comparisons the compiler can make without jumps:
        // noisy readings would mispredict a branch every other time.
        for (++k; inColumn(k); ++k) {
            const double v = value(run[k]);
            if (!std::isfinite(v)) continue;
            low = v < lowV ? k : low;
            lowV = v < lowV ? v : lowV;
            high = v > highV ? k : high;
            highV = v > highV ? v : highV;
            last = k;
        }
        const std::size_t picks[4] = {first, std::min(low, high), std::max(low, high), last};
        std::size_t previous = SIZE_MAX;
        for (std::size_t pick : picks) {
            if (pick == previous) continue;
            previous = pick;
            out.push_back({xOf(run[pick]), value(run[pick])});
        }
    }

    if (endIndex < run.size() && endIndex > 0) emitEdge(endIndex);
}

}  // namespace

double PlotQuantity::Of(const TrendPoint& p) const {
    switch (kind) {
        case TrendPlotKind::Measured: return p.measured;
        case TrendPlotKind::Ambient: return p.ambient;
        case TrendPlotKind::Output: break;
    }
    return range ? OutputMilliamps(p.measured, *range).value_or(NAN) : NAN;
}

std::span<const TrendPoint> PointsWithin(std::span<const TrendPoint> run, std::int64_t from, std::int64_t to) {
    const auto begin = std::lower_bound(run.begin(), run.end(), from,
                                        [](const TrendPoint& p, std::int64_t ms) { return p.ms < ms; });
    const auto end = std::upper_bound(begin, run.end(), to, [](std::int64_t ms, const TrendPoint& p) { return ms < p.ms; });
    return {begin, end};
}

std::size_t DecimateRun(std::span<const TrendPoint> run, const TimeWindow& window, int left, int width,
                        const PlotQuantity& quantity, std::vector<PlotPoint>& out) {
    const std::size_t before = out.size();
    if (run.empty() || window.Span() <= 0 || width <= 0) return 0;
    // One loop for each quantity, so the choice is not made per reading.
    switch (quantity.kind) {
        case TrendPlotKind::Measured:
            Reduce(run, window, left, width, [](const TrendPoint& p) { return p.measured; }, out);
            break;
        case TrendPlotKind::Ambient:
            Reduce(run, window, left, width, [](const TrendPoint& p) { return p.ambient; }, out);
            break;
        case TrendPlotKind::Output:
            Reduce(run, window, left, width, [&quantity](const TrendPoint& p) { return quantity.Of(p); }, out);
            break;
    }
    return out.size() - before;
}

}  // namespace orv::calib
