#include "calib/TrendView.h"

#include <algorithm>
#include <cstdlib>

namespace orv::calib {

void TrendView::ShowRecording(Recording recording) {
    recording_ = std::move(recording);
    viewport_.Follow();
    viewport_.SetPaused(false, 0);
}

void TrendView::ShowLive() {
    recording_.reset();
    viewport_.Follow();
}

void TrendView::SetPaused(bool paused, std::int64_t nowMs) {
    viewport_.SetPaused(paused, Series().LastMs().value_or(nowMs));
}

TimeWindow TrendView::Window(std::int64_t nowMs) const {
    return viewport_.Window(Series().FirstMs(), Series().LastMs(), nowMs);
}

std::optional<TrendStats> TrendView::Stats(std::int64_t nowMs, bool ambient) const {
    const TimeWindow w = Window(nowMs);
    return Series().Stats(w.from, w.to, ambient);
}

const TrendScene& TrendView::Build(int width, int height, const TextMetrics& text, const DialogContext& dialog) {
    SceneInput in;
    in.series = &Series();
    in.window = Window(dialog.nowMs);
    // A recording's times read on the clock it was made by.
    in.offsetMinutes = recording_ ? recording_->offsetMinutes : dialog.offsetMinutes;
    in.width = width;
    in.height = height;
    in.text = text;
    in.measuredUnit = recording_ && !recording_->unit.empty() ? recording_->unit : dialog.measuredUnit;
    in.ambientUnit = dialog.ambientUnit;
    in.range = dialog.range;
    in.showOutput = showOutput_;
    in.viewport = &viewport_;
    in.cursorX = dragFrom_ ? std::nullopt : cursorX_;
    scene_ = BuildTrendScene(in);
    return scene_;
}

bool TrendView::Wheel(int x, int notches) {
    if (scene_.plots.empty() || notches == 0) return false;
    viewport_.ZoomAround(scene_.window, TimeAt(scene_, x), notches);
    return true;
}

bool TrendView::Press(int x, int y) {
    if (!PlotAt(scene_, x, y)) return false;
    dragFrom_ = dragTo_ = std::pair{x, y};
    return true;
}

bool TrendView::Move(int x, int y) {
    if (dragFrom_) {
        dragTo_ = std::pair{x, y};
        return true;
    }
    const bool over = !scene_.plots.empty() && x >= scene_.plots.front().area.left && x <= scene_.plots.front().area.Right();
    const std::optional<int> cursor = over ? std::optional<int>(x) : std::nullopt;
    if (cursor == cursorX_) return false;
    cursorX_ = cursor;
    return true;
}

bool TrendView::Release(int x, int y) {
    if (!dragFrom_) return false;
    const auto [x0, y0] = *dragFrom_;
    dragFrom_.reset();
    dragTo_.reset();
    if (std::abs(x - x0) < kLeastDragPixels) return true;
    const TimeWindow window{TimeAt(scene_, std::min(x, x0)), TimeAt(scene_, std::max(x, x0))};
    std::optional<std::pair<TrendPlotKind, ValueRange>> values;
    // A rectangle of some height zooms the values of the plot it began in too.
    if (const ScenePlot* plot = PlotAt(scene_, x0, y0); plot && std::abs(y - y0) >= kLeastDragPixels) {
        const int top = std::clamp(std::min(y, y0), plot->area.top, plot->area.Bottom());
        const int bottom = std::clamp(std::max(y, y0), plot->area.top, plot->area.Bottom());
        if (bottom - top >= kLeastDragPixels) values = std::pair{plot->kind, ValueRange{ValueAt(*plot, bottom), ValueAt(*plot, top)}};
    }
    viewport_.ZoomTo(window, values);
    return true;
}

bool TrendView::DoubleClick() {
    dragFrom_.reset();
    dragTo_.reset();
    viewport_.Follow();
    return true;
}

bool TrendView::Leave() {
    if (!cursorX_) return false;
    cursorX_.reset();
    return true;
}

std::optional<PixelRect> TrendView::DragRect() const {
    if (!dragFrom_ || !dragTo_) return std::nullopt;
    const auto [x0, y0] = *dragFrom_;
    const auto [x1, y1] = *dragTo_;
    return PixelRect{std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0)};
}

}  // namespace orv::calib
