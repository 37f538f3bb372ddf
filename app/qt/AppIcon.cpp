#include "app/qt/AppIcon.h"

namespace orv::app::qt {

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/orvane/icons/orvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace orv::app::qt
