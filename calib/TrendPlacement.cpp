#include "calib/TrendPlacement.h"

#include <algorithm>

namespace orv::calib {

namespace {

constexpr int kGap = 8;

struct Room {
    int left, top, right, bottom;  // right and bottom exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

}  // namespace

PixelRect PlaceTrend(const PlacementRequest& r) {
    const Room screen{r.screen.left, r.screen.top, r.screen.Right(), r.screen.Bottom()};
    const PixelRect& d = r.dialog;
    const PixelRect& b = r.buttons;
    const Room rightOfDialog{d.Right() + kGap, screen.top, screen.right, screen.bottom};
    const Room leftOfDialog{screen.left, screen.top, d.left - kGap, screen.bottom};
    const Room leftOfButtons{screen.left, screen.top, b.left - kGap, screen.bottom};
    const Room rightOfButtons{b.Right() + kGap, screen.top, screen.right, screen.bottom};
    const Room belowDialog{screen.left, d.Bottom() + kGap, screen.right, screen.bottom};
    const Room aboveDialog{screen.left, screen.top, screen.right, d.top - kGap};

    const bool rightFirst = rightOfDialog.Width() >= leftOfDialog.Width();
    const Room order[] = {
        rightFirst ? rightOfDialog : leftOfDialog, rightFirst ? leftOfDialog : rightOfDialog,
        leftOfButtons.Width() >= rightOfButtons.Width() ? leftOfButtons : rightOfButtons,
        leftOfButtons.Width() >= rightOfButtons.Width() ? rightOfButtons : leftOfButtons,
        belowDialog.Height() >= aboveDialog.Height() ? belowDialog : aboveDialog,
        belowDialog.Height() >= aboveDialog.Height() ? aboveDialog : belowDialog,
    };
    // Next to the dialog's top where it can, so the eye finds it beside the values.
    const auto place = [&](const Room& room) {
        const int w = std::min(r.wantedWidth, room.Width());
        const int h = std::min(r.wantedHeight, room.Height());
        const bool fullWidth = room.left == screen.left && room.right == screen.right;
        const bool onLeft = room.right <= d.left || room.right <= b.left;
        const int x = fullWidth ? std::clamp(d.left, room.left, room.right - w) : onLeft ? room.right - w : room.left;
        const int y = std::clamp(d.top, room.top, room.bottom - h);
        return PixelRect{x, y, w, h};
    };
    for (const Room& room : order)
        if (room.Width() >= r.leastWidth && room.Height() >= r.leastHeight) return place(room);
    Room fallback = order[0];
    fallback.left = std::max(screen.left, std::min(fallback.left, screen.right - r.leastWidth));
    fallback.right = std::max(fallback.right, fallback.left + r.leastWidth);
    return place(fallback);
}

}  // namespace orv::calib
