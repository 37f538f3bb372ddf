#pragma once
// What went wrong on a serial line, with the port's name: the one place that
// turns a line failure into the words a technician reads.
#include <stdexcept>
#include <string>

namespace orv::link {

class SerialLineError : public std::runtime_error {
public:
    enum class Kind {
        Open,       // no such port, in use, not a serial port, no permission
        Configure,  // it opened but refused the line settings
        Write,      // sending failed
        Stalled,    // the line took no more bytes before the deadline
        Read,       // receiving failed for another reason than a hang-up
        HungUp,     // the device or the adapter went away
        NotOpen,    // used while closed
    };

    // `detail` is the system's own description, or empty.
    SerialLineError(Kind kind, std::string port, std::string detail);

    Kind GetKind() const { return kind_; }
    const std::string& Port() const { return port_; }
    const std::string& Detail() const { return detail_; }

private:
    Kind kind_;
    std::string port_;
    std::string detail_;
};

}  // namespace orv::link
