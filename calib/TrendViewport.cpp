#include "calib/TrendViewport.h"

#include <algorithm>
#include <cmath>

namespace orv::calib {

std::int64_t TrendViewport::SpanMs(TrendSpan span) {
    switch (span) {
        case TrendSpan::OneMinute: return 60'000;
        case TrendSpan::TenMinutes: return 600'000;
        case TrendSpan::OneHour: return 3600'000;
        case TrendSpan::EightHours: return 8 * 3600'000;
        case TrendSpan::WholeRun: break;
    }
    return 0;
}

void TrendViewport::SetPaused(bool paused, std::int64_t lastMs) {
    if (!paused)
        pausedAt_.reset();
    else if (!pausedAt_)
        pausedAt_ = lastMs;
}

void TrendViewport::ZoomAround(const TimeWindow& shown, std::int64_t aroundMs, int notches) {
    if (notches == 0 || shown.Span() <= 0) return;
    const double factor = std::pow(0.8, notches);
    const double span = std::clamp(static_cast<double>(shown.Span()) * factor, static_cast<double>(kNarrowestZoomMs),
                                   static_cast<double>(kWidestZoomMs));
    const double at = std::clamp(static_cast<double>(aroundMs - shown.from) / static_cast<double>(shown.Span()), 0.0, 1.0);
    const auto from = aroundMs - static_cast<std::int64_t>(std::llround(span * at));
    zoom_ = TimeWindow{from, from + static_cast<std::int64_t>(std::llround(span))};
}

void TrendViewport::ZoomTo(const TimeWindow& window, std::optional<std::pair<TrendPlotKind, ValueRange>> values) {
    if (window.Span() <= 0) return;
    TimeWindow w = window;
    if (w.Span() < kNarrowestZoomMs) {
        const std::int64_t mid = w.from + w.Span() / 2;
        w = {mid - kNarrowestZoomMs / 2, mid + kNarrowestZoomMs / 2};
    }
    zoom_ = w;
    if (values && values->second.hi > values->second.lo) values_[static_cast<int>(values->first)] = values->second;
}

void TrendViewport::Follow() {
    zoom_.reset();
    values_ = {};
}

TimeWindow TrendViewport::Window(std::optional<std::int64_t> firstMs, std::optional<std::int64_t> lastMs,
                                 std::int64_t nowMs) const {
    if (zoom_) return *zoom_;
    const std::int64_t end = pausedAt_.value_or(lastMs.value_or(nowMs));
    const std::int64_t first = std::min(firstMs.value_or(end), end);
    const std::int64_t data = end - first;
    if (data <= kShortestWindowMs) return {first, first + kShortestWindowMs};
    if (span_ == TrendSpan::WholeRun || data <= SpanMs(span_)) return {first, end};
    return {end - SpanMs(span_), end};
}

}  // namespace orv::calib
