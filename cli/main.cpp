// orvane-cli: the transmitter protocol for scripts and production benches.
#include <unistd.h>

#include <iostream>

#include "cli/Runner.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    orv::cli::CatchStopSignals();
    orv::cli::CliEnvironment env = orv::cli::SystemEnvironment();
    env.input = &std::cin;
    env.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
    env.outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    return orv::cli::RunCli(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1, env);
}
