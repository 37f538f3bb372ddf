#include "cli/StopSignal.h"

#include <csignal>
#include <ctime>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace orv::cli {

namespace {
// Lock-free, so a signal handler may use them.
std::atomic<bool> g_stop{false};
std::atomic<long long> g_firstAtMs{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<long long>::is_always_lock_free);

// Some senders give one stop twice in a moment (GNU timeout signals the
// child and then its process group): only a signal well after the first is
// the user insisting.
constexpr long long kInsistAfterMs = 1000;

long long NowMs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);  // async-signal-safe
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

extern "C" void OnStopSignal(int) {
#if defined(_WIN32)
    g_stop.store(true);
#else
    const long long now = NowMs();
    long long first = 0;
    if (g_firstAtMs.compare_exchange_strong(first, now)) {
        g_stop.store(true);
        return;
    }
    if (now - first >= kInsistAfterMs) ::_exit(kExitInterrupted);
#endif
}
}  // namespace

std::atomic<bool>& StopRequested() { return g_stop; }

void CatchStopSignals() {
#if defined(_WIN32)
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
#else
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

}  // namespace orv::cli
