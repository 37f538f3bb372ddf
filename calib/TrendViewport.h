#pragma once
// Which stretch of time the trend shows and how the user moved it: the
// sliding window that grows with the data until it reaches the chosen span,
// the view held still by Pause, and zooms by wheel or rectangle until the
// user asks to follow the readings again.
#include <array>
#include <cstdint>
#include <optional>

#include "calib/TrendScale.h"

namespace orv::calib {

enum class TrendSpan { OneMinute, TenMinutes, OneHour, EightHours, WholeRun };

struct TimeWindow {
    std::int64_t from = 0, to = 0;
    std::int64_t Span() const { return to - from; }
    bool operator==(const TimeWindow&) const = default;
};

// The plots the trend stacks, top to bottom.
enum class TrendPlotKind { Measured, Ambient, Output };
inline constexpr int kTrendPlotKinds = 3;

class TrendViewport {
public:
    // A first reading alone still gets an axis a person can read.
    static constexpr std::int64_t kShortestWindowMs = 30'000;
    static constexpr std::int64_t kNarrowestZoomMs = 5'000;
    static constexpr std::int64_t kWidestZoomMs = 400LL * 24 * 3600'000;

    static std::int64_t SpanMs(TrendSpan span);

    void SetSpan(TrendSpan span) { span_ = span; }
    TrendSpan Span() const { return span_; }

    // Held still at lastMs (the newest reading then, or the time now without one).
    void SetPaused(bool paused, std::int64_t lastMs);
    bool Paused() const { return pausedAt_.has_value(); }

    // The mouse wheel: notches > 0 zoom in around aroundMs, which stays where it is on screen.
    void ZoomAround(const TimeWindow& shown, std::int64_t aroundMs, int notches);
    // A dragged rectangle: its time, and the values of the plot it was drawn in.
    void ZoomTo(const TimeWindow& window, std::optional<std::pair<TrendPlotKind, ValueRange>> values = std::nullopt);
    // Double click or "Follow": back to the sliding window (a pause stays).
    void Follow();
    bool Zoomed() const { return zoom_.has_value(); }
    std::optional<ValueRange> ValueZoom(TrendPlotKind plot) const { return values_[static_cast<int>(plot)]; }

    // What to show for readings from firstMs to lastMs (none yet: nothing),
    // nowMs standing in for the newest reading when there is none.
    TimeWindow Window(std::optional<std::int64_t> firstMs, std::optional<std::int64_t> lastMs, std::int64_t nowMs) const;

private:
    TrendSpan span_ = TrendSpan::TenMinutes;
    std::optional<std::int64_t> pausedAt_;
    std::optional<TimeWindow> zoom_;
    std::array<std::optional<ValueRange>, kTrendPlotKinds> values_;
};

}  // namespace orv::calib
