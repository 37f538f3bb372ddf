#pragma once
// The whole program behind main(): parses the command line, runs the command
// on every port at once, prints the results, a summary and the exit status.
// Streams and system services are passed in so tests can run it in-process.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/BridgeList.h"

namespace orv::cli {

inline constexpr int kExitOk = 0, kExitDeviceFailed = 1, kExitUsage = 2;

struct CliEnvironment {
    std::function<int()> discover;                    // the bridge's port number, 0 or -1 for none
    std::function<std::string(int)> portPath;         // COMk -> device path
    std::function<std::vector<BridgeRow>()> bridges;  // the "ports" listing
};

// Discovery in sysfs and the tool's COMk naming.
CliEnvironment SystemEnvironment();

// progressIsTerminal: the error stream is a terminal, so progress lines are
// redrawn in place.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progressIsTerminal,
           const CliEnvironment& environment);

}  // namespace orv::cli
