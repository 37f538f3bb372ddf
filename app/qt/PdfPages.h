#pragma once
// Printed pages as PDF: a page description laid out on A4 with Qt's fonts
// and drawn by QPainter, then saved like a configuration, whole or not at all.
#include <QString>

#include "report/Document.h"

namespace orv::app::qt {

// Empty when written, else the message naming the file and the reason.
QString WritePdf(const QString& file, const report::Document& document);

}  // namespace orv::app::qt
