#pragma once
// The device report: what a device was set to, to hand over with the
// installation. Settings, calibration constants and trims, the last
// readings of the poll, and lines for the technician's name and signature.
#include <deque>

#include "calib/LiveReadings.h"
#include "config/ConfigFile.h"
#include "report/Document.h"

namespace orv::report {

namespace text {
inline constexpr char kDeviceReportTitle[] = "Device Report";
}

// record holds the settings as the window shows them; readings oldest first.
Document DeviceReportDocument(const config::ConfigRecord& record, const std::deque<calib::StampedReading>& readings);

}  // namespace orv::report
