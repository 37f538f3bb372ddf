#pragma once
// The application: reads the command line, builds the serial component, the
// discovery and (when asked) the simulated transmitter, then runs the main
// dialog modally; the program ends when the dialog closes.
#include <QString>
#include <memory>

namespace orv::sim {
class PtyDevice;
}

namespace orv::app::qt {

class GuardedApplication;

struct AppOptions {
    bool simulate = false;
    bool factory = false;
    QString screenshot;  // PNG to write once start-up has settled; empty: none
};

class CMyApp {
public:
    CMyApp(int& argc, char** argv);
    ~CMyApp();
    int Run();

private:
    int& argc_;
    char** argv_;
    // Made once the command line asks for the window: --help and --version
    // answer without a display.
    std::unique_ptr<GuardedApplication> app_;
    std::unique_ptr<sim::PtyDevice> device_;  // outlives the dialog that talks to it
};

}  // namespace orv::app::qt
