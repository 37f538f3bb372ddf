#include "link/line/win32/Win32SerialLine.h"

#include <algorithm>

#include "link/line/SerialLineError.h"
#include "link/line/ThisPlatform.h"
#include "link/serial/win32/LineDcb.h"
#include "link/serial/win32/PortErrors.h"

namespace orv::link {

namespace {

using Kind = SerialLineError::Kind;

// A read returns once the line has been quiet for kReadGapMs after some
// bytes, or after kReadPollMs with none, so a deadline is never overrun by
// more than that. (Returning at once when a byte arrives never completes on
// Wine's ports.)
constexpr DWORD kReadGapMs = 20;
constexpr DWORD kReadPollMs = 50;

// A read that ran out of time with nothing to return: Windows reports that as
// success with no bytes, Wine as a time-out code.
bool EmptyRead(DWORD error) { return error == WAIT_TIMEOUT || error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT; }

// Errors of a port whose device has gone (the adapter was pulled), as
// drivers and Wine report them on an open handle.
bool GoneError(DWORD error) {
    switch (error) {
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_ACCESS_DENIED:
        case ERROR_BROKEN_PIPE:
        case ERROR_OPERATION_ABORTED:
        case ERROR_INVALID_HANDLE:
            return true;
        default:
            return false;
    }
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string OpenDetail(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return "no such port. " + SystemErrorText(error);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return "in use by another program, or access to it is denied. " + SystemErrorText(error);
        default: return SystemErrorText(error);
    }
}

DWORD MillisecondsLeft(SerialLine::Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SerialLine::Clock::now()).count();
    return static_cast<DWORD>(std::clamp<long long>(left, 0, 0x7FFFFFFF));
}

}  // namespace

std::unique_ptr<SerialLine> MakeSerialLine() { return std::make_unique<Win32SerialLine>(); }

std::wstring Win32DevicePath(const std::string& port) {
    if (port.rfind("\\\\", 0) == 0) return Wide(port);
    return L"\\\\.\\" + Wide(port);
}

Win32SerialLine::~Win32SerialLine() { Close(); }

void Win32SerialLine::Open(const std::string& path, const LineSettings& settings) {
    Close();
    name_ = path;
    HANDLE port = CreateFileW(Win32DevicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) throw SerialLineError(Kind::Open, path, OpenDetail(GetLastError()));
    auto fail = [&](Kind kind, DWORD error) {
        CloseHandle(port);
        return SerialLineError(kind, path, SystemErrorText(error));
    };
    // A port that opens but takes no line settings is no serial port, or its
    // device is gone (Wine: a COM port mapped to a missing path).
    if (!SetupComm(port, 1024, 1024)) throw fail(Kind::Configure, GetLastError());
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) throw fail(Kind::Configure, GetLastError());
    PutLineSettings(dcb, settings);
    if (!SetCommState(port, &dcb)) throw fail(Kind::Configure, GetLastError());
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadGapMs;
    timeouts.ReadTotalTimeoutConstant = kReadPollMs;
    // Writes have no time-out of their own: each waits for its caller's deadline.
    if (!SetCommTimeouts(port, &timeouts)) throw fail(Kind::Configure, GetLastError());
    PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event_) throw fail(Kind::Open, GetLastError());
    port_ = port;
}

void Win32SerialLine::Close() {
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    if (event_) CloseHandle(event_);
    port_ = INVALID_HANDLE_VALUE;
    event_ = nullptr;
}

void Win32SerialLine::RequireOpen() const {
    if (port_ == INVALID_HANDLE_VALUE) throw SerialLineError(Kind::NotOpen, name_, "");
}

void Win32SerialLine::Fail(Kind kind, DWORD error) {
    if (kind == Kind::HungUp) {
        Close();
        throw SerialLineError(kind, name_, "");
    }
    throw SerialLineError(kind, name_, error == ERROR_SUCCESS ? "" : SystemErrorText(error));
}

DWORD Win32SerialLine::Finish(OVERLAPPED& ov, Clock::time_point deadline, DWORD& done) {
    done = 0;
    if (WaitForSingleObject(ov.hEvent, MillisecondsLeft(deadline)) != WAIT_OBJECT_0) CancelIoEx(port_, &ov);
    // Always collected, also when cancelled: the OVERLAPPED lives on the caller's stack.
    if (!GetOverlappedResult(port_, &ov, &done, TRUE)) return GetLastError();
    return ERROR_SUCCESS;
}

void Win32SerialLine::Write(std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    RequireOpen();
    while (!bytes.empty()) {
        OVERLAPPED ov{};
        ov.hEvent = event_;
        ResetEvent(event_);
        DWORD done = 0;
        DWORD error = ERROR_SUCCESS;
        if (!WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov)) {
            error = GetLastError();
            if (error == ERROR_IO_PENDING) error = ERROR_SUCCESS;
        }
        if (error == ERROR_SUCCESS) error = Finish(ov, deadline, done);
        if (error == ERROR_OPERATION_ABORTED && MillisecondsLeft(deadline) == 0) Fail(Kind::Stalled, ERROR_SUCCESS);
        if (error != ERROR_SUCCESS) Fail(GoneError(error) ? Kind::HungUp : Kind::Write, error);
        if (done == 0 && MillisecondsLeft(deadline) == 0) Fail(Kind::Stalled, ERROR_SUCCESS);
        bytes = bytes.subspan(std::min<std::size_t>(done, bytes.size()));
    }
}

std::size_t Win32SerialLine::Read(std::span<std::uint8_t> into, Clock::time_point deadline) {
    RequireOpen();
    if (into.empty()) return 0;
    unsigned quickEmptyReads = 0;
    for (;;) {
        const DWORD issuedAt = GetTickCount();
        OVERLAPPED ov{};
        ov.hEvent = event_;
        ResetEvent(event_);
        DWORD done = 0;
        DWORD error = ERROR_SUCCESS;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(into.size(), 4096));
        if (!ReadFile(port_, into.data(), size, nullptr, &ov)) {
            error = GetLastError();
            if (error == ERROR_IO_PENDING) error = ERROR_SUCCESS;
        }
        // The read ends on its own within kReadPollMs; the extra time only
        // guards against a driver that never completes it.
        if (error == ERROR_SUCCESS) error = Finish(ov, deadline + std::chrono::milliseconds(kReadPollMs * 4), done);
        if (error == ERROR_OPERATION_ABORTED && MillisecondsLeft(deadline) == 0) error = ERROR_SUCCESS;
        if (EmptyRead(error)) error = ERROR_SUCCESS;
        if (error != ERROR_SUCCESS) {
            // A pulled adapter fails the read; a port that cannot even report
            // its state any more is gone as well.
            DWORD lineErrors = 0;
            const bool gone = GoneError(error) || !ClearCommError(port_, &lineErrors, nullptr);
            Fail(gone ? Kind::HungUp : Kind::Read, error);
        }
        if (done > 0) return done;
        if (MillisecondsLeft(deadline) == 0) return 0;
        // A read that ends empty long before its time-out means the driver has
        // nothing to wait on; pause rather than spin on it.
        if (GetTickCount() - issuedAt < kReadPollMs / 4 && ++quickEmptyReads > 3)
            Sleep(std::min<DWORD>(kReadGapMs, MillisecondsLeft(deadline)));
    }
}

void Win32SerialLine::DropInput() {
    RequireOpen();
    PurgeComm(port_, PURGE_RXCLEAR);
}

}  // namespace orv::link
