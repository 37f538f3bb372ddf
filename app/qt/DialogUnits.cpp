#include "app/qt/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

namespace orv::app::qt {

DialogBaseUnits DialogBaseUnits::FromFont(const QFont& font) {
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(width / 26 + 1) / 2, fm.height()};
}

// Rounded to the nearest pixel, so a control's edges land where the adjacent
// ones do even when the base is not a multiple of 4 or 8.
int DialogBaseUnits::X(int du) const { return (2 * du * horizontal + 4) / 8; }
int DialogBaseUnits::Y(int du) const { return (2 * du * vertical + 8) / 16; }

QRect DialogBaseUnits::ToPixels(const QRect& du) const {
    return QRect(X(du.x()), Y(du.y()), X(du.width()), Y(du.height()));
}

QSize DialogBaseUnits::ToPixels(const QSize& du) const { return QSize(X(du.width()), Y(du.height())); }

QFont DialogFont(const QString& face, int points) {
    QFont font;
    QStringList families;
    families << face << QStringLiteral("SimSun") << QStringLiteral("AR PL UMing CN") << QStringLiteral("AR PL UMing TW")
             << QStringLiteral("Noto Serif CJK SC") << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    font.setPointSize(points);
    return font;
}

}  // namespace orv::app::qt
