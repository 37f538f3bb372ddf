#pragma once
// The command line, parsed and checked before any port is opened: everything
// wrong here is a usage error (exit status 2) and nothing reaches a device.
#include <optional>
#include <string>
#include <vector>

#include "calib/CheckSetup.h"
#include "cli/SettingNames.h"

namespace orv::cli {

enum class Command { Ports, Read, Write, Set, Measure, Restart, FactoryReset, Check };

struct CliOptions {
    std::vector<std::string> ports;  // as given; empty means "auto"
    bool json = false;
    double timeoutScale = 1.0;
    Command command = Command::Read;

    std::string outputFile;         // read -o
    std::string inputFile;          // write FILE
    bool verify = true;             // write --no-verify
    std::vector<Assignment> assignments;  // set
    int count = 1;                  // measure
    double intervalSeconds = 1.0;   // measure
    bool csv = false;               // measure
    bool confirmed = false;         // factory-reset --yes
    calib::CheckSetup check;        // check --points, --tolerance, --readings
    std::string recordFile;         // check --record
};

struct ParsedCommandLine {
    std::optional<CliOptions> options;  // set when a command is to run
    std::string output;                 // --help or --version text for stdout
    std::string error;                  // usage error for stderr (exit 2)
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Whether the arguments ask for JSON, read the way ParseCommandLine reads
// them (an option's value is not an option), however wrong the rest is: a
// script that asked for JSON gets a document even for a usage error.
bool AsksForJson(const std::vector<std::string>& args);

extern const char* const kUsageText;

}  // namespace orv::cli
