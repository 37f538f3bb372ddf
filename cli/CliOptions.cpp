#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "OrvaneVersion.h"

namespace orv::cli {

const char* const kUsageText =
    "Usage: orvane-cli [--port PORT]... [--json] [--timeout-scale F] COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  ports                       list the USB serial bridges and the port links found\n"
    "  read [-o FILE]              read the settings; -o saves a configuration file\n"
    "  write FILE [--no-verify]    write a configuration file's settings, then read back and compare\n"
    "  set NAME=VALUE...           change single settings, then read back and compare\n"
    "  measure [--count N] [--interval S] [--csv]\n"
    "                              poll the readings, one line each\n"
    "  check [--points 0,25,50,75,100] [--tolerance PCT] [--readings N] [--record FILE]\n"
    "                              calibration check on one port: for each point apply the value\n"
    "                              shown, then enter the reference value on standard input\n"
    "  restart                     restart the device\n"
    "  factory-reset --yes         restore the factory settings\n"
    "\n"
    "Options:\n"
    "  --port PORT         COMk, a device path, or auto (default); repeat for several devices\n"
    "  --json              print one JSON document instead of text\n"
    "  --timeout-scale F   multiply every time-out by F (0.05 to 100)\n"
    "  -h, --help          show this help\n"
    "  --version           show the version\n"
    "\n"
    "Settings for set (the words of configuration files; README lists their values):\n"
    "  inputType cjcMode wireCount rangeZero rangeFull dampingLevel breakAlarm\n"
    "  outputDirection offsetCorrection\n"
    "  e.g. set inputType=pt100 wireCount=3 rangeZero=-50 rangeFull=250\n"
    "       set cjcMode=external-cu50 breakAlarm=high outputDirection=20-4mA\n"
    "\n"
    "Exit status: 0 every port succeeded (check: every point passed), 1 a device failed\n"
    "(check: a point failed), 2 usage or input error, 130 stopped by Ctrl-C or SIGTERM\n"
    "(each port finishes the exchange on its line, then says what it wrote).\n";

namespace {

std::optional<double> Number(const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Command> CommandNamed(const std::string& name) {
    if (name == "ports") return Command::Ports;
    if (name == "read") return Command::Read;
    if (name == "write") return Command::Write;
    if (name == "set") return Command::Set;
    if (name == "measure") return Command::Measure;
    if (name == "restart") return Command::Restart;
    if (name == "factory-reset") return Command::FactoryReset;
    if (name == "check") return Command::Check;
    return std::nullopt;
}

ParsedCommandLine Usage(const std::string& problem) { return {std::nullopt, {}, problem}; }

bool TakesValue(const std::string& option) {
    return option == "--port" || option == "--timeout-scale" || option == "-o" || option == "--output" ||
           option == "--count" || option == "--interval" || option == "--points" || option == "--tolerance" ||
           option == "--readings" || option == "--record";
}

}  // namespace

bool AsksForJson(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json" || args[i].rfind("--json=", 0) == 0) return true;
        if (args[i] == "-h" || args[i] == "--help" || args[i] == "--version") return false;
        if (TakesValue(args[i])) ++i;
    }
    return false;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CliOptions o;
    std::optional<Command> command;
    std::vector<std::string> operands;
    bool sawYes = false, sawNoVerify = false, sawCsv = false, sawOutput = false, sawCount = false, sawInterval = false;
    bool sawCheckOption = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string inlineValue;
        bool hasInline = false;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
                hasInline = true;
            }
        }
        auto value = [&](std::string& out) {
            if (hasInline) {
                out = inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (hasInline && (arg == "--json" || arg == "--no-verify" || arg == "--csv" || arg == "--yes" ||
                          arg == "--help" || arg == "--version"))
            return Usage(arg + " takes no value");
        if (arg == "-h" || arg == "--help") return {std::nullopt, kUsageText, {}};
        if (arg == "--version")
            return {std::nullopt, std::string("orvane-cli (") + orv::kProductName + ") " + orv::kVersion + "\n", {}};
        if (arg == "--port") {
            if (!value(v) || v.empty()) return Usage("--port needs COMk, a device path or auto");
            o.ports.push_back(v);
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--timeout-scale") {
            const auto f = value(v) ? Number(v) : std::nullopt;
            if (!f || *f < 0.05 || *f > 100) return Usage("--timeout-scale takes a number from 0.05 to 100");
            o.timeoutScale = *f;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(v) || v.empty()) return Usage("-o needs a file name");
            o.outputFile = v;
            sawOutput = true;
        } else if (arg == "--no-verify") {
            o.verify = false;
            sawNoVerify = true;
        } else if (arg == "--count") {
            const auto n = value(v) ? Number(v) : std::nullopt;
            if (!n || *n < 1 || *n > 1e6 || std::floor(*n) != *n) return Usage("--count takes a whole number from 1 to 1000000");
            o.count = static_cast<int>(*n);
            sawCount = true;
        } else if (arg == "--interval") {
            const auto s = value(v) ? Number(v) : std::nullopt;
            if (!s || *s < 0 || *s > 3600) return Usage("--interval takes seconds from 0 to 3600");
            o.intervalSeconds = *s;
            sawInterval = true;
        } else if (arg == "--csv") {
            o.csv = true;
            sawCsv = true;
        } else if (arg == "--points") {
            if (!value(v)) return Usage("--points needs a list such as 0,25,50,75,100");
            const calib::ParsedPoints points = calib::ParsePointList(v);
            if (!points.error.empty()) return Usage("--points: " + points.error);
            o.check.points = points.points;
            sawCheckOption = true;
        } else if (arg == "--tolerance") {
            const auto t = value(v) ? calib::ParseNumber(v) : std::nullopt;
            if (!t) return Usage("--tolerance takes a number: percent of the span");
            o.check.tolerance = *t;
            sawCheckOption = true;
        } else if (arg == "--readings") {
            const auto n = value(v) ? Number(v) : std::nullopt;
            if (!n || *n < 1 || *n > calib::kMaxReadings || std::floor(*n) != *n)
                return Usage("--readings takes a whole number from 1 to " + std::to_string(calib::kMaxReadings));
            o.check.readings = static_cast<int>(*n);
            sawCheckOption = true;
        } else if (arg == "--record") {
            if (!value(v) || v.empty()) return Usage("--record needs a file name");
            o.recordFile = v;
            sawCheckOption = true;
        } else if (arg == "--yes") {
            o.confirmed = true;
            sawYes = true;
        } else if (arg.size() > 1 && arg[0] == '-' && !command) {
            return Usage("unknown option '" + args[i] + "'");
        } else if (!command) {
            command = CommandNamed(arg);
            if (!command) return Usage("unknown command '" + arg + "'");
        } else if (arg.size() > 1 && arg[0] == '-' && *command != Command::Set) {
            return Usage("unknown option '" + args[i] + "'");
        } else {
            operands.push_back(args[i]);
        }
    }
    if (!command) return Usage("no command given");
    o.command = *command;

    auto only = [&](bool used, const char* option, const char* where) -> std::optional<ParsedCommandLine> {
        if (used) return Usage(std::string(option) + " belongs to " + where);
        return std::nullopt;
    };
    if (auto u = only(sawOutput && o.command != Command::Read, "-o", "read")) return *u;
    if (auto u = only(sawNoVerify && o.command != Command::Write, "--no-verify", "write")) return *u;
    if (auto u = only((sawCount || sawInterval || sawCsv) && o.command != Command::Measure, "--count, --interval and --csv", "measure")) return *u;
    if (auto u = only(sawYes && o.command != Command::FactoryReset, "--yes", "factory-reset")) return *u;
    if (auto u = only(sawCheckOption && o.command != Command::Check, "--points, --tolerance, --readings and --record",
                      "check"))
        return *u;
    if (o.csv && o.json)
        return Usage("--csv and --json do not go together: --json puts the readings into its document");

    switch (o.command) {
        case Command::Write:
            if (operands.size() != 1) return Usage("write takes one configuration file");
            o.inputFile = operands[0];
            operands.clear();
            break;
        case Command::Set: {
            if (operands.empty()) return Usage("set needs at least one NAME=VALUE");
            for (const auto& text : operands) {
                auto parsed = ParseAssignment(text);
                if (!parsed.assignment) return Usage(parsed.error);
                for (const auto& earlier : o.assignments)
                    if (earlier.setting == parsed.assignment->setting)
                        return Usage(std::string(earlier.setting->word) + " is given twice");
                o.assignments.push_back(std::move(*parsed.assignment));
            }
            operands.clear();
            break;
        }
        case Command::Check: {
            // One reading a second: the longest wait for steady readings is
            // a minute, or the time the readings themselves take.
            o.check.settleSeconds = std::max(o.check.settleSeconds, o.check.readings);
            if (const auto problems = calib::SetupProblems(o.check); !problems.empty()) return Usage("check: " + problems.front());
            if (o.ports.size() > 1) return Usage("check runs on one port; give one --port");
            break;
        }
        case Command::FactoryReset:
            if (!o.confirmed)
                return Usage("factory-reset overwrites every setting and calibration with the factory block; "
                             "add --yes to confirm");
            break;
        default: break;
    }
    if (!operands.empty()) return Usage("unexpected argument '" + operands.front() + "'");
    if (o.command == Command::Ports && !o.ports.empty()) return Usage("ports takes no --port");
    if (o.command == Command::Read && !o.outputFile.empty() && o.ports.size() > 1)
        return Usage("read -o saves one device's configuration; give one --port");
    if (o.ports.empty() && o.command != Command::Ports) o.ports.push_back("auto");
    return {std::move(o), {}, {}};
}

}  // namespace orv::cli
