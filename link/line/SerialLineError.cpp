#include "link/line/SerialLineError.h"

namespace orv::link {

namespace {

std::string Text(SerialLineError::Kind kind, const std::string& port, const std::string& detail) {
    const std::string why = detail.empty() ? "" : ": " + detail;
    switch (kind) {
        case SerialLineError::Kind::Open: return "cannot open " + port + why;
        case SerialLineError::Kind::Configure: return "cannot set the line up on " + port + why;
        case SerialLineError::Kind::Write: return "cannot send on " + port + why;
        case SerialLineError::Kind::Stalled: return port + " took no more bytes in time (flow control?)" + why;
        case SerialLineError::Kind::Read: return "cannot read from " + port + why;
        case SerialLineError::Kind::HungUp: return port + " hung up (adapter unplugged?)" + why;
        case SerialLineError::Kind::NotOpen: return port + " is not open";
    }
    return port + why;
}

}  // namespace

SerialLineError::SerialLineError(Kind kind, std::string port, std::string detail)
    : std::runtime_error(Text(kind, port, detail)), kind_(kind), port_(std::move(port)), detail_(std::move(detail)) {}

}  // namespace orv::link
