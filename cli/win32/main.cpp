// orvane-cli.exe: the transmitter protocol for scripts and production benches
// on Windows. Arguments are taken as UTF-16 and handed on as UTF-8, so file
// names outside the ANSI code page work; what is printed is UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/Runner.h"

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();  // the terminating NUL
    return out;
}

std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; argv && i < count; ++i) args.push_back(Utf8(argv[i]));
    if (argv) LocalFree(argv);
    return args;
}

// The console's state as found, put back on the way out: the code page and
// the modes belong to the console window, which outlives this program.
class ConsoleSetup {
public:
    ConsoleSetup() : codePage_(GetConsoleOutputCP()) {
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        if (codePage_ != 0 && (GetConsoleMode(out, &mode) || GetConsoleMode(err, &mode))) SetConsoleOutputCP(CP_UTF8);
        // Progress lines are redrawn in place with terminal sequences, which
        // a console takes only from Windows 10 on; elsewhere they stay plain.
        if (GetConsoleMode(err, &errMode_) &&
            SetConsoleMode(err, errMode_ | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
            errHandle_ = err;
        }
    }
    ~ConsoleSetup() {
        if (errHandle_) SetConsoleMode(errHandle_, errMode_);
        if (codePage_ != 0) SetConsoleOutputCP(codePage_);
    }
    ConsoleSetup(const ConsoleSetup&) = delete;
    ConsoleSetup& operator=(const ConsoleSetup&) = delete;

    bool ErrorIsTerminal() const { return errHandle_ != nullptr; }
    static bool IsConsole(DWORD which) {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(which), &mode) != 0;
    }

private:
    UINT codePage_;
    HANDLE errHandle_ = nullptr;
    DWORD errMode_ = 0;
};

}  // namespace

int main() {
    const std::vector<std::string> args = Arguments();
    ConsoleSetup console;
    orv::cli::CatchStopSignals();
    orv::cli::CliEnvironment env = orv::cli::SystemEnvironment();
    env.input = &std::cin;
    env.inputIsTerminal = ConsoleSetup::IsConsole(STD_INPUT_HANDLE);
    // Drawing around the results needs the terminal sequences the error
    // stream was given.
    env.outputIsTerminal = console.ErrorIsTerminal() && ConsoleSetup::IsConsole(STD_OUTPUT_HANDLE);
    const int status = orv::cli::RunCli(args, std::cout, std::cerr, console.ErrorIsTerminal(), env);
    std::cout.flush();
    std::cerr.flush();
    return status;
}
