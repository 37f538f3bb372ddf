#pragma once
// Where each port has got to, for the person watching a bench run. On a
// terminal every port keeps one line that is rewritten in place; otherwise
// (a log file, a pipe) each step is a plain line of its own.
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace orv::cli {

class Progress {
public:
    Progress(std::ostream& out, bool terminal, std::vector<std::string> labels);
    // Called from the ports' worker threads.
    void Step(std::size_t port, const std::string& text);
    // Puts text (whole lines) on `to`, the results' stream. When that is the
    // terminal the progress lines are drawn on, they are taken away first and
    // drawn again below it, so readings scroll past above them.
    void Emit(std::ostream& to, bool toTerminal, const std::string& text);

private:
    void Redraw();

    std::ostream& out_;
    bool terminal_;
    std::vector<std::string> labels_;
    std::vector<std::string> lines_;
    bool drawn_ = false;
    std::mutex mutex_;
};

}  // namespace orv::cli
