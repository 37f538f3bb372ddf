// Writing one configuration to eight transmitters at once should cost about
// what writing it to one does: each port has its own thread and the 1200-baud
// line, not the program, sets the pace. Simulated devices on pseudo-terminals
// pace their answers like the real line; the best of a few rounds is taken
// for each figure so a busy machine's hiccups do not decide the result.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Runner.h"
#include "sim/PtyDevice.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDevices = 8;
constexpr int kRounds = 3;
constexpr double kLimit = 1.10;

orv::cli::CliEnvironment NoDiscovery() {
    orv::cli::CliEnvironment env;
    env.discover = [] { return 0; };
    env.portPath = [](int) { return std::string(); };
    env.bridges = [] { return std::vector<orv::cli::BridgeRow>{}; };
    return env;
}

int Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = orv::cli::RunCli(args, out, err, false, NoDiscovery());
    if (status != 0) std::fprintf(stderr, "orvane-cli failed (%d):\n%s", status, err.str().c_str());
    return status;
}

// Milliseconds to write the file to `count` factory-fresh devices at once.
double TimeWrite(int count, const std::string& file) {
    std::vector<std::unique_ptr<orv::sim::PtyDevice>> devices;
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) {
        devices.push_back(std::make_unique<orv::sim::PtyDevice>());
        args.insert(args.end(), {"--port", devices.back()->SlavePath()});
    }
    args.insert(args.end(), {"write", file});
    const auto start = Clock::now();
    if (Cli(args) != 0) return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
    const std::string file = (std::filesystem::temp_directory_path() / "orvane-cli-bench.json").string();
    {
        // The configuration: a factory device with four settings changed.
        orv::sim::PtyDevice source;
        if (Cli({"--port", source.SlavePath(), "set", "inputType=pt100", "wireCount=2", "rangeFull=250", "dampingLevel=4"}) ||
            Cli({"--port", source.SlavePath(), "read", "-o", file}))
            return 1;
    }
    double one = 1e300, eight = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        const double a = TimeWrite(1, file);
        const double b = TimeWrite(kDevices, file);
        if (a < 0 || b < 0) return 1;
        one = std::min(one, a);
        eight = std::min(eight, b);
    }
    std::filesystem::remove(file);
    const double ratio = eight / one;
    std::printf("write a configuration (read, 4 writes, read back) at 1200 baud, best of %d rounds\n", kRounds);
    std::printf("  one device:    %8.1f ms\n", one);
    std::printf("  %d devices:     %8.1f ms\n", kDevices, eight);
    std::printf("  ratio:         %8.3f (limit %.2f) %s\n", ratio, kLimit, ratio <= kLimit ? "ok" : "TOO SLOW");
    return ratio <= kLimit ? 0 : 1;
}
