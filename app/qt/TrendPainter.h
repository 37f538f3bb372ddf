#pragma once
// Paints a trend scene with QPainter, exactly as the core laid it out: the
// window, the saved image and the benchmark all go through here.
#include <QFontMetrics>
#include <optional>

#include "calib/TrendScene.h"

class QPainter;

namespace orv::app::qt {

calib::TextMetrics TrendTextMetrics(const QFontMetrics& metrics);

void PaintTrendScene(QPainter& painter, const calib::TrendScene& scene,
                     const std::optional<calib::PixelRect>& dragged = std::nullopt);

}  // namespace orv::app::qt
