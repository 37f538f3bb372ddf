#include "cli/Runner.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "cli/CliOptions.h"
#include "cli/DeviceLine.h"
#include "cli/FilePath.h"
#include "cli/PortJobs.h"
#include "cli/PortArgument.h"
#include "cli/Progress.h"
#include "cli/Version.h"

namespace orv::cli {

namespace {

struct Outcome {
    ResolvedPort port;
    bool ok = false;
    FailureKind kind = FailureKind::Port;
    std::string error;
    JobResult result;
};

std::string_view CommandName(Command c) {
    switch (c) {
        case Command::Ports: return "ports";
        case Command::Read: return "read";
        case Command::Write: return "write";
        case Command::Set: return "set";
        case Command::Measure: return "measure";
        case Command::Restart: return "restart";
        case Command::FactoryReset: return "factory-reset";
    }
    return "";
}

bool IsInputError(FailureKind k) { return k == FailureKind::Refused || k == FailureKind::File; }

std::string Named(const ResolvedPort& p) {
    return p.path.empty() || p.path == p.label ? p.label : p.label + " (" + p.path + ")";
}

char Hex4Digit(unsigned v) { return "0123456789abcdef"[v & 15]; }
std::string Hex4(unsigned v) {
    return {Hex4Digit(v >> 12), Hex4Digit(v >> 8), Hex4Digit(v >> 4), Hex4Digit(v)};
}

int ListPorts(const CliOptions& o, std::ostream& out, const CliEnvironment& env) {
    const auto rows = env.bridges();
    if (o.json) {
        Json list = Json::array();
        for (const auto& r : rows)
            list.push_back({{"port", r.name.empty() ? Json(nullptr) : Json(r.name)},
                            {"path", r.path.empty() ? Json(nullptr) : Json(r.path)},
                            {"vendor-id", Hex4(r.vendorId)},
                            {"product-id", Hex4(r.productId)},
                            {"serial", r.serial}});
        out << Json{{"program", "orvane-cli"}, {"version", kVersion}, {"command", "ports"}, {"bridges", list}}.dump(2)
            << '\n';
        return kExitOk;
    }
    if (rows.empty()) out << "no USB serial bridges found\n";
    for (const auto& r : rows)
        out << (r.name.empty() ? "-" : r.name) << '\t' << (r.path.empty() ? "-" : r.path) << '\t' << Hex4(r.vendorId)
            << ':' << Hex4(r.productId) << '\t' << (r.serial.empty() ? "-" : r.serial) << '\n';
    return kExitOk;
}

void RunPort(Outcome& o, const CliOptions& options, const config::ConfigRecord* file, Progress& progress,
             std::size_t index, std::mutex& streamMutex, std::ostream& out) {
    JobContext context{options, file, o.port.label,
                       [&progress, index](const std::string& text) { progress.Step(index, text); },
                       [&streamMutex, &out](const std::string& line) {
                           std::lock_guard lock(streamMutex);
                           out << line << std::flush;
                       }};
    try {
        DeviceLine line(o.port.path, options.timeoutScale);
        o.result = RunJob(line, context);
        o.ok = true;
        progress.Step(index, "done");
    } catch (const DeviceFailure& e) {
        o.kind = e.Kind();
        o.error = e.what();
    } catch (const std::exception& e) {
        o.kind = FailureKind::Port;
        o.error = e.what();
    }
    if (!o.ok) progress.Step(index, "FAILED: " + o.error);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progressIsTerminal,
           const CliEnvironment& env) {
    // A script that asked for JSON gets a document even when the command line
    // itself was wrong, so it never has to parse the error text.
    const bool wantsJson = std::find(args.begin(), args.end(), "--json") != args.end();
    auto refuse = [&](const std::string& kind, const std::string& problem) {
        if (wantsJson)
            out << Json{{"program", "orvane-cli"}, {"version", kVersion}, {"ok", false}, {"exit", kExitUsage},
                        {"error", {{"kind", kind}, {"message", problem}}}}
                       .dump(2)
                << '\n';
        return kExitUsage;
    };
    auto usage = [&](const std::string& problem) {
        err << "orvane-cli: " << problem << "\nTry 'orvane-cli --help'.\n";
        return refuse("usage", problem);
    };
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) return usage(parsed.error);
    if (!parsed.options) {
        out << parsed.output;
        return kExitOk;
    }
    const CliOptions& options = *parsed.options;
    if (options.command == Command::Ports) return ListPorts(options, out, env);

    // A bad file is refused before any port is opened, so no device is touched.
    std::optional<config::ConfigRecord> file;
    if (options.command == Command::Write) {
        auto loaded = config::LoadConfigFile(FilePath(options.inputFile));
        if (!loaded.record) {
            err << "orvane-cli: " << loaded.error << "; nothing was written\n";
            return refuse("file", loaded.error);
        }
        file = std::move(loaded.record);
    }

    std::vector<Outcome> outcomes;
    bool discovered = false;
    int discoveredPort = 0;
    auto discover = [&] {
        if (!discovered) discoveredPort = env.discover();
        discovered = true;
        return discoveredPort;
    };
    std::vector<ResolvedPort> resolved;
    for (const auto& given : options.ports) {
        resolved.push_back(ResolvePort(given, discover, env.portPath));
        if (resolved.back().usageError) return usage(resolved.back().error);
    }
    if (const std::string clash = CheckDistinct(resolved); !clash.empty()) return usage(clash);

    std::vector<std::string> labels;
    for (const auto& p : resolved) {
        Outcome o;
        o.port = p;
        outcomes.push_back(std::move(o));
        labels.push_back(p.label);
    }
    // Readings stream to stdout while they come; redrawn progress lines on
    // the same terminal would tear them apart.
    Progress progress(err, progressIsTerminal && options.command != Command::Measure, labels);
    std::mutex streamMutex;
    if (options.command == Command::Measure && options.csv && !options.json) out << CsvHeader() << std::flush;

    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        Outcome& o = outcomes[i];
        if (!o.port.error.empty()) {
            o.kind = FailureKind::Port;
            o.error = o.port.error;
            progress.Step(i, "FAILED: " + o.error);
            continue;
        }
        const config::ConfigRecord* record = file ? &*file : nullptr;
        try {
            threads.emplace_back([&o, &options, record, &progress, i, &streamMutex, &out] {
                RunPort(o, options, record, progress, i, streamMutex, out);
            });
        } catch (const std::system_error& e) {
            // Out of threads: this port fails, the ones already running go on.
            o.kind = FailureKind::Port;
            o.error = std::string("cannot start its worker thread: ") + e.what();
            progress.Step(i, "FAILED: " + o.error);
        }
    }
    // Every job ends at its own time-outs, so this wait is bounded.
    for (auto& t : threads) t.join();

    bool deviceFailed = false, inputError = false;
    std::size_t succeeded = 0;
    for (const auto& o : outcomes) {
        if (o.ok) ++succeeded;
        else if (IsInputError(o.kind)) inputError = true;
        else deviceFailed = true;
    }
    const int status = deviceFailed ? kExitDeviceFailed : inputError ? kExitUsage : kExitOk;

    if (options.json) {
        Json ports = Json::array();
        for (const auto& o : outcomes) {
            Json p = {{"port", o.port.label}, {"path", o.port.path.empty() ? Json(nullptr) : Json(o.port.path)}, {"ok", o.ok}};
            if (o.ok) {
                for (auto it = o.result.json.begin(); it != o.result.json.end(); ++it) p[it.key()] = it.value();
            } else {
                p["error"] = {{"kind", KindName(o.kind)}, {"message", o.error}};
            }
            ports.push_back(std::move(p));
        }
        out << Json{{"program", "orvane-cli"},
                    {"version", kVersion},
                    {"command", CommandName(options.command)},
                    {"ok", status == kExitOk},
                    {"exit", status},
                    {"summary", {{"ports", outcomes.size()}, {"succeeded", succeeded}, {"failed", outcomes.size() - succeeded}}},
                    {"ports", ports}}
                   .dump(2)
            << '\n';
    } else if (options.command != Command::Measure) {
        for (const auto& o : outcomes) {
            if (!o.ok) continue;
            if (outcomes.size() > 1) out << "== " << Named(o.port) << '\n';
            out << o.result.text;
        }
    }
    for (const auto& o : outcomes)
        if (!o.ok) err << "orvane-cli: " << Named(o.port) << ": " << KindName(o.kind) << ": " << o.error << '\n';
    if (outcomes.size() > 1 || status != kExitOk) {
        err << "summary: " << succeeded << " of " << outcomes.size() << " port" << (outcomes.size() == 1 ? "" : "s")
            << " succeeded";
        std::string failed;
        for (const auto& o : outcomes)
            if (!o.ok) failed += (failed.empty() ? "" : ", ") + o.port.label + " (" + std::string(KindName(o.kind)) + ")";
        if (!failed.empty()) err << "; failed: " << failed;
        err << '\n';
    }
    return status;
}

}  // namespace orv::cli
