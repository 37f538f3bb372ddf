// orvane-cli: the transmitter protocol for scripts and production benches.
#include <unistd.h>

#include <QCoreApplication>

#include <iostream>

#include "cli/Runner.h"

int main(int argc, char** argv) {
    // The serial ports' notifiers need an application object; no event loop
    // runs on this thread, each port works on its own.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    orv::cli::CatchStopSignals();
    return orv::cli::RunCli(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, orv::cli::SystemEnvironment());
}
