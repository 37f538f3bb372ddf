#pragma once
// The application icon (resource 128) at the sizes drawn for it.
#include <QIcon>

namespace orv::app::qt {
QIcon AppIcon();
}
