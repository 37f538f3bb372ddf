#pragma once
// Ctrl-C and kill: a port in the middle of a write must not be left half
// written without a word. SIGINT and SIGTERM only raise a flag; each port
// finishes the exchange on its line, sends nothing more, and the program
// reports what was done and exits with kExitInterrupted. A second signal a
// second or more later ends the program at once: the user insists.
#include <atomic>

namespace orv::cli {

inline constexpr int kExitInterrupted = 130;

// The flag the signals raise; the jobs look at it between two requests.
std::atomic<bool>& StopRequested();

// Installs the handlers (once, from main).
void CatchStopSignals();

}  // namespace orv::cli
