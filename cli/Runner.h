#pragma once
// The whole program behind main(): parses the command line, runs the command
// on every port at once, prints the results, a summary and the exit status.
// Streams and system services are passed in so tests can run it in-process.
#include <atomic>
#include <chrono>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/BridgeList.h"
#include "cli/PortArgument.h"
#include "cli/StopSignal.h"
#include "protocol/RequestTimers.h"

namespace orv::cli {

inline constexpr int kExitOk = 0, kExitDeviceFailed = 1, kExitUsage = 2;

struct CliEnvironment {
    std::function<int()> discover;                    // the bridge's port number, 0 or -1 for none
    std::function<std::string(int)> portPath;         // COMk -> device path
    std::function<std::vector<BridgeRow>()> bridges;  // the "ports" listing
    std::function<std::vector<LinkRow>()> links;       // the port links it lists too; null: none
    IdentifyPort identify = IdentifyOnThisSystem;     // what a port path leads to
    // Raised to stop (SIGINT, SIGTERM): ports finish the exchange on the line
    // and send nothing more. Null: never.
    const std::atomic<bool>* stop = nullptr;
    // Told every progress step of every port, as "Progress" is (tests).
    std::function<void(const std::string& port, const std::string& step)> onStep;
    // check's reference values: standard input, a terminal or not. Null: none.
    std::istream* input = nullptr;
    bool inputIsTerminal = false;
    // Results go to the terminal the progress lines are drawn on.
    bool outputIsTerminal = false;
    // check: one reading every so often, as "Auto Upload" polls.
    std::chrono::milliseconds pollInterval{protocol::kPollIntervalMs};
};

// Discovery in sysfs, the tool's COMk naming and the signals' stop flag.
CliEnvironment SystemEnvironment();

// progressIsTerminal: the error stream is a terminal, so progress lines are
// redrawn in place.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progressIsTerminal,
           const CliEnvironment& environment);

}  // namespace orv::cli
