#include "app/qt/TrendPainter.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <algorithm>

namespace orv::app::qt {

namespace {

QColor Colour(calib::TrendInk ink) {
    const calib::Rgb c = calib::InkColour(ink);
    return QColor(c.r, c.g, c.b);
}

QRect ToQt(const calib::PixelRect& r) { return QRect(r.left, r.top, r.width, r.height); }
QString Text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

calib::TextMetrics TrendTextMetrics(const QFontMetrics& metrics) {
    return {metrics.height(), [metrics](const std::string& s) { return metrics.horizontalAdvance(Text(s)); }};
}

void PaintTrendScene(QPainter& painter, const calib::TrendScene& scene, const std::optional<calib::PixelRect>& dragged) {
    using calib::TrendInk;
    painter.fillRect(QRect(0, 0, scene.width, scene.height), Colour(TrendInk::Background));
    const QFontMetrics metrics = painter.fontMetrics();
    const int ascent = metrics.ascent();

    for (const calib::ScenePlot& plot : scene.plots) {
        const QRect area = ToQt(plot.area);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Colour(TrendInk::Grid), 1));
        for (const calib::AxisMark& tick : plot.ticks) painter.drawLine(area.left(), tick.at, area.right(), tick.at);
        for (const calib::AxisMark& tick : scene.timeTicks) painter.drawLine(tick.at, area.top(), tick.at, area.bottom());
        painter.setPen(Colour(TrendInk::Text));
        for (const calib::AxisMark& tick : plot.ticks) {
            const QString label = Text(tick.label);
            painter.drawText(area.left() - 6 - metrics.horizontalAdvance(label), tick.at - metrics.height() / 2 + ascent, label);
            painter.drawLine(area.left() - 4, tick.at, area.left(), tick.at);
        }
        painter.setPen(Colour(plot.ink));
        painter.drawText(area.left(), area.top() - 4 - metrics.descent(), QStringLiteral("\u25A0 ") + Text(plot.title));
        painter.setPen(QPen(Colour(TrendInk::Frame), 1));
        painter.drawRect(area.adjusted(0, 0, -1, -1));

        painter.save();
        painter.setClipRect(area);
        for (const calib::ReferenceLine& ref : plot.references) {
            painter.setPen(QPen(Colour(TrendInk::Range), 1, Qt::DashLine));
            painter.drawLine(area.left(), ref.y, area.right(), ref.y);
            const QString label = Text(ref.label);
            painter.drawText(area.right() - 4 - metrics.horizontalAdvance(label), ref.y - 3, label);
        }
        // A cosmetic pen one pixel wide has the painter's fast antialiased
        // line path; a wider one goes through the general stroker, ten times slower.
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(Colour(plot.ink), 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Colour(plot.ink));
        QPolygonF line;
        for (const auto& curve : plot.curves) {
            if (curve.size() == 1) {  // a reading between two gaps is a dot
                painter.drawEllipse(QPointF(curve[0].x, curve[0].y), 2.0, 2.0);
                continue;
            }
            line.resize(static_cast<qsizetype>(curve.size()));
            for (std::size_t k = 0; k < curve.size(); ++k) line[static_cast<qsizetype>(k)] = QPointF(curve[k].x, curve[k].y);
            painter.drawPolyline(line);
        }
        painter.setBrush(Qt::NoBrush);
        painter.restore();
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    if (!scene.plots.empty()) {
        const QRect last = ToQt(scene.plots.back().area);
        painter.setPen(Colour(TrendInk::Text));
        for (const calib::AxisMark& tick : scene.timeTicks) {
            const QString label = Text(tick.label);
            painter.drawLine(tick.at, last.bottom() + 1, tick.at, last.bottom() + 4);
            const int w = metrics.horizontalAdvance(label);
            painter.drawText(std::clamp(tick.at - w / 2, 0, std::max(0, scene.width - w)), last.bottom() + 6 + ascent, label);
        }
        if (!scene.emptyText.empty()) {
            painter.setPen(Colour(TrendInk::Frame));
            painter.drawText(ToQt(scene.plots.front().area), Qt::AlignCenter, Text(scene.emptyText));
        }
        if (scene.cursor) {
            const QRect first = ToQt(scene.plots.front().area);
            painter.setPen(QPen(Colour(TrendInk::Cursor), 1, Qt::DotLine));
            painter.drawLine(scene.cursor->x, first.top(), scene.cursor->x, last.bottom());
            int width = 0;
            for (const auto& l : scene.cursor->lines) width = std::max(width, metrics.horizontalAdvance(Text(l.text)));
            const int height = static_cast<int>(scene.cursor->lines.size()) * metrics.height();
            QRect box(scene.cursor->x + 8, first.top() + 4, width + 8, height + 6);
            if (box.right() > first.right()) box.moveRight(scene.cursor->x - 8);
            painter.fillRect(box, QColor(255, 255, 255, 235));
            painter.setPen(Colour(TrendInk::Frame));
            painter.drawRect(box);
            int y = box.top() + 3 + ascent;
            for (const auto& l : scene.cursor->lines) {
                painter.setPen(Colour(l.ink));
                painter.drawText(box.left() + 4, y, Text(l.text));
                y += metrics.height();
            }
        }
    }
    if (dragged) {
        painter.setPen(QPen(Colour(TrendInk::Cursor), 1, Qt::DashLine));
        painter.fillRect(ToQt(*dragged), QColor(0x1f, 0x5f, 0xbf, 40));
        painter.drawRect(ToQt(*dragged));
    }
}

}  // namespace orv::app::qt
