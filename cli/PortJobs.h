#pragma once
// What each command does on one device, run on that port's own worker thread.
// A job either completes or throws DeviceFailure; it never prompts and every
// wait in it ends at a time-out.
#include <functional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/DeviceLine.h"
#include "cli/SettingsReport.h"
#include "config/ConfigFile.h"

namespace orv::cli {

struct JobContext {
    const CliOptions& options;
    const config::ConfigRecord* configuration = nullptr;  // write
    std::string label;                                    // the port as messages name it
    std::function<void(const std::string&)> step;         // progress
    std::function<void(const std::string&)> stream;       // measure's lines, as they come
};

struct JobResult {
    std::string text;  // what the command prints for this port on success
    Json json = Json::object();
};

JobResult RunJob(DeviceLine& line, const JobContext& context);

// The settings of a configuration that differ from what a device holds, in
// the order they are written (input type first: the others are read in its
// unit). Model and calibration are never among them.
std::vector<Assignment> DifferingSettings(const Block& device, const Block& wanted);
// Each assignment whose bytes the read-back block does not hold, as
// "range-full: wrote 1300.0, the device holds 1000.0".
std::vector<std::string> Mismatches(const std::vector<Assignment>& written, const Block& readBack);

}  // namespace orv::cli
