#pragma once
// Everything the trend window draws, worked out without a painter: where
// each plot sits, its value range and round ticks, the time ticks, each
// curve reduced to a few points per pixel column, the range's reference
// lines and the cursor's readout. A front end paints the scene as it is, so
// the Qt and the Win32 window show the same picture from the same readings.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calib/OutputCurrent.h"
#include "calib/TrendDecimation.h"
#include "calib/TrendScale.h"
#include "calib/TrendSeries.h"
#include "calib/TrendViewport.h"

namespace orv::calib {

// The colours of the scene. Curves have colours of their own; black and grey
// are for text, frames and the grid.
enum class TrendInk { Text, Frame, Grid, Background, Measured, Ambient, Output, Range, Cursor };
struct Rgb {
    unsigned char r, g, b;
};
Rgb InkColour(TrendInk ink);

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Contains(int x, int y) const { return x >= left && x < Right() && y >= top && y < Bottom(); }
    bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
    float x, y;
};

struct AxisMark {
    int at;  // pixel row of a value tick, pixel column of a time tick
    std::string label;
};

struct ReferenceLine {
    int y;
    std::string label;
};

struct ScenePlot {
    TrendPlotKind kind;
    TrendInk ink;
    std::string unit;
    std::string title;  // with its unit
    PixelRect area;     // inside the frame; curves are clipped to it
    ValueRange range;
    std::vector<AxisMark> ticks;
    std::vector<std::vector<PixelPoint>> curves;  // one line per unbroken run
    std::vector<ReferenceLine> references;
    std::size_t pointsShown = 0;  // readings in view, before reduction
};

struct ReadoutLine {
    std::string text;
    TrendInk ink;
};

struct CursorReadout {
    int x;
    std::vector<ReadoutLine> lines;  // the time, then each curve's value
};

struct TextMetrics {
    int lineHeight = 14;
    std::function<int(const std::string&)> width;  // pixels of a label
};

struct SceneInput {
    const TrendSeries* series = nullptr;
    TimeWindow window;
    int offsetMinutes = 0;  // of the times shown from UTC
    int width = 0, height = 0;
    TextMetrics text;
    std::string measuredUnit, ambientUnit;
    std::optional<OutputRange> range;  // the configured range, when it is known
    bool showOutput = false;
    const TrendViewport* viewport = nullptr;  // value zooms; may be null
    std::optional<int> cursorX;
};

struct TrendScene {
    int width = 0, height = 0;
    TimeWindow window;
    std::vector<ScenePlot> plots;
    std::vector<AxisMark> timeTicks;
    std::optional<CursorReadout> cursor;
    std::string emptyText;  // shown over the plots when no reading is in view
};

TrendScene BuildTrendScene(const SceneInput& in);

// Names of the quantities, as the legend, readout and statistics show them.
const char* PlotName(TrendPlotKind kind);

// The time under a pixel column and the value under a pixel row of a plot.
std::int64_t TimeAt(const TrendScene& scene, int x);
double ValueAt(const ScenePlot& plot, int y);
// The plot under a pixel, if any.
const ScenePlot* PlotAt(const TrendScene& scene, int x, int y);

}  // namespace orv::calib
