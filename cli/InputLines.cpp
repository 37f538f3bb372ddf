#include "cli/InputLines.h"

#include <condition_variable>
#include <mutex>

namespace orv::cli {

// Owned jointly with the reader, which may outlive the object on a terminal.
struct InputLines::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::istream* input = nullptr;
    bool requested = false;  // a line is asked for and not yet taken
    bool reading = false;    // the reader is inside getline
    bool quit = false;
    bool ended = false;      // nothing more will come
    std::optional<Line> ready;
};

InputLines::InputLines(std::istream* input) : shared_(std::make_shared<Shared>()) {
    shared_->input = input;
    reader_ = std::thread([shared = shared_] {
        std::unique_lock lock(shared->mutex);
        while (!shared->ended) {
            shared->changed.wait(lock, [&] { return shared->quit || (shared->requested && !shared->ready); });
            if (shared->quit) return;
            Line line;
            shared->reading = true;
            lock.unlock();
            if (!shared->input || !std::getline(*shared->input, line.text)) {
                line.text.clear();
                line.ended = true;
            } else if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
            }
            lock.lock();
            shared->reading = false;
            shared->ended = line.ended;
            shared->ready = std::move(line);
            shared->changed.notify_all();
        }
    });
}

InputLines::~InputLines() {
    std::unique_lock lock(shared_->mutex);
    shared_->quit = true;
    shared_->changed.notify_all();
    // A stream in memory or a pipe already written answers at once; a person
    // at a terminal may never type again.
    const bool done = shared_->changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return !shared_->reading; });
    lock.unlock();
    if (done) reader_.join();
    else reader_.detach();
}

void InputLines::Request() {
    std::lock_guard lock(shared_->mutex);
    shared_->requested = true;
    shared_->changed.notify_all();
}

std::optional<InputLines::Line> InputLines::Wait(Clock::time_point until, const std::function<bool()>& stop) {
    constexpr auto kSlice = std::chrono::milliseconds(20);
    std::unique_lock lock(shared_->mutex);
    for (;;) {
        if (shared_->requested && (shared_->ready || shared_->ended)) {
            // After the end every request is answered with the end again.
            Line line = shared_->ready ? std::move(*shared_->ready) : Line{{}, true};
            shared_->ready.reset();
            shared_->requested = false;
            return line;
        }
        const auto now = Clock::now();
        if (now >= until || (stop && stop())) return std::nullopt;
        shared_->changed.wait_until(lock, std::min(until, now + kSlice));
    }
}

}  // namespace orv::cli
