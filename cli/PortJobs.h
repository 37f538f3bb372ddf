#pragma once
// What each command does on one device, run on that port's own worker thread.
// A job either completes or throws DeviceFailure; it never prompts and every
// wait in it ends at a time-out.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

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
    // Set by SIGINT or SIGTERM: the exchange on the line is finished, nothing
    // more is sent. Null: never.
    const std::atomic<bool>* stop = nullptr;
};

struct JobResult {
    std::string text;  // what the command prints for this port
    Json json = Json::object();
    // write and set: the settings to write, in order, and how far it got.
    std::vector<std::string> planned;
    std::size_t acknowledged = 0;  // the first ones, acknowledged by the device
    bool verified = false;         // read back and compared
    // write: settings of the file left as the device has them.
    std::vector<config::LeftSetting> left;
};

// Thrown between two requests once a stop is asked for.
struct Interrupted {};

// Runs the command on one device. Throws DeviceFailure or Interrupted;
// result holds what was done up to then either way (settings written,
// readings taken).
void RunJob(DeviceLine& line, const JobContext& context, JobResult& result);

// The settings of a configuration that differ from what a device holds, in
// the order they are written (input type first: the others are read in its
// unit). Model and calibration are never among them.
std::vector<Assignment> DifferingSettings(const Block& device, const Block& wanted);
// Each assignment whose bytes the read-back block does not hold, as
// "range-full: wrote 1300.0, the device holds 1000.0".
std::vector<std::string> Mismatches(const std::vector<Assignment>& written, const Block& readBack);

}  // namespace orv::cli
