// The trend's view logic without a painter: axes, the sliding window and its
// zooms, the reduction per pixel column, the output from the range, the
// window's placement and the scene the front ends paint.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "calib/OutputCurrent.h"
#include "calib/TrendPlacement.h"
#include "calib/TrendScale.h"
#include "calib/TrendScene.h"
#include "calib/TrendView.h"

namespace orv::calib {
namespace {

constexpr std::int64_t kT0 = 1796778000000;  // 2026-12-09T01:00:00Z

std::vector<std::string> Labels(const std::vector<ValueTick>& ticks) {
    std::vector<std::string> out;
    for (const auto& t : ticks) out.push_back(t.label);
    return out;
}

TEST(TrendScale, FitsValuesWithAMarginAndAFlatLineInTheMiddle) {
    const struct {
        double min, max;
        ValueRange range;
    } cases[] = {
        {10, 20, {9, 21}},
        {25, 25, {24.5, 25.5}},           // flat: a fixed band, not the frame
        {1000, 1000, {990, 1010}},        // flat and large: the band grows with it
        {NAN, NAN, {0, 1}},               // nothing to fit
        {-5, -1, {-5.4, -0.6}},
    };
    for (const auto& c : cases) {
        const ValueRange r = FitValues(c.min, c.max);
        EXPECT_NEAR(r.lo, c.range.lo, 1e-9) << c.min << " " << c.max;
        EXPECT_NEAR(r.hi, c.range.hi, 1e-9) << c.min << " " << c.max;
    }
}

TEST(TrendScale, TicksFallOnRoundNumbers) {
    const struct {
        double lo, hi;
        int most;
        std::vector<std::string> labels;
    } cases[] = {
        {-0.13, 1.07, 6, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
        {-130, 1430, 5, {"0", "500", "1000"}},
        {24.5, 25.5, 4, {"24.5", "25.0", "25.5"}},
        {-0.3, 0.3, 3, {"-0.2", "0.0", "0.2"}},                   // no "-0.0"
        {3.0, 3.0, 5, {}},
    };
    for (const auto& c : cases) {
        auto labels = Labels(RoundTicks(c.lo, c.hi, c.most));
        EXPECT_EQ(labels, c.labels) << c.lo << ".." << c.hi;
        EXPECT_LE(labels.size(), static_cast<std::size_t>(c.most) + 1);
    }
}

TEST(TrendScale, TimeTicksFallOnRoundLocalTimes) {
    const struct {
        std::int64_t from, to;
        int offset, most;
        std::vector<std::string> labels;
    } cases[] = {
        {kT0 + 1500, kT0 + 31'000, 60, 4, {"02:00:10", "02:00:20", "02:00:30"}},
        {kT0 - 60'000, kT0 + 600'000, 330, 6, {"06:30", "06:32", "06:34", "06:36", "06:38", "06:40"}},  // half-hour zone
        {kT0, kT0 + 3 * 3600'000, -60, 3, {"12-09", "01:00", "02:00", "03:00"}},  // midnight shows the date
        {kT0, kT0 + 7 * 86400'000LL, 60, 8, {"12-10", "12-11", "12-12", "12-13", "12-14", "12-15", "12-16"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> labels;
        for (const auto& t : LocalTimeTicks(c.from, c.to, c.offset, c.most)) {
            EXPECT_TRUE(t.ms >= c.from && t.ms <= c.to);
            labels.push_back(t.label);
        }
        EXPECT_EQ(labels, c.labels) << c.offset;
    }
}

TEST(TrendViewport, GrowsWithTheDataThenSlidesAndHoldsWhenPausedOrZoomed) {
    constexpr std::int64_t kMin = 60'000;
    const struct {
        const char* what;
        TrendSpan span;
        std::int64_t dataMs;                   // readings from kT0 to kT0 + dataMs; negative: none
        std::optional<std::int64_t> pausedAt;  // after kT0
        TimeWindow window;                     // after kT0
    } cases[] = {
        {"one reading", TrendSpan::TenMinutes, 0, {}, {0, 30'000}},
        {"81 s", TrendSpan::TenMinutes, 81'000, {}, {0, 81'000}},
        {"20 min slide", TrendSpan::TenMinutes, 20 * kMin, {}, {10 * kMin, 20 * kMin}},
        {"1 min", TrendSpan::OneMinute, 20 * kMin, {}, {19 * kMin, 20 * kMin}},
        {"whole run", TrendSpan::WholeRun, 20 * kMin, {}, {0, 20 * kMin}},
        {"8 h of 20 min", TrendSpan::EightHours, 20 * kMin, {}, {0, 20 * kMin}},
        {"paused", TrendSpan::TenMinutes, 20 * kMin, 15 * kMin, {5 * kMin, 15 * kMin}},
        {"no readings", TrendSpan::TenMinutes, -1, {}, {5000, 35'000}},  // from the time now
    };
    for (const auto& c : cases) {
        TrendViewport v;
        v.SetSpan(c.span);
        if (c.pausedAt) v.SetPaused(true, kT0 + *c.pausedAt);
        v.SetPaused(true, kT0 + 999 * kMin);  // pausing again does not move it
        if (!c.pausedAt) v.SetPaused(false, 0);
        const auto first = c.dataMs < 0 ? std::nullopt : std::optional<std::int64_t>(kT0);
        const auto last = c.dataMs < 0 ? std::nullopt : std::optional<std::int64_t>(kT0 + c.dataMs);
        const TimeWindow w = v.Window(first, last, kT0 + 5000);
        EXPECT_EQ(w, (TimeWindow{kT0 + c.window.from, kT0 + c.window.to})) << c.what;
    }

    TrendViewport v;
    const TimeWindow shown{0, 100'000};
    v.ZoomAround(shown, 25'000, 1);  // the time under the pointer stays where it was
    EXPECT_EQ(v.Window(kT0, kT0 + kMin, 0), (TimeWindow{5000, 85'000}));
    v.ZoomAround(v.Window({}, {}, 0), 5000, 40);  // no narrower than the least zoom
    EXPECT_EQ(v.Window({}, {}, 0).Span(), TrendViewport::kNarrowestZoomMs);
    v.ZoomTo({1000, 2000}, std::pair{TrendPlotKind::Ambient, ValueRange{20, 21}});
    EXPECT_EQ(v.ValueZoom(TrendPlotKind::Ambient), (ValueRange{20, 21}));
    v.Follow();
    EXPECT_FALSE(v.Zoomed());
    EXPECT_FALSE(v.ValueZoom(TrendPlotKind::Ambient));
    EXPECT_EQ(v.Window(kT0, kT0 + 20 * kMin, 0), (TimeWindow{kT0 + 10 * kMin, kT0 + 20 * kMin}));
}

TEST(TrendDecimation, KeepsEachColumnsExtremesInAFewPointsAndRunsToTheEdges) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 1);
    std::vector<TrendPoint> run;
    for (int k = 0; k < 100'000; ++k) run.push_back({k * 10LL, noise(random), 0});
    run[54'321].measured = 1000;  // one spike among thousands per column
    run[60'000].measured = NAN;
    const TimeWindow window{100'000, 900'000};
    constexpr int kLeft = 50, kWidth = 200;
    std::vector<PlotPoint> out;
    DecimateRun(run, window, kLeft, kWidth, {TrendPlotKind::Measured}, out);

    ASSERT_GE(out.size(), 3u);
    EXPECT_LT(out.front().x, kLeft);            // the reading before the window
    EXPECT_GT(out.back().x, kLeft + kWidth);    // and the one after it
    std::vector<double> lo(kWidth, INFINITY), hi(kWidth, -INFINITY), rlo = lo, rhi = hi;
    std::vector<int> count(kWidth, 0);
    for (const auto& p : run) {
        if (p.ms < window.from || p.ms > window.to || std::isnan(p.measured)) continue;
        const int c = std::min(kWidth - 1, static_cast<int>((p.ms - window.from) * kWidth / window.Span()));
        lo[c] = std::min(lo[c], p.measured);
        hi[c] = std::max(hi[c], p.measured);
    }
    for (std::size_t k = 1; k + 1 < out.size(); ++k) {
        ASSERT_FALSE(std::isnan(out[k].value));
        ASSERT_GE(out[k].x, out[k - 1].x);  // in time order
        const int c = std::min(kWidth - 1, static_cast<int>(out[k].x - kLeft));
        rlo[c] = std::min(rlo[c], out[k].value);
        rhi[c] = std::max(rhi[c], out[k].value);
        ++count[c];
    }
    for (int c = 0; c < kWidth; ++c) {
        EXPECT_LE(count[c], 5) << c;  // the last column also holds the reading at its right edge
        EXPECT_EQ(rlo[c], lo[c]) << c;
        EXPECT_EQ(rhi[c], hi[c]) << c;
    }
    EXPECT_EQ(*std::max_element(rhi.begin(), rhi.end()), 1000);

    // A run that crosses the window without a reading inside still draws its line.
    out.clear();
    const std::vector<TrendPoint> sparse{{0, 1, 0}, {10'000, 2, 0}};
    EXPECT_EQ(DecimateRun(sparse, {4000, 6000}, 0, 100, {TrendPlotKind::Measured}, out), 2u);
}

TEST(TrendSeries, ExtremesFromBlocksMatchEveryReadingInTheWindow) {
    TrendSeries s;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-50, 50);
    for (int k = 0; k < 3000; ++k) {
        if (k == 1700) s.BreakRun();
        s.Add({k * 1000LL, k % 97 == 0 ? NAN : value(random), value(random)});
    }
    std::uniform_int_distribution<std::int64_t> at(-10'000, 3'010'000);
    for (int trial = 0; trial < 200; ++trial) {
        std::int64_t from = at(random), to = at(random);
        if (from > to) std::swap(from, to);
        for (bool ambient : {false, true}) {
            ValueSpan brute;
            for (const auto& run : s.Runs())
                for (const auto& p : run) {
                    const double v = ambient ? p.ambient : p.measured;
                    if (p.ms < from || p.ms > to || std::isnan(v)) continue;
                    brute.min = brute.count ? std::min(brute.min, v) : v;
                    brute.max = brute.count ? std::max(brute.max, v) : v;
                    ++brute.count;
                }
            const ValueSpan fast = s.Extremes(from, to, ambient);
            ASSERT_EQ(fast.count, brute.count) << from << ".." << to;
            if (brute.count) {
                EXPECT_EQ(fast.min, brute.min);
                EXPECT_EQ(fast.max, brute.max);
            }
        }
    }
}

TEST(OutputCurrent, FollowsTheRangeAndDirectionWithinTheSaturationLimits) {
    const struct {
        double value;
        OutputRange range;
        std::optional<double> ma;
    } cases[] = {
        {0, {0, 100, false}, 4.0},      {50, {0, 100, false}, 12.0},   {100, {0, 100, true}, 4.0},
        {25, {0, 100, true}, 16.0},     {-50, {0, 100, false}, 3.8},   {150, {0, 100, false}, 20.5},
        {150, {0, 100, true}, 3.8},     {-30, {-20, -40, false}, 12.0},  // a range that falls
        {5, {5, 5, false}, std::nullopt}, {NAN, {0, 100, false}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(OutputMilliamps(c.value, c.range), c.ma) << c.value;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
    return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

TEST(TrendPlacement, BesideTheDialogWhereThereIsRoomAndNeverOverItsButtons) {
    // The dialog as the Qt window draws it, and its poll and exit buttons.
    constexpr int kW = 668, kH = 600;
    const auto request = [](PixelRect screen, int dialogLeft, int dialogTop) {
        PlacementRequest r;
        r.screen = screen;
        r.dialog = {dialogLeft, dialogTop, kW, kH};
        r.buttons = {dialogLeft + 510, dialogTop + 140, 115, 400};
        r.wantedWidth = 900, r.wantedHeight = 600, r.leastWidth = 520, r.leastHeight = 360;
        return r;
    };
    const struct {
        PixelRect screen;
        int left, top;
        PixelRect placed;
    } cases[] = {
        {{0, 0, 1920, 1040}, 626, 220, {1302, 220, 618, 600}},  // beside, narrowed to the room
        {{0, 0, 1600, 1000}, 0, 200, {676, 200, 900, 600}},     // the side with more room
        {{0, 0, 1280, 1024}, 612, 100, {0, 100, 604, 600}},
        {{0, 0, 1600, 1000}, 466, 200, {68, 200, 900, 600}},    // no room beside: over the dialog, left of its buttons
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceTrend(request(c.screen, c.left, c.top)), c.placed) << c.left;

    for (const PixelRect screen : {PixelRect{0, 0, 1280, 1024}, PixelRect{0, 0, 1600, 1000}, PixelRect{0, 0, 1920, 1080}}) {
        for (int left = 0; left + kW <= screen.width; left += 37) {
            const PlacementRequest r = request(screen, left, (screen.height - kH) / 2);
            const PixelRect placed = PlaceTrend(r);
            EXPECT_FALSE(Overlap(placed, r.buttons)) << screen.width << " " << left;
            EXPECT_TRUE(placed.left >= 0 && placed.Right() <= screen.width && placed.width >= r.leastWidth)
                << screen.width << " " << left;
        }
    }
}

TextMetrics Metrics() { return {14, [](const std::string& s) { return static_cast<int>(s.size()) * 7; }}; }

TrendSeries Minute() {
    TrendSeries s;
    for (int k = 0; k <= 60; ++k) {
        if (k == 40) s.BreakRun();  // readings at 40-44 s missing
        if (k >= 40 && k < 45) continue;
        s.Add({kT0 + k * 1000, static_cast<double>(k), 20.0});
    }
    return s;
}

TEST(TrendScene, ReadsTheValuesUnderTheCursorAndMarksTheRange) {
    const TrendSeries series = Minute();
    SceneInput in;
    in.series = &series;
    in.window = {kT0, kT0 + 60'000};
    in.width = 800;
    in.height = 500;
    in.text = Metrics();
    in.measuredUnit = "℃";
    in.ambientUnit = "℃";
    in.range = OutputRange{0, 100, false};
    in.showOutput = true;
    const TrendScene base = BuildTrendScene(in);
    ASSERT_EQ(base.plots.size(), 3u);
    const PixelRect& measured = base.plots[0].area;
    EXPECT_GT(measured.height, base.plots[1].area.height);  // the ambient plot is the smaller
    EXPECT_GE(base.plots[1].area.top, measured.Bottom());
    EXPECT_EQ(base.plots[0].title, "Measured value (℃)");
    EXPECT_EQ(base.plots[0].curves.size(), 2u);  // the gap breaks the line
    ASSERT_EQ(base.plots[0].references.size(), 1u);  // range full (100) is out of view
    EXPECT_EQ(base.plots[0].references[0].label, "Range zero 0");

    const auto xAt = [&](std::int64_t ms) { return measured.left + static_cast<int>((ms - kT0) * measured.width / 60'000); };
    const struct {
        std::int64_t at;
        std::vector<std::string> lines;
    } cases[] = {
        {30'000, {"2026-12-09 01:00:30", "Measured value: 30 ℃", "Ambient temperature: 20 ℃", "Output: 8.8 mA"}},
        {42'500, {"2026-12-09 01:00:42", "Measured value: -", "Ambient temperature: -", "Output: -"}},  // in the gap
    };
    for (const auto& c : cases) {
        in.cursorX = xAt(kT0 + c.at);
        const TrendScene scene = BuildTrendScene(in);
        ASSERT_TRUE(scene.cursor);
        std::vector<std::string> lines;
        for (const auto& l : scene.cursor->lines) lines.push_back(l.text);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(scene.cursor->lines[1].ink, TrendInk::Measured);
    }
}

TEST(TrendView, TheMouseZoomsIntoARectangleAndADoubleClickFollowsAgain) {
    const TrendSeries series = Minute();
    TrendView view(series);
    view.Viewport().SetSpan(TrendSpan::WholeRun);
    const DialogContext dialog{kT0 + 60'000, 0, "℃", "℃", std::nullopt};
    const TrendScene& scene = view.Build(800, 500, Metrics(), dialog);
    const PixelRect area = scene.plots[0].area;
    const int x0 = area.left + area.width / 4, x1 = area.left + area.width / 2;
    const int y0 = area.top + 10, y1 = area.top + area.height / 2;
    const std::int64_t from = TimeAt(scene, x0), to = TimeAt(scene, x1);
    const double hi = ValueAt(scene.plots[0], y0), lo = ValueAt(scene.plots[0], y1);

    ASSERT_TRUE(view.Press(x0, y0));
    view.Move(x1, y1);
    EXPECT_EQ(view.DragRect(), (PixelRect{x0, y0, x1 - x0, y1 - y0}));
    view.Release(x1, y1);
    EXPECT_EQ(view.Window(0), (TimeWindow{from, to}));
    const TrendScene& zoomed = view.Build(800, 500, Metrics(), dialog);
    EXPECT_EQ(zoomed.plots[0].range, (ValueRange{lo, hi}));

    view.DoubleClick();
    EXPECT_EQ(view.Window(0), (TimeWindow{kT0, kT0 + 60'000}));
    view.Build(800, 500, Metrics(), dialog);
    view.Press(x0, y0);
    view.Release(x0 + 2, y1);  // a click is no zoom
    EXPECT_FALSE(view.Viewport().Zoomed());
}

}  // namespace
}  // namespace orv::calib
