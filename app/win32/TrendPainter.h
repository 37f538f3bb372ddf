#pragma once
// Paints a trend scene with GDI, exactly as the core laid it out, into a
// device context (the window's back buffer, or a bitmap to be saved).
#include "app/win32/Win32Api.h"

#include <optional>

#include "calib/TrendScene.h"

namespace orv::app::win32 {

// Text sizes of the font selected into dc.
calib::TextMetrics TrendTextMetrics(HDC dc);

void PaintTrendScene(HDC dc, const calib::TrendScene& scene, const std::optional<calib::PixelRect>& dragged);

}  // namespace orv::app::win32
