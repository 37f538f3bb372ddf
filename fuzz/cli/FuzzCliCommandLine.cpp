// orvane-cli's whole command line, run in-process on words from the fuzzer,
// with no device reachable: nothing it is given may crash it, every run ends
// with 0, 1 or 2, and a run refused while JSON was asked for prints exactly
// one document that says so.
#include <fuzzer/FuzzedDataProvider.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "cli/CliOptions.h"
#include "cli/Runner.h"

namespace {

// Words a run is made of, so the fuzzer finds the commands quickly.
const char* const kWords[] = {"--json",  "--port", "COM3",   "auto", "read",  "write", "set",   "measure",
                              "-o",      "ports",  "--yes",  "--no-verify", "--csv", "--count", "--interval",
                              "restart", "factory-reset", "--timeout-scale", "dampingLevel=3", "inputType=pt100",
                              "--help",  "--version", "--json=1", "rangeZero=1e39", "offsetCorrection=-128",
                              "check",   "--points", "0,50,100", "--tolerance", "--readings", "--record"};

orv::cli::CliEnvironment Nowhere() {
    orv::cli::CliEnvironment env;
    env.discover = [] { return 0; };
    env.portPath = [](int) { return std::string(); };
    env.bridges = [] { return std::vector<orv::cli::BridgeRow>{}; };
    // No path reaches a device: the fuzzer must never open a real port.
    env.identify = [](const std::string&) { return orv::cli::PortIdentity{0, "no device here"}; };
    return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::string> args;
    while (in.remaining_bytes() > 0 && args.size() < 12) {
        if (in.ConsumeBool()) {
            args.emplace_back(kWords[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kWords) - 1)]);
        } else {
            std::string word = in.ConsumeRandomLengthString(64);
            // Names stay in the folder the run starts in: no device file of the
            // machine is opened as a configuration (opening some has effects).
            for (char& c : word)
                if (c == '/') c = '_';
            args.push_back(word);
        }
    }
    std::ostringstream out, err;
    const int status = orv::cli::RunCli(args, out, err, false, Nowhere());
    ORV_FUZZ_CHECK(status == 0 || status == 1 || status == 2, "exit status %d", status);
    ORV_FUZZ_CHECK(status == 0 || !err.str().empty(), "a failure with nothing said");
    const bool json = orv::cli::AsksForJson(args);
    if (!args.empty() && args[0] == "--json") ORV_FUZZ_CHECK(json, "a leading --json not taken as asking for JSON");
    if (json && status != 0) {
        nlohmann::json doc;
        try {
            doc = nlohmann::json::parse(out.str());  // one document and nothing after it
        } catch (const std::exception& e) {
            ORV_FUZZ_CHECK(false, "not exactly one JSON document (%s):\n%s", e.what(), out.str().c_str());
        }
        ORV_FUZZ_CHECK(doc.is_object() && doc.value("exit", -1) == status, "the document's exit is not %d", status);
    }
    return 0;
}
