#pragma once
// A run of readings reduced to what a plot of a given width can show: per
// pixel column the first, lowest, highest and last reading, in time order.
// The line then looks as it would with every reading drawn, a single spike
// included, whatever the number of readings behind each column.
#include <cstdint>
#include <span>
#include <vector>

#include "calib/OutputCurrent.h"
#include "calib/TrendSeries.h"
#include "calib/TrendViewport.h"

namespace orv::calib {

struct PlotPoint {
    double x;      // pixel column, fractional: left + (ms - from) * width / span
    double value;  // the plotted quantity, not yet a pixel row
};

// What a curve plots of each reading; the output needs the range it follows.
struct PlotQuantity {
    TrendPlotKind kind;
    const OutputRange* range = nullptr;  // for the output
    double Of(const TrendPoint& p) const;
};

// Appends the reduced points of run (sorted by time) that fall inside window,
// plus the reading just outside on either side so the line runs to the
// plot's edge. Readings whose value is not finite are left out. Returns the
// number of points appended.
std::size_t DecimateRun(std::span<const TrendPoint> run, const TimeWindow& window, int left, int width,
                        const PlotQuantity& quantity, std::vector<PlotPoint>& out);

// The readings of a run inside [from, to], by binary search.
std::span<const TrendPoint> PointsWithin(std::span<const TrendPoint> run, std::int64_t from, std::int64_t to);

}  // namespace orv::calib
