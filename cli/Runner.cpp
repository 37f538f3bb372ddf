#include "cli/Runner.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "OrvaneVersion.h"
#include "calib/ReadingRecorder.h"
#include "cli/CliOptions.h"
#include "cli/DeviceLine.h"
#include "cli/FilePath.h"
#include "cli/JsonText.h"
#include "cli/PortJobs.h"
#include "cli/PortArgument.h"
#include "cli/Progress.h"

namespace orv::cli {

namespace {

struct Outcome {
    ResolvedPort port;
    bool ok = false;           // the command completed
    bool interrupted = false;  // a stop came first
    FailureKind kind = FailureKind::Port;
    std::string error;
    JobResult result;  // what was done, also when it failed or was interrupted

    // Completed, but settings of the file were left as the device has them.
    bool Incomplete() const { return ok && !result.left.empty(); }
    // Completed, and the check's result is a failure.
    bool CheckFailed() const { return ok && !result.failure.empty(); }
    bool Succeeded() const { return ok && result.left.empty() && result.failure.empty(); }
    std::string KindText() const {
        return Incomplete() ? "incomplete" : CheckFailed() ? "check-failed" : interrupted ? "interrupted" : std::string(KindName(kind));
    }
    std::string Message() const {
        if (Incomplete()) return "left as the device has them: " + config::DescribeLeft(result.left);
        if (CheckFailed()) return result.failure;
        return error;
    }
    // Where a port ended, for its progress line; the message follows in the summary.
    std::string FinalStep() const {
        if (interrupted) return "INTERRUPTED";
        if (!ok) return kind == FailureKind::Refused ? "REFUSED" : "FAILED (" + KindText() + ")";
        return Succeeded() ? "done" : "done, " + KindText();
    }
};

std::string List(const std::vector<std::string>& names, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to && i < names.size(); ++i) out += (out.empty() ? "" : ", ") + names[i];
    return out.empty() ? "none" : out;
}

// Where a write or set got to: a technician must know what the device now holds.
std::string WriteState(const JobResult& r) {
    const std::size_t n = r.planned.size(), ack = r.acknowledged;
    std::string out = r.verified ? "written and verified: " + List(r.planned, 0, ack)
                                 : "written, not verified: " + List(r.planned, 0, ack);
    if (ack < n) out += "; not written: " + List(r.planned, ack, n);
    return out;
}

std::string_view CommandName(Command c) {
    switch (c) {
        case Command::Ports: return "ports";
        case Command::Read: return "read";
        case Command::Write: return "write";
        case Command::Set: return "set";
        case Command::Measure: return "measure";
        case Command::Restart: return "restart";
        case Command::FactoryReset: return "factory-reset";
        case Command::Check: return "check";
    }
    return "";
}

// A file that could not be saved is a failure of the run, not of its input.
bool IsInputError(FailureKind k) { return k == FailureKind::Refused; }

std::string Named(const ResolvedPort& p) {
    return p.path.empty() || p.path == p.label ? p.label : p.label + " (" + p.path + ")";
}

char Hex4Digit(unsigned v) { return "0123456789abcdef"[v & 15]; }
std::string Hex4(unsigned v) {
    return {Hex4Digit(v >> 12), Hex4Digit(v >> 8), Hex4Digit(v >> 4), Hex4Digit(v)};
}

int ListPorts(const CliOptions& o, std::ostream& out, const CliEnvironment& env) {
    const auto rows = env.bridges();
    const auto links = env.links ? env.links() : std::vector<LinkRow>{};
    if (o.json) {
        Json list = Json::array();
        for (const auto& r : rows)
            list.push_back({{"port", r.name.empty() ? Json(nullptr) : Json(r.name)},
                            {"path", r.path.empty() ? Json(nullptr) : Json(r.path)},
                            {"vendor-id", Hex4(r.vendorId)},
                            {"product-id", Hex4(r.productId)},
                            {"serial", r.serial}});
        Json linked = Json::array();
        for (const auto& l : links) linked.push_back({{"port", l.name}, {"path", l.path}});
        out << DumpJson(Json{{"program", "orvane-cli"},
                             {"version", orv::kVersion},
                             {"command", "ports"},
                             {"bridges", list},
                             {"links", linked}});
        return kExitOk;
    }
    if (rows.empty() && links.empty()) out << "no USB serial bridges and no port links found\n";
    for (const auto& r : rows)
        out << (r.name.empty() ? "-" : r.name) << '\t' << (r.path.empty() ? "-" : r.path) << '\t' << Hex4(r.vendorId)
            << ':' << Hex4(r.productId) << '\t' << (r.serial.empty() ? "-" : r.serial) << '\n';
    for (const auto& l : links) out << l.name << '\t' << l.path << "\tlink\t-\n";
    return kExitOk;
}

void RunPort(Outcome& o, const CliOptions& options, const config::ConfigRecord* file, Progress& progress,
             std::size_t index, std::ostream& out, std::ostream& err, bool errIsTerminal, const CliEnvironment& env) {
    const auto step = [&progress, &env, index, label = o.port.label](const std::string& text) {
        progress.Step(index, text);
        if (env.onStep) env.onStep(label, text);
    };
    JobContext context{options, file, o.port.label, step,
                       [&progress, &out, &env](const std::string& line) {
                           progress.Emit(out, env.outputIsTerminal, line);
                       },
                       env.stop};
    context.input = env.input;
    context.inputIsTerminal = env.inputIsTerminal;
    // The prompt and the live value are drawn only where a person both
    // reads and types.
    context.terminal = env.inputIsTerminal && errIsTerminal ? &err : nullptr;
    context.pollInterval = env.pollInterval;
    try {
        DeviceLine line(o.port.path, options.timeoutScale);
        RunJob(line, context, o.result);
        o.ok = true;
    } catch (const Interrupted&) {
        o.interrupted = true;
        o.error = "stopped by a signal before the command completed";
    } catch (const DeviceFailure& e) {
        o.kind = e.Kind();
        o.error = e.what();
    } catch (const std::exception& e) {
        // Nothing a port does may end the program: it is that port's failure.
        o.kind = FailureKind::Port;
        o.error = e.what();
    } catch (...) {
        o.kind = FailureKind::Port;
        o.error = "an internal error";
    }
    progress.Step(index, o.FinalStep());
}

// A record that could not be saved in the end would cost a whole check:
// a target that cannot be a file is refused before the device is touched.
std::string RecordTargetProblem(const std::string& given) {
    const std::filesystem::path file = FilePath(given);
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return "--record " + given + ": it is a folder";
    const std::filesystem::path folder = file.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        return "--record " + given + ": its folder does not exist";
    return {};
}

}  // namespace

namespace {

int RunCliUnguarded(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    bool progressIsTerminal, const CliEnvironment& env, bool wantsJson) {
    auto refuse = [&](const std::string& kind, const std::string& problem) {
        if (wantsJson)
            out << DumpJson(Json{{"program", "orvane-cli"}, {"version", orv::kVersion}, {"ok", false}, {"exit", kExitUsage},
                                 {"error", {{"kind", kind}, {"message", problem}}}});
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
    if (const std::string clash = CheckDistinct(resolved, env.identify); !clash.empty()) return usage(clash);

    std::vector<std::string> labels;
    for (const auto& p : resolved) {
        Outcome o;
        o.port = p;
        outcomes.push_back(std::move(o));
        labels.push_back(p.label);
    }
    if (options.command == Command::Check && !options.recordFile.empty())
        if (const std::string problem = RecordTargetProblem(options.recordFile); !problem.empty()) return usage(problem);

    // The check prints its points, prompt and live value line by line; a
    // redrawn progress line would overwrite them.
    Progress progress(err, progressIsTerminal && options.command != Command::Check, labels);
    if (options.command == Command::Measure && options.csv) progress.Emit(out, env.outputIsTerminal, calib::CsvHeader(true) + "\n");

    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        Outcome& o = outcomes[i];
        if (!o.port.error.empty()) {
            o.kind = FailureKind::Port;
            o.error = o.port.error;
            progress.Step(i, o.FinalStep());
            continue;
        }
        const config::ConfigRecord* record = file ? &*file : nullptr;
        try {
            threads.emplace_back([&o, &options, record, &progress, i, &out, &err, progressIsTerminal, &env] {
                RunPort(o, options, record, progress, i, out, err, progressIsTerminal, env);
            });
        } catch (const std::system_error& e) {
            // Out of threads: this port fails, the ones already running go on.
            o.kind = FailureKind::Port;
            o.error = std::string("cannot start its worker thread: ") + e.what();
            progress.Step(i, o.FinalStep());
        }
    }
    // Every job ends at its own time-outs, so this wait is bounded.
    for (auto& t : threads) t.join();

    bool deviceFailed = false, inputError = false, interrupted = false;
    std::size_t succeeded = 0;
    for (const auto& o : outcomes) {
        if (o.interrupted) interrupted = true;
        else if (o.Succeeded()) ++succeeded;
        else if (!o.ok && IsInputError(o.kind)) inputError = true;
        else deviceFailed = true;
    }
    const int status = interrupted    ? kExitInterrupted
                       : deviceFailed ? kExitDeviceFailed
                       : inputError   ? kExitUsage
                                      : kExitOk;
    const bool writes = options.command == Command::Write || options.command == Command::Set;

    if (options.json) {
        Json ports = Json::array();
        for (const auto& o : outcomes) {
            Json p = {{"port", o.port.label}, {"path", o.port.path.empty() ? Json(nullptr) : Json(o.port.path)},
                      {"ok", o.Succeeded()}};
            if (o.interrupted) p["interrupted"] = true;
            // What was done is there whatever the end: readings taken so
            // far, the block read, the settings written.
            for (auto it = o.result.json.begin(); it != o.result.json.end(); ++it) p[it.key()] = it.value();
            if (writes && (o.ok || !o.result.planned.empty() || o.interrupted)) {
                const auto& r = o.result;
                p["written"] = Json(std::vector<std::string>(r.planned.begin(), r.planned.begin() + static_cast<long>(r.acknowledged)));
                p["not-written"] = Json(std::vector<std::string>(r.planned.begin() + static_cast<long>(r.acknowledged), r.planned.end()));
                p["verified"] = r.verified;
            }
            if (!o.result.left.empty()) {
                Json left = Json::array();
                for (const auto& l : o.result.left) left.push_back({{"setting", l.name}, {"reason", l.reason}});
                p["left"] = std::move(left);
            }
            if (!o.Succeeded()) p["error"] = {{"kind", o.KindText()}, {"message", o.Message()}};
            ports.push_back(std::move(p));
        }
        Json doc{{"program", "orvane-cli"},
                 {"version", orv::kVersion},
                 {"command", CommandName(options.command)},
                 {"ok", status == kExitOk},
                 {"exit", status}};
        if (interrupted) doc["interrupted"] = true;
        doc["summary"] = {{"ports", outcomes.size()}, {"succeeded", succeeded}, {"failed", outcomes.size() - succeeded}};
        doc["ports"] = std::move(ports);
        out << DumpJson(doc);
    } else if (options.command != Command::Measure) {
        for (const auto& o : outcomes) {
            if (!o.ok && !(o.result.textOnFailure && !o.result.text.empty())) continue;
            if (outcomes.size() > 1) out << "== " << Named(o.port) << '\n';
            out << o.result.text;
        }
    }
    for (const auto& o : outcomes) {
        if (o.Succeeded()) continue;
        err << "orvane-cli: " << Named(o.port) << ": " << o.KindText() << ": " << o.Message();
        if (writes && !o.ok && (o.interrupted || !o.result.planned.empty())) err << " (" << WriteState(o.result) << ")";
        if (o.interrupted && options.command == Command::Measure && o.result.json.contains("readings"))
            err << " (" << o.result.json["readings"].size() << " readings taken)";
        err << '\n';
    }
    if (outcomes.size() > 1 || status != kExitOk) {
        err << "summary: " << succeeded << " of " << outcomes.size() << " port" << (outcomes.size() == 1 ? "" : "s")
            << " succeeded";
        std::string failed;
        for (const auto& o : outcomes)
            if (!o.Succeeded()) failed += (failed.empty() ? "" : ", ") + o.port.label + " (" + o.KindText() + ")";
        if (!failed.empty()) err << "; failed: " << failed;
        if (interrupted) err << "; interrupted, nothing more was sent";
        err << '\n';
    }
    return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progressIsTerminal,
           const CliEnvironment& env) {
    // A script that asked for JSON gets a document even when the command line
    // itself was wrong, so it never has to parse the error text.
    const bool wantsJson = AsksForJson(args);
    try {
        return RunCliUnguarded(args, out, err, progressIsTerminal, env, wantsJson);
    } catch (const std::exception& e) {
        // No failure of the tool's own may end it without its answer.
        err << "orvane-cli: internal error: " << e.what() << '\n';
        if (wantsJson)
            out << DumpJson(Json{{"program", "orvane-cli"}, {"version", orv::kVersion}, {"ok", false}, {"exit", kExitDeviceFailed},
                                 {"error", {{"kind", "internal"}, {"message", e.what()}}}});
        return kExitDeviceFailed;
    }
}

}  // namespace orv::cli
