#pragma once
// "check": a calibration check on one device, point by point, on the
// command line's own line. The core's session decides everything (points,
// stability, errors, pass or fail); this feeds it a reading a second and the
// reference values standard input brings: a script's or a calibrator
// program's one number a line, or a person's at a terminal, who is shown the
// value to apply, the live reading and a prompt.
#include <string>

#include "calib/CheckRecord.h"
#include "cli/PortJobs.h"

namespace orv::cli {

// Throws DeviceFailure (the device failed, or the input was refused) or
// Interrupted; the record's table, JSON and file are made before either, so
// the points measured are kept.
void RunCheck(DeviceLine& line, const JobContext& context, JobResult& result);

// The last run of a record as the points table the command prints.
std::string CheckTable(const calib::CheckRecord& record);

}  // namespace orv::cli
