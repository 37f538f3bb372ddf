#pragma once
// The application on Windows: reads the command line, builds the serial
// component, the discovery and (when asked) the simulated transmitter, then
// runs the main dialog modally; the program ends when the dialog closes.
// --help and --version answer in a message box, as a program without a
// console must.
#include "app/win32/Win32Api.h"

#include <string>
#include <vector>

namespace orv::app::win32 {

struct AppOptions {
    bool simulate = false;
    bool factory = false;
    bool help = false;
    bool version = false;
    std::wstring error;  // a word the program does not know; empty when none
};

// args excludes the program's own name.
AppOptions ParseOptions(const std::vector<std::wstring>& args);
std::wstring HelpText();
std::wstring VersionText();

class CMyApp {
public:
    explicit CMyApp(HINSTANCE instance) : instance_(instance) {}
    int Run(const std::vector<std::wstring>& args);

private:
    HINSTANCE instance_;
};

}  // namespace orv::app::win32
