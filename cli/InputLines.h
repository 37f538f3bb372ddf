#pragma once
// Lines from standard input, read one at a time on request by a thread of
// their own, so the one who asked can go on polling a device once a second
// while a person types. Nothing is read that was not asked for: what follows
// stays in the stream for whoever reads it next.
#include <chrono>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace orv::cli {

class InputLines {
public:
    using Clock = std::chrono::steady_clock;

    struct Line {
        std::string text;  // without the line end (a Windows CR too)
        bool ended = false;  // the input ended instead (text empty)
    };

    // A null input has ended before its first line.
    explicit InputLines(std::istream* input);
    // A read still waiting for a person (a terminal) is left to end with the
    // program; one that is about to finish is waited for. The stream must
    // outlive a read left waiting.
    ~InputLines();
    InputLines(const InputLines&) = delete;
    InputLines& operator=(const InputLines&) = delete;

    // Asks for the next line; asking again before it came changes nothing.
    void Request();
    // The line asked for, once it has come, or nothing at `until`. Returns
    // early, with nothing, as soon as `stop` says so (checked every 20 ms).
    std::optional<Line> Wait(Clock::time_point until, const std::function<bool()>& stop);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread reader_;
};

}  // namespace orv::cli
