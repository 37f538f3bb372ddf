#pragma once
// One transmitter on one serial port, for a worker thread that may block:
// each call sends one request and waits for its answer or its time-out, so
// exactly one request is ever outstanding on the line. The frames, the
// acceptance test and the time-outs are the window's; only the waiting is
// done here instead of by window timers.
#include <QSerialPort>

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/SettingNames.h"
#include "protocol/Frames.h"
#include "protocol/FunctionCode.h"
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

// The time-outs the window gives each kind of request.
inline constexpr int kReadTimeoutMs = 2000;
inline constexpr int kWriteTimeoutMs = 5000;
inline constexpr int kCommandTimeoutMs = 5000;
inline constexpr int kMeasureTimeoutMs = 1000;

class DeviceLine {
public:
    // timeoutScale stretches or shrinks every time-out (slow adapters, quick tests).
    DeviceLine(std::string path, double timeoutScale);
    ~DeviceLine();
    DeviceLine(const DeviceLine&) = delete;
    DeviceLine& operator=(const DeviceLine&) = delete;

    // Opens at 1200 baud 8N1 without handshake and drops whatever the tty held.
    void Open();

    Block ReadParams();
    void WriteParams(std::uint8_t start, std::span<const std::uint8_t> data);
    // Returns answer byte 3, the command code the device says it carried out.
    std::uint8_t Command(std::uint8_t code, std::uint16_t first, std::uint16_t second);
    protocol::MeasureBlock ReadMeasure();

private:
    std::vector<std::uint8_t> Exchange(const protocol::Frame& frame, protocol::FunctionCode function, int timeoutMs,
                                       const char* what);
    [[noreturn]] void PortFailure(const std::string& doing);

    std::string path_;
    double scale_;
    QSerialPort port_;
};

}  // namespace orv::cli
