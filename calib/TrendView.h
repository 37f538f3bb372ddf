#pragma once
// The trend window's state apart from its widgets: which readings it shows
// (the live ones or a recording opened from a file), the viewport, the
// output curve switch, and what the mouse does on the plots (wheel zoom,
// rectangle zoom, double click to follow, the cursor). Both front ends feed
// it their mouse in canvas pixels and paint the scene it builds.
#include <cstdint>
#include <optional>
#include <string>

#include "calib/RecordingFile.h"
#include "calib/TrendScene.h"
#include "calib/TrendViewport.h"

namespace orv::calib {

// What the dialog shows now, read by the front end at each redraw.
struct DialogContext {
    std::int64_t nowMs = 0;
    int offsetMinutes = 0;  // local time's offset from UTC now
    std::string measuredUnit, ambientUnit;
    std::optional<OutputRange> range;
};

class TrendView {
public:
    // A drag shorter than this is a click, not a rectangle.
    static constexpr int kLeastDragPixels = 5;

    explicit TrendView(const TrendSeries& live) : live_(live) {}

    void ShowRecording(Recording recording);
    void ShowLive();
    const Recording* ShownRecording() const { return recording_ ? &*recording_ : nullptr; }
    const TrendSeries& Series() const { return recording_ ? recording_->series : live_; }

    TrendViewport& Viewport() { return viewport_; }
    const TrendViewport& Viewport() const { return viewport_; }
    void SetPaused(bool paused, std::int64_t nowMs);
    void SetShowOutput(bool show) { showOutput_ = show; }
    bool ShowOutput() const { return showOutput_; }

    TimeWindow Window(std::int64_t nowMs) const;
    std::optional<TrendStats> Stats(std::int64_t nowMs, bool ambient) const;

    // The scene for a canvas of width x height; the mouse acts on the last one built.
    const TrendScene& Build(int width, int height, const TextMetrics& text, const DialogContext& dialog);
    const TrendScene& Last() const { return scene_; }

    // Mouse input in canvas pixels. Each returns true when the picture changes.
    bool Wheel(int x, int notches);
    bool Press(int x, int y);
    bool Move(int x, int y);
    bool Release(int x, int y);
    bool DoubleClick();
    bool Leave();
    // The rectangle being dragged, to draw while the button is down.
    std::optional<PixelRect> DragRect() const;

private:
    const TrendSeries& live_;
    std::optional<Recording> recording_;
    TrendViewport viewport_;
    bool showOutput_ = false;
    std::optional<int> cursorX_;
    std::optional<std::pair<int, int>> dragFrom_, dragTo_;
    TrendScene scene_;
};

}  // namespace orv::calib
