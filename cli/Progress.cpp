#include "cli/Progress.h"

namespace orv::cli {

Progress::Progress(std::ostream& out, bool terminal, std::vector<std::string> labels)
    : out_(out), terminal_(terminal), labels_(std::move(labels)), lines_(labels_.size(), "waiting") {}

void Progress::Step(std::size_t port, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (port >= lines_.size()) return;
    lines_[port] = text;
    if (!terminal_) {
        out_ << labels_[port] << ": " << text << '\n' << std::flush;
        return;
    }
    Redraw();
}

void Progress::Emit(std::ostream& to, bool toTerminal, const std::string& text) {
    std::lock_guard lock(mutex_);
    const bool shared = terminal_ && toTerminal && drawn_ && !lines_.empty();
    if (shared) {
        // Up to the first progress line and everything below it cleared.
        out_ << "\x1b[" << lines_.size() << "A\r\x1b[J" << std::flush;
        drawn_ = false;
    }
    to << text << std::flush;
    if (shared) Redraw();
}

void Progress::Redraw() {
    // Back to the first port's line, then every line cleared and rewritten.
    if (drawn_ && !lines_.empty()) out_ << "\x1b[" << lines_.size() << 'A';
    for (std::size_t i = 0; i < lines_.size(); ++i) out_ << "\r\x1b[K" << labels_[i] << ": " << lines_[i] << '\n';
    out_ << std::flush;
    drawn_ = true;
}

}  // namespace orv::cli
