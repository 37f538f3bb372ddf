#pragma once
// Requests to a transmitter over a blocking serial line, one at a time: each
// call sends one frame and waits for the answer that passes the protocol's
// acceptance test, or for the window's time-out of that request. A rejected
// answer is dropped and the wait goes on, as in the window; what was
// rejected is kept for the failure's text.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/line/SerialLine.h"
#include "protocol/Frames.h"
#include "protocol/FunctionCode.h"
#include "protocol/MeasureBlock.h"

namespace orv::link {

class RequestFailure : public std::runtime_error {
public:
    enum class Kind {
        Line,       // the line failed (hung up, refused a write)
        TimeOut,    // nothing, or too little, came back in time
        BadAnswer,  // answers came, but none passed the acceptance test
    };
    RequestFailure(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    Kind GetKind() const { return kind_; }

private:
    Kind kind_;
};

struct RestartOutcome {
    bool acknowledged = false;  // the device confirmed the command before it went
    std::array<std::uint8_t, 36> block{};  // the parameters it answered with afterwards
};

class RequestClient {
public:
    using Clock = SerialLine::Clock;
    using Block = std::array<std::uint8_t, 36>;

    // The line must be open and outlive the client. timeoutScale stretches or
    // shrinks every time-out (slow adapters, quick tests); `now` is the clock
    // the deadlines are taken from.
    explicit RequestClient(SerialLine& line, double timeoutScale = 1.0,
                           std::function<Clock::time_point()> now = Clock::now);

    Block ReadParams();
    void WriteParams(std::uint8_t start, std::span<const std::uint8_t> data);
    // A command of the catalogue, with the catalogue's arguments and time-out.
    // Returns answer byte 3, the command code the device says it carried out.
    // Throws std::invalid_argument for a code the catalogue gives no time-out.
    std::uint8_t Command(std::uint8_t code);
    protocol::MeasureBlock ReadMeasure();
    // Sends the restart command and waits until the device answers a
    // parameter read again (the waits are in protocol/RequestTimers.h).
    RestartOutcome Restart();

private:
    struct Waited;

    Clock::duration Scaled(unsigned ms) const;
    void Send(const protocol::Frame& frame, Clock::time_point deadline, const std::string& what);
    Waited Await(protocol::FunctionCode function, Clock::time_point deadline, const std::string& what);
    std::vector<std::uint8_t> Exchange(const protocol::Frame& frame, protocol::FunctionCode function,
                                       unsigned timeoutMs, const std::string& what);

    SerialLine& line_;
    double scale_;
    std::function<Clock::time_point()> now_;
};

}  // namespace orv::link
