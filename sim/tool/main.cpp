// orvane-sim: a simulated transmitter on a pseudo-terminal, for trying the
// tool without hardware. Prints the port path and the frame log until
// interrupted.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "OrvaneVersion.h"
#include "sim/NonBlockingLog.h"
#include "sim/PtyDevice.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0, kExitFailure = 1, kExitUsage = 2;
// Lines the log holds for a slow reader before it starts dropping them.
constexpr std::size_t kLogQueueLines = 4096;
// Raised by the log's writer when its output has gone away.
constexpr int kLogFailedSignal = SIGUSR1;

const char* const kUsage =
    "Usage: orvane-sim [options]\n"
    "Runs a simulated transmitter (dual-output universal model, TC K, 0..1300)\n"
    "behind a pseudo-terminal at 1200 baud 8N1 until interrupted.\n"
    "\n"
    "  --link PATH        also make PATH a symbolic link to the port (removed on\n"
    "                     exit), e.g. ~/.config/orvane/ports/COM1\n"
    "  --delay MS         turnaround before each answer (default 20)\n"
    "  --silent           never answer\n"
    "  --bad-checksum     answer with a wrong checksum\n"
    "  --wrong-function   answer with another function code\n"
    "  --keep-block       acknowledge writes but store nothing\n"
    "  --input VALUE      signal applied to the input, in the unit of the input\n"
    "                     type it starts with (degC; default 100)\n"
    "  --offset-error VALUE  read VALUE (in the input's unit) too high\n"
    "  --gain-error PCT   read PCT percent too high about the unit's zero\n"
    "  --silent-restart   reset at once on a restart, without acknowledging it\n"
    "  --quiet            do not print the frame log\n"
    "  -h, --help         show this help\n"
    "  --version          show the version\n";

struct Options {
    std::string link;
    unsigned delayMs = 20;
    orv::sim::Faults faults;
    orv::sim::ReadingError error;
    std::optional<double> input;
    bool quiet = false;
};

int Usage(const std::string& problem) {
    std::fprintf(stderr, "orvane-sim: %s\n%s", problem.c_str(), kUsage);
    return kExitUsage;
}

// A finite decimal number, the whole text.
std::optional<double> Number(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(v)) return std::nullopt;
    return v;
}

// Returns -1 when parsing succeeded, otherwise the exit code.
int Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (arg == "--version") {
            std::printf("orvane-sim (%s) %s\n", orv::kProductName, orv::kVersion);
            return kExitOk;
        } else if (arg == "--link") {
            if (!value(o.link) || o.link.empty()) return Usage("--link needs a path");
        } else if (arg == "--delay") {
            std::string text;
            if (!value(text)) return Usage("--delay needs milliseconds");
            char* end = nullptr;
            errno = 0;
            const unsigned long ms = std::strtoul(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || text[0] == '-' || ms > 60000)
                return Usage("--delay takes 0 to 60000 milliseconds, not '" + text + "'");
            o.delayMs = static_cast<unsigned>(ms);
        } else if (arg == "--silent") {
            o.faults.silent = true;
        } else if (arg == "--bad-checksum") {
            o.faults.corruptChecksum = true;
        } else if (arg == "--wrong-function") {
            o.faults.wrongFunction = true;
        } else if (arg == "--keep-block") {
            o.faults.keepBlock = true;
        } else if (arg == "--input" || arg == "--offset-error" || arg == "--gain-error") {
            std::string text;
            const std::optional<double> v = value(text) ? Number(text) : std::nullopt;
            if (!v) return Usage(arg + " needs a number, not '" + text + "'");
            if (arg == "--input") o.input = v;
            else if (arg == "--offset-error") o.error.offset = *v;
            else o.error.gainPercent = *v;
        } else if (arg == "--silent-restart") {
            o.faults.silentRestart = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else {
            return Usage("unknown option '" + arg + "'");
        }
    }
    return -1;
}

// A link left by an earlier run that was killed is replaced; anything else at
// that path belongs to someone else and stays.
bool MakeLink(const std::string& link, const std::string& target) {
    const fs::path path(link);
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (!ec && fs::exists(status)) {
        if (!fs::is_symlink(status)) {
            std::fprintf(stderr, "orvane-sim: %s exists and is not a symbolic link; not replacing it\n", link.c_str());
            return false;
        }
        fs::remove(path, ec);
    }
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    fs::create_symlink(target, path, ec);
    if (ec) {
        std::fprintf(stderr, "orvane-sim: cannot create link %s: %s\n", link.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string& link, const std::string& target) {
    std::error_code ec;
    // Only our own link: another run may have taken the name over meanwhile.
    if (fs::is_symlink(fs::symlink_status(link, ec)) && fs::read_symlink(link, ec) == target) fs::remove(link, ec);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int code = Parse(argc, argv, options); code >= 0) return code;

    // Block the stop signals before any thread starts, so every thread
    // inherits the mask and only sigwait below ever sees them. SIGPIPE is
    // among them: a log reader that goes away is a way out like any other,
    // and the link must go with it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, kLogFailedSignal}) sigaddset(&stopSignals, s);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    orv::sim::Transmitter device;
    device.faults = options.faults;
    device.answerDelayMs = options.delayMs;
    device.error = options.error;
    if (options.input) device.ApplyInput(*options.input);

    static std::atomic<int> logError{0};
    orv::sim::NonBlockingLog log(STDOUT_FILENO, kLogQueueLines, [](int error) {
        logError = error;
        ::kill(::getpid(), kLogFailedSignal);
    });

    int signal = 0;
    try {
        orv::sim::PtyDevice pty(device);
        if (!options.quiet) pty.SetLog([&log](const std::string& line) { log.Post(line); });
        log.Post("port " + pty.SlavePath());
        if (!options.link.empty()) {
            if (!MakeLink(options.link, pty.SlavePath())) return kExitFailure;
            log.Post("link " + options.link + " -> " + pty.SlavePath());
        }

        sigwait(&stopSignals, &signal);
        // First of all, before anything that could wait: the link must not
        // outlive us, or it names a pseudo-terminal another program gets next.
        if (!options.link.empty()) RemoveLink(options.link, pty.SlavePath());
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "orvane-sim: cannot open a pseudo-terminal: %s\n", e.what());
        return kExitFailure;
    }
    if (signal == kLogFailedSignal) {
        std::fprintf(stderr, "orvane-sim: stopped, cannot write the log: %s\n", std::strerror(logError));
        return kExitFailure;
    }
    log.Post(std::string("stopped (") + strsignal(signal) + ")");
    if (const auto dropped = log.Dropped(); dropped > 0)
        std::fprintf(stderr, "orvane-sim: %llu log lines dropped\n", static_cast<unsigned long long>(dropped));
    return kExitOk;
}
