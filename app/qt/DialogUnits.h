#pragma once
// Dialog units to pixels, from the dialog font's average character size, so
// the layout keeps its proportions whatever the font renders at.
#include <QFont>
#include <QRect>
#include <QSize>

namespace orv::app::qt {

struct DialogBaseUnits {
    int horizontal = 0;  // pixels per 4 horizontal dialog units
    int vertical = 0;    // pixels per 8 vertical dialog units

    static DialogBaseUnits FromFont(const QFont& font);
    int X(int du) const;
    int Y(int du) const;
    QRect ToPixels(const QRect& du) const;
    QSize ToPixels(const QSize& du) const;
};

// The dialog font: the Song face the layout was drawn for, or a free CJK Song
// (Ming) face of the same metrics where it is not installed. Without a CJK face
// the Chinese captions would render as boxes.
QFont DialogFont(const QString& face, int points);

}  // namespace orv::app::qt
