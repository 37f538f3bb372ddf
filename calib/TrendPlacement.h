#pragma once
// Where the trend window opens: beside the dialog on the side with more
// room, narrowed to that room down to a width still worth reading; on a
// screen too small for that, clear of the dialog's poll and exit buttons, so
// the user can always stop the poll without moving a window first.
#include "calib/TrendScene.h"

namespace orv::calib {

struct PlacementRequest {
    PixelRect screen;   // the work area of the dialog's screen
    PixelRect dialog;   // the dialog's frame
    PixelRect buttons;  // the dialog's buttons that must stay uncovered, in screen pixels
    int wantedWidth = 0, wantedHeight = 0;
    int leastWidth = 0, leastHeight = 0;
};

// The trend window's frame. Where no place leaves the buttons free, beside
// the dialog on the side with more room, as large as fits.
PixelRect PlaceTrend(const PlacementRequest& r);

}  // namespace orv::calib
