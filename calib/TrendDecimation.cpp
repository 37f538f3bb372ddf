#include "calib/TrendDecimation.h"

#include <algorithm>
#include <cmath>

namespace orv::calib {

std::span<const TrendPoint> PointsWithin(std::span<const TrendPoint> run, std::int64_t from, std::int64_t to) {
    const auto begin = std::lower_bound(run.begin(), run.end(), from,
                                        [](const TrendPoint& p, std::int64_t ms) { return p.ms < ms; });
    const auto end = std::upper_bound(begin, run.end(), to, [](std::int64_t ms, const TrendPoint& p) { return ms < p.ms; });
    return {begin, end};
}

std::size_t DecimateRun(std::span<const TrendPoint> run, const TimeWindow& window, double left, double width,
                        PlotValue value, const void* context, std::vector<PlotPoint>& out) {
    const std::size_t before = out.size();
    if (run.empty() || window.Span() <= 0 || width <= 0) return 0;
    const auto inside = PointsWithin(run, window.from, window.to);
    const std::size_t firstIndex = static_cast<std::size_t>(inside.data() - run.data());
    const std::size_t endIndex = firstIndex + inside.size();
    // Multiplied before divided: a reading on a column's boundary falls in
    // that column, not a rounding error short of it.
    const auto span = static_cast<double>(window.Span());
    const auto offsetOf = [&](const TrendPoint& p) { return static_cast<double>(p.ms - window.from) * width / span; };
    const auto xOf = [&](const TrendPoint& p) { return left + offsetOf(p); };
    const auto emitEdge = [&](std::size_t index) {
        const double v = value(run[index], context);
        if (std::isfinite(v)) out.push_back({xOf(run[index]), v});
    };

    if (firstIndex > 0 && (inside.empty() ? firstIndex < run.size() : true)) emitEdge(firstIndex - 1);

    // One column at a time: its first, lowest, highest and last finite reading.
    std::size_t k = firstIndex;
    while (k < endIndex) {
        const auto column = static_cast<std::int64_t>(std::floor(offsetOf(run[k])));
        std::size_t first = SIZE_MAX, low = 0, high = 0, last = 0;
        double lowV = 0, highV = 0;
        for (; k < endIndex; ++k) {
            const TrendPoint& p = run[k];
            if (static_cast<std::int64_t>(std::floor(offsetOf(p))) != column) break;
            const double v = value(p, context);
            if (!std::isfinite(v)) continue;
            if (first == SIZE_MAX) {
                first = low = high = k;
                lowV = highV = v;
            } else if (v < lowV) {
                low = k;
                lowV = v;
            } else if (v > highV) {
                high = k;
                highV = v;
            }
            last = k;
        }
        if (first == SIZE_MAX) continue;
        std::size_t picks[4] = {first, std::min(low, high), std::max(low, high), last};
        std::size_t previous = SIZE_MAX;
        for (std::size_t pick : picks) {
            if (pick == previous) continue;
            previous = pick;
            out.push_back({xOf(run[pick]), value(run[pick], context)});
        }
    }

    if (endIndex < run.size() && endIndex > 0) emitEdge(endIndex);
    return out.size() - before;
}

}  // namespace orv::calib
