#pragma once
// A serial line on a POSIX terminal device (a USB bridge's ttyUSBn, or a
// pseudo-terminal): raw mode through termios, waits through poll.
#include "link/line/SerialLine.h"

namespace orv::link {

class PosixSerialLine : public SerialLine {
public:
    PosixSerialLine() = default;
    ~PosixSerialLine() override;
    PosixSerialLine(const PosixSerialLine&) = delete;
    PosixSerialLine& operator=(const PosixSerialLine&) = delete;

    void Open(const std::string& path, const LineSettings& settings) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    void Write(std::span<const std::uint8_t> bytes, Clock::time_point deadline) override;
    std::size_t Read(std::span<std::uint8_t> into, Clock::time_point deadline) override;
    void DropInput() override;

private:
    void RequireOpen() const;
    [[noreturn]] void FailHungUp(int error);

    int fd_ = -1;
    std::string path_;
};

}  // namespace orv::link
