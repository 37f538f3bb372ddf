#pragma once
// A serial line for a program that may block: one caller at a time opens it,
// writes a frame, reads with a deadline and closes it. No event loop, no
// threads of its own. Every failure is a SerialLineError naming the port.
#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include "link/serial/LineSettings.h"

namespace orv::link {

class SerialLine {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~SerialLine() = default;

    // Opens the port at `path` with `settings`, no handshake, and drops
    // whatever it held from before. Throws when it cannot, leaving it closed.
    virtual void Open(const std::string& path, const LineSettings& settings) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Sends every byte, or throws (a time-out as well) when that has not
    // happened by `deadline`.
    virtual void Write(std::span<const std::uint8_t> bytes, Clock::time_point deadline) = 0;
    // Waits until at least one byte has arrived and returns how many it put
    // into `into` (at most its size), or returns 0 once `deadline` passed with
    // nothing. A line that hung up throws once and is closed.
    virtual std::size_t Read(std::span<std::uint8_t> into, Clock::time_point deadline) = 0;
    // Forgets every byte received and not yet read.
    virtual void DropInput() = 0;
};

}  // namespace orv::link
