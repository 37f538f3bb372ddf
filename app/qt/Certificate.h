#pragma once
// The certificate of a calibration check as a PDF, from its record alone.
#include <QString>

#include "calib/CheckRecord.h"

namespace orv::app::qt {

// Written whole or not at all; empty when written, else the message naming
// the file and the reason.
QString WriteCertificateTo(const QString& file, const calib::CheckRecord& record);

}  // namespace orv::app::qt
