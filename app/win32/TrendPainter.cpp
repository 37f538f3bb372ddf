#include "app/win32/TrendPainter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/win32/Utf16.h"

namespace orv::app::win32 {

namespace {

COLORREF Colour(calib::TrendInk ink) {
    const calib::Rgb c = calib::InkColour(ink);
    return RGB(c.r, c.g, c.b);
}

// A pen selected for the life of the object.
class Pen {
public:
    Pen(HDC dc, int style, COLORREF colour) : dc_(dc), pen_(CreatePen(style, 1, colour)) { old_ = SelectObject(dc, pen_); }
    ~Pen() {
        SelectObject(dc_, old_);
        DeleteObject(pen_);
    }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_;
};

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

SIZE Extent(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void Text(HDC dc, int x, int y, const std::wstring& text, COLORREF colour) {
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

RECT ToRect(const calib::PixelRect& r) { return {r.left, r.top, r.Right(), r.Bottom()}; }

// Pixel rows far outside the plot still leave it in the right direction,
// inside the range GDI's 16-bit paths take.
LONG Coordinate(float v) { return static_cast<LONG>(std::lround(std::clamp(v, -30000.0f, 30000.0f))); }

}  // namespace

calib::TextMetrics TrendTextMetrics(HDC dc) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return {static_cast<int>(tm.tmHeight), [dc](const std::string& s) { return static_cast<int>(Extent(dc, Widen(s)).cx); }};
}

void PaintTrendScene(HDC dc, const calib::TrendScene& scene, const std::optional<calib::PixelRect>& dragged) {
    using calib::TrendInk;
    Fill(dc, RECT{0, 0, scene.width, scene.height}, Colour(TrendInk::Background));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int lineHeight = tm.tmHeight;

    std::vector<POINT> points;
    for (const calib::ScenePlot& plot : scene.plots) {
        const RECT area = ToRect(plot.area);
        {
            Pen grid(dc, PS_SOLID, Colour(TrendInk::Grid));
            for (const auto& tick : plot.ticks) Line(dc, area.left, tick.at, area.right, tick.at);
            for (const auto& tick : scene.timeTicks) Line(dc, tick.at, area.top, tick.at, area.bottom);
        }
        {
            Pen text(dc, PS_SOLID, Colour(TrendInk::Text));
            for (const auto& tick : plot.ticks) {
                const std::wstring label = Widen(tick.label);
                Text(dc, area.left - 6 - Extent(dc, label).cx, tick.at - lineHeight / 2, label, Colour(TrendInk::Text));
                Line(dc, area.left - 4, tick.at, area.left, tick.at);
            }
        }
        Text(dc, area.left, area.top - lineHeight - 3, L"\u25A0 " + Widen(plot.title), Colour(plot.ink));
        {
            Pen frame(dc, PS_SOLID, Colour(TrendInk::Frame));
            const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, area.left, area.top, area.right, area.bottom);
            SelectObject(dc, oldBrush);
        }

        const int saved = SaveDC(dc);
        IntersectClipRect(dc, area.left + 1, area.top + 1, area.right - 1, area.bottom - 1);
        for (const auto& ref : plot.references) {
            Pen range(dc, PS_DASH, Colour(TrendInk::Range));
            Line(dc, area.left, ref.y, area.right, ref.y);
            const std::wstring label = Widen(ref.label);
            Text(dc, area.right - 4 - Extent(dc, label).cx, ref.y - lineHeight - 1, label, Colour(TrendInk::Range));
        }
        {
            Pen curve(dc, PS_SOLID, Colour(plot.ink));
            for (const auto& run : plot.curves) {
                if (run.size() == 1) {  // a reading between two gaps is a dot
                    const LONG x = Coordinate(run[0].x), y = Coordinate(run[0].y);
                    const HBRUSH brush = CreateSolidBrush(Colour(plot.ink));
                    const HGDIOBJ old = SelectObject(dc, brush);
                    Ellipse(dc, x - 2, y - 2, x + 3, y + 3);
                    SelectObject(dc, old);
                    DeleteObject(brush);
                    continue;
                }
                points.resize(run.size());
                for (std::size_t k = 0; k < run.size(); ++k) points[k] = {Coordinate(run[k].x), Coordinate(run[k].y)};
                Polyline(dc, points.data(), static_cast<int>(points.size()));
            }
        }
        RestoreDC(dc, saved);
    }

    if (scene.plots.empty()) return;
    const RECT first = ToRect(scene.plots.front().area);
    const RECT last = ToRect(scene.plots.back().area);
    {
        Pen text(dc, PS_SOLID, Colour(TrendInk::Text));
        for (const auto& tick : scene.timeTicks) {
            const std::wstring label = Widen(tick.label);
            const int w = Extent(dc, label).cx;
            Line(dc, tick.at, last.bottom, tick.at, last.bottom + 4);
            Text(dc, std::clamp(tick.at - w / 2, 0, std::max(0, scene.width - w)), last.bottom + 6, label,
                 Colour(TrendInk::Text));
        }
    }
    if (!scene.emptyText.empty()) {
        const std::wstring text = Widen(scene.emptyText);
        const SIZE size = Extent(dc, text);
        Text(dc, (first.left + first.right - size.cx) / 2, (first.top + first.bottom - size.cy) / 2, text,
             Colour(TrendInk::Frame));
    }
    if (scene.cursor) {
        {
            Pen cursor(dc, PS_DOT, Colour(TrendInk::Cursor));
            Line(dc, scene.cursor->x, first.top, scene.cursor->x, last.bottom);
        }
        int width = 0;
        for (const auto& l : scene.cursor->lines) width = std::max(width, static_cast<int>(Extent(dc, Widen(l.text)).cx));
        const int height = static_cast<int>(scene.cursor->lines.size()) * lineHeight;
        RECT box{scene.cursor->x + 8, first.top + 4, scene.cursor->x + 8 + width + 8, first.top + 4 + height + 6};
        if (box.right > first.right) OffsetRect(&box, -(width + 8 + 16), 0);
        Fill(dc, box, Colour(TrendInk::Background));
        SetBkMode(dc, TRANSPARENT);
        {
            Pen frame(dc, PS_SOLID, Colour(TrendInk::Frame));
            const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, box.left, box.top, box.right, box.bottom);
            SelectObject(dc, oldBrush);
        }
        int y = box.top + 3;
        for (const auto& l : scene.cursor->lines) {
            Text(dc, box.left + 4, y, Widen(l.text), Colour(l.ink));
            y += lineHeight;
        }
    }
    if (dragged) {
        Pen dash(dc, PS_DASH, Colour(TrendInk::Cursor));
        const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, dragged->left, dragged->top, dragged->Right(), dragged->Bottom());
        SelectObject(dc, oldBrush);
    }
}

}  // namespace orv::app::win32
