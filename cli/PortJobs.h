#pragma once
// What each command does on one device, run on that port's own worker thread.
// A job either completes or throws DeviceFailure; it never prompts and every
// wait in it ends at a time-out.
#include <atomic>
#include <chrono>
#include <functional>
#include <istream>
#include <ostream>
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
    // check: where the reference values come from (null: nowhere), and the
    // terminal it draws its prompt and live value on when there is one.
    std::istream* input = nullptr;
    bool inputIsTerminal = false;
    std::ostream* terminal = nullptr;
    std::chrono::milliseconds pollInterval{1000};
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
    // check: the command ran to its end but its result is a failure (a
    // point out of tolerance), in words.
    std::string failure;
    // The text is printed also when the command failed or was stopped (the
    // check's points measured until then).
    bool textOnFailure = false;
};

// Thrown between two requests once a stop is asked for.
struct Interrupted {};

// Between two requests, never inside one: the frame on the line is finished
// and its answer taken before the job gives up. Throws Interrupted.
void StopPoint(const JobContext& context);
// Reads the block after a stop point, saying why on the progress line.
Block ReadBlock(DeviceLine& line, const JobContext& context, const char* why);

// Runs the command on one device. Throws DeviceFailure or Interrupted;
// result holds what was done up to then either way (settings written,
// readings taken).
void RunJob(DeviceLine& line, const JobContext& context, JobResult& result);

// The settings of a configuration that differ from what a device holds, in
// the order they are written (input type first: the others are read in its
// unit). Model and calibration are never among them.
std::vector<Assignment> DifferingSettings(const Block& device, const Block& wanted);
// Each assignment whose bytes the read-back block does not hold, as
// "rangeFull: wrote 1300.0, the device holds 1000.0"; every number with the
// decimals of the range the written settings make.
std::vector<std::string> Mismatches(const std::vector<Assignment>& written, const Block& readBack);

}  // namespace orv::cli
