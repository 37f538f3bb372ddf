#pragma once
// A printable record of what a device was set to, to hand over with the
// installation: a PDF of the settings, calibration constants, trims and the
// last readings, with lines for the technician's name and signature.
#include <QString>
#include <deque>

#include "calib/LiveReadings.h"
#include "config/ConfigFile.h"

namespace orv::app::qt {

// The report as HTML, the page's whole content.
QString DeviceReportHtml(const config::ConfigRecord& record, const std::deque<calib::StampedReading>& readings);

// Writes the report as an A4 PDF, whole or not at all; returns the message
// naming the file and the reason when it could not.
QString WriteDeviceReport(const QString& file, const config::ConfigRecord& record,
                          const std::deque<calib::StampedReading>& readings);

}  // namespace orv::app::qt
