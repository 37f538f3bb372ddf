#pragma once
// One transmitter on one serial port, for a worker thread that may block:
// each call sends one request and waits for its answer or its time-out, so
// exactly one request is ever outstanding on the line. The line, the frames,
// the acceptance test and the time-outs are the link layer's and the
// protocol's; this only names failures the way the command line reports them.
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "cli/SettingNames.h"
#include "link/line/RequestClient.h"
#include "link/line/SerialLine.h"
#include "protocol/MeasureBlock.h"

namespace orv::cli {

// What went wrong, so a script can tell a dead cable from a wrong setting.
enum class FailureKind {
    Port,       // the port would not open or the line failed
    TimeOut,    // nothing came back in time
    BadAnswer,  // something came back, but never an answer that passed the checks
    Mismatch,   // the device acknowledged, but reading back shows other values
    Refused,    // the request was not sent: the input is wrong for this device
    File,       // a file named on the command line could not be written
};
std::string_view KindName(FailureKind kind);

class DeviceFailure : public std::runtime_error {
public:
    DeviceFailure(FailureKind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    FailureKind Kind() const { return kind_; }

private:
    FailureKind kind_;
};

class DeviceLine {
public:
    // timeoutScale stretches or shrinks every time-out (slow adapters, quick
    // tests). Without a line, this platform's serial line is used.
    DeviceLine(std::string path, double timeoutScale, std::unique_ptr<link::SerialLine> line = nullptr);

    // Opens with the transmitter's line settings and drops whatever the port held.
    void Open();

    Block ReadParams();
    void WriteParams(std::uint8_t start, std::span<const std::uint8_t> data);
    // A command of the catalogue; returns answer byte 3, the command code the
    // device says it carried out.
    std::uint8_t Command(std::uint8_t code);
    protocol::MeasureBlock ReadMeasure();
    // Restarts the device and returns once it answers a read again.
    link::RestartOutcome Restart();

private:
    std::string path_;
    std::unique_ptr<link::SerialLine> line_;
    link::RequestClient client_;
};

}  // namespace orv::cli
