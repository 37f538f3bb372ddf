#include "calib/TrendScene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orv::calib {

namespace {

constexpr int kTopMargin = 6;
constexpr int kRightMargin = 16;
constexpr int kPlotGap = 10;
constexpr int kTickLength = 4;
// How far from the cursor a reading may be and still be the one under it:
// beyond, the cursor is in a gap.
constexpr std::int64_t kReadoutReachMs = 1500;
constexpr int kReadoutReachPixels = 4;

struct Quantity {
    PlotQuantity what;
    TrendInk ink;
    double weight;  // share of the height
};

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v == 0 ? 0.0 : v);
    return text;
}

std::string WithUnit(const std::string& what, const std::string& unit) {
    return unit.empty() ? what : what + " (" + unit + ")";
}

int Width(const TextMetrics& m, const std::string& s) {
    return m.width ? m.width(s) : static_cast<int>(s.size()) * (m.lineHeight / 2 + 1);
}

float Row(const ValueRange& r, const PixelRect& area, double v) {
    const double y = area.top + (r.hi - v) / (r.hi - r.lo) * area.height;
    // Far outside the plot a line only has to leave it in the right direction.
    return static_cast<float>(std::clamp(y, area.top - 1e5, area.Bottom() + 1e5));
}

}  // namespace

Rgb InkColour(TrendInk ink) {
    switch (ink) {
        case TrendInk::Text: return {0x20, 0x20, 0x20};
        case TrendInk::Frame: return {0x80, 0x80, 0x80};
        case TrendInk::Grid: return {0xe0, 0xe0, 0xe0};
        case TrendInk::Background: return {0xff, 0xff, 0xff};
        case TrendInk::Measured: return {0x1f, 0x5f, 0xbf};
        case TrendInk::Ambient: return {0xd0, 0x60, 0x20};
        case TrendInk::Output: return {0x2a, 0x9d, 0x3a};
        case TrendInk::Range: return {0xa0, 0x30, 0xa0};
        case TrendInk::Cursor: return {0x60, 0x60, 0x60};
    }
    return {0, 0, 0};
}

const char* PlotName(TrendPlotKind kind) {
    switch (kind) {
        case TrendPlotKind::Measured: return "Measured value";
        case TrendPlotKind::Ambient: return "Ambient temperature";
        case TrendPlotKind::Output: return "Output";
    }
    return "";
}

TrendScene BuildTrendScene(const SceneInput& in) {
    TrendScene scene;
    scene.width = in.width;
    scene.height = in.height;
    scene.window = in.window;
    if (in.window.Span() <= 0 || in.width <= 0 || in.height <= 0) return scene;

    const OutputRange* range = in.range ? &*in.range : nullptr;
    std::vector<Quantity> quantities = {{{TrendPlotKind::Measured}, TrendInk::Measured, 3.0},
                                        {{TrendPlotKind::Ambient}, TrendInk::Ambient, 1.5}};
    if (in.showOutput && range) quantities.push_back({{TrendPlotKind::Output, range}, TrendInk::Output, 1.5});
    static const std::vector<std::vector<TrendPoint>> kNoRuns;
    const auto& runs = in.series ? in.series->Runs() : kNoRuns;

    // Value ranges first: the widest tick label decides where the plots begin.
    const int line = std::max(in.text.lineHeight, 8);
    const int titleHeight = line + 4;
    const int count = static_cast<int>(quantities.size());
    const int bottomMargin = line + kTickLength + 6;
    const int plotRoom = std::max(0, in.height - kTopMargin - bottomMargin - count * titleHeight - (count - 1) * kPlotGap);
    double weights = 0;
    for (const auto& q : quantities) weights += q.weight;

    int labelWidth = 0;
    int top = kTopMargin;
    // The values in view, in one pass over the readings. The output needs
    // none: its axis is fixed, and it is a monotonic function of the
    // measured value, so it is shown wherever that is.
    double lows[2] = {INFINITY, INFINITY}, highs[2] = {-INFINITY, -INFINITY};
    std::size_t shown[3] = {0, 0, 0};
    if (in.series) {
        for (int k = 0; k < 2; ++k) {
            const ValueSpan span = in.series->Extremes(in.window.from, in.window.to, k == 1);
            shown[k] = span.count;
            if (span.count) lows[k] = span.min, highs[k] = span.max;
        }
    }
    shown[2] = shown[0];

    for (std::size_t index = 0; index < quantities.size(); ++index) {
        const Quantity& q = quantities[index];
        ScenePlot plot;
        plot.kind = q.what.kind;
        plot.ink = q.ink;
        plot.unit = plot.kind == TrendPlotKind::Measured  ? in.measuredUnit
                    : plot.kind == TrendPlotKind::Ambient ? in.ambientUnit
                                                          : std::string("mA");
        plot.title = WithUnit(PlotName(plot.kind), plot.unit);
        top += titleHeight;
        plot.area.top = top;
        plot.area.height = static_cast<int>(plotRoom * q.weight / weights);
        top += plot.area.height + kPlotGap;

        plot.pointsShown = shown[index];
        if (plot.kind == TrendPlotKind::Output)
            plot.range = {2.0, 22.0};  // the whole loop range and its saturation, always
        else
            plot.range = FitValues(lows[index], highs[index]);
        if (in.viewport)
            if (const auto zoom = in.viewport->ValueZoom(plot.kind)) plot.range = *zoom;
        const int maxTicks = std::clamp(plot.area.height / (line * 2), 2, 10);
        for (const ValueTick& t : RoundTicks(plot.range.lo, plot.range.hi, maxTicks)) {
            plot.ticks.push_back({static_cast<int>(std::lround(Row(plot.range, plot.area, t.value))), t.label});
            labelWidth = std::max(labelWidth, Width(in.text, t.label));
        }
        scene.plots.push_back(std::move(plot));
    }

    const int left = labelWidth + kTickLength + 8;
    const int width = std::max(1, in.width - left - kRightMargin);
    std::vector<PlotPoint> reduced;
    std::vector<std::vector<PlotPoint>> measured;  // reduced, run by run, for the output too
    bool anything = false;
    for (std::size_t k = 0; k < scene.plots.size(); ++k) {
        ScenePlot& plot = scene.plots[k];
        plot.area.left = left;
        plot.area.width = width;
        for (AxisMark& tick : plot.ticks) tick.at = std::clamp(tick.at, plot.area.top, plot.area.Bottom());
        const auto addCurve = [&](const std::vector<PlotPoint>& points, bool output) {
            std::vector<PixelPoint> curve;
            curve.reserve(points.size());
            for (const PlotPoint& p : points) {
                const double v = output ? quantities[k].what.Of({0, p.value, 0}) : p.value;
                if (std::isfinite(v)) curve.push_back({static_cast<float>(p.x), Row(plot.range, plot.area, v)});
            }
            if (!curve.empty()) plot.curves.push_back(std::move(curve));
        };
        if (plot.kind == TrendPlotKind::Output) {
            // The first, lowest, highest and last measured value of a column
            // are the output's too (lowest and highest swapped for 20-4 mA).
            for (const auto& points : measured) addCurve(points, true);
        } else {
            for (const auto& run : runs) {
                reduced.clear();
                DecimateRun(run, in.window, left, width, quantities[k].what, reduced);
                if (reduced.empty()) continue;
                addCurve(reduced, false);
                if (plot.kind == TrendPlotKind::Measured) measured.push_back(reduced);
            }
        }
        anything = anything || plot.pointsShown > 0;
        if (plot.kind == TrendPlotKind::Measured && in.range) {
            for (const auto& [value, name] : {std::pair{in.range->zero, "Range zero"}, std::pair{in.range->full, "Range full"}}) {
                if (value < plot.range.lo || value > plot.range.hi) continue;
                plot.references.push_back({static_cast<int>(std::lround(Row(plot.range, plot.area, value))),
                                           std::string(name) + " " + Number(value)});
            }
        }
    }
    if (!anything) scene.emptyText = "No readings in this time";

    const int timeLabel = Width(in.text, "00:00:00");
    const int maxTimeTicks = std::clamp(width / (timeLabel + 30), 2, 12);
    const double scale = static_cast<double>(width) / static_cast<double>(in.window.Span());
    for (const TimeTick& t : LocalTimeTicks(in.window.from, in.window.to, in.offsetMinutes, maxTimeTicks))
        scene.timeTicks.push_back({left + static_cast<int>(std::lround(static_cast<double>(t.ms - in.window.from) * scale)), t.label});

    if (in.cursorX && *in.cursorX >= left && *in.cursorX <= left + width) {
        CursorReadout cursor{*in.cursorX, {}};
        const std::int64_t at = TimeAt(scene, *in.cursorX);
        const std::int64_t reach =
            std::max<std::int64_t>(kReadoutReachMs, static_cast<std::int64_t>(kReadoutReachPixels / scale));
        const TrendPoint* nearest = nullptr;
        for (const auto& run : runs) {
            const auto after = std::lower_bound(run.begin(), run.end(), at,
                                                [](const TrendPoint& p, std::int64_t ms) { return p.ms < ms; });
            for (auto it : {after, after == run.begin() ? run.end() : after - 1}) {
                if (it == run.end()) continue;
                if (!nearest || std::llabs(it->ms - at) < std::llabs(nearest->ms - at)) nearest = &*it;
            }
        }
        if (nearest && std::llabs(nearest->ms - at) > reach) nearest = nullptr;
        cursor.lines.push_back({LocalDateTime(nearest ? nearest->ms : at, in.offsetMinutes), TrendInk::Text});
        for (std::size_t k = 0; k < scene.plots.size(); ++k) {
            const ScenePlot& plot = scene.plots[k];
            const double v = nearest ? quantities[k].what.Of(*nearest) : std::nan("");
            std::string text = std::string(PlotName(plot.kind)) + ": ";
            text += std::isfinite(v) ? Number(v) + (plot.unit.empty() ? "" : " " + plot.unit) : std::string("-");
            cursor.lines.push_back({text, plot.ink});
        }
        scene.cursor = std::move(cursor);
    }
    return scene;
}

std::int64_t TimeAt(const TrendScene& scene, int x) {
    if (scene.plots.empty() || scene.plots.front().area.width <= 0) return scene.window.from;
    const PixelRect& area = scene.plots.front().area;
    const double fraction = static_cast<double>(x - area.left) / area.width;
    return scene.window.from + static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(scene.window.Span())));
}

double ValueAt(const ScenePlot& plot, int y) {
    if (plot.area.height <= 0) return plot.range.lo;
    const double fraction = static_cast<double>(y - plot.area.top) / plot.area.height;
    return plot.range.hi - fraction * (plot.range.hi - plot.range.lo);
}

const ScenePlot* PlotAt(const TrendScene& scene, int x, int y) {
    for (const ScenePlot& plot : scene.plots)
        if (plot.area.Contains(x, y)) return &plot;
    return nullptr;
}

}  // namespace orv::calib
