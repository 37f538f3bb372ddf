#pragma once
// A serial line on a Windows COM port through the Win32 communications API.
// "COM3" opens \\.\COM3 (the only form that reaches COM10 and up); a name
// that already starts with \\ is opened as it is.
#include <windows.h>

#include "link/line/SerialLine.h"
#include "link/line/SerialLineError.h"

namespace orv::link {

// The device path CreateFile needs for a port name given by the user.
std::wstring Win32DevicePath(const std::string& port);

class Win32SerialLine : public SerialLine {
public:
    Win32SerialLine() = default;
    ~Win32SerialLine() override;
    Win32SerialLine(const Win32SerialLine&) = delete;
    Win32SerialLine& operator=(const Win32SerialLine&) = delete;

    void Open(const std::string& path, const LineSettings& settings) override;
    void Close() override;
    bool IsOpen() const override { return port_ != INVALID_HANDLE_VALUE; }
    void Write(std::span<const std::uint8_t> bytes, Clock::time_point deadline) override;
    std::size_t Read(std::span<std::uint8_t> into, Clock::time_point deadline) override;
    void DropInput() override;

private:
    void RequireOpen() const;
    // Waits for the overlapped operation until `deadline` (cancelling it
    // then) and returns its error code, ERROR_SUCCESS with `done` bytes.
    DWORD Finish(OVERLAPPED& ov, Clock::time_point deadline, DWORD& done);
    [[noreturn]] void Fail(SerialLineError::Kind kind, DWORD error);

    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    std::string name_;
};

}  // namespace orv::link
