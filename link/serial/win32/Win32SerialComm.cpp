#include "link/serial/win32/Win32SerialComm.h"

#include <algorithm>
#include <utility>

#include "link/serial/win32/LineDcb.h"
#include "link/serial/win32/PortErrors.h"
#include "protocol/CommError.h"

namespace orv::link {

namespace {

using protocol::CommError;

// A read ends when the line falls quiet for kReadGapMs after some bytes, or
// after kReadPollMs in any case, so arrivals reach the dialog promptly and the
// reader looks at its stop signal often. (The "return at once when a byte
// arrives" combination of time-outs never completes on Wine's ports.)
constexpr DWORD kReadGapMs = 20;
constexpr DWORD kReadPollMs = 50;
// Watchdog on one write. At 1200 baud the longest frame takes about 350 ms;
// a line that takes far longer is stuck (flow control, a wedged driver).
constexpr DWORD kWriteTimeoutMs = 3000;

// A read that ran out of time with nothing to return. Windows reports that as
// success with no bytes; Wine fails it with a time-out code.
bool EmptyRead(DWORD error) { return error == WAIT_TIMEOUT || error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT; }

}  // namespace

std::wstring Win32PortPath(int port) {
    if (port < 1) return {};
    return L"\\\\.\\COM" + std::to_wstring(port);
}

Win32SerialComm::Win32SerialComm(UiPoster& poster)
    : poster_(poster), self_(std::make_shared<Win32SerialComm*>(this)) {}

Win32SerialComm::~Win32SerialComm() {
    *self_ = nullptr;
    Close();
}

void Win32SerialComm::SetCommPort(short port) { commPort_ = port; }

void Win32SerialComm::SetInBufferSize(short size) {
    if (size < 1) throw CommError(protocol::kErrInvalidSettings);
    inBufferSize_ = size;
}

void Win32SerialComm::SetOutBufferSize(short size) {
    if (size < 1) throw CommError(protocol::kErrInvalidSettings);
    outBufferSize_ = size;
}

void Win32SerialComm::SetInputLen(short length) {
    if (length < 0) throw CommError(protocol::kErrInvalidSettings);
    inputLen_ = length;
}

void Win32SerialComm::SetPortOpen(bool open) {
    // Opening or closing on purpose supersedes a failure not yet reported:
    // the user is already acting on it.
    lineFailure_.reset();
    raised_ = false;
    commEvent_ = 0;
    if (!open) {
        Close();
        return;
    }
    if (port_ != INVALID_HANDLE_VALUE) throw CommError(protocol::kErrPortAlreadyOpen);
    Open();
}

bool Win32SerialComm::GetPortOpen() { return port_ != INVALID_HANDLE_VALUE; }

void Win32SerialComm::SetRThreshold(short count) {
    ReportLineFailure();
    if (count < 0) throw CommError(protocol::kErrInvalidSettings);
    rThreshold_ = count;
    raised_ = false;
    // Each request starts afresh, also should a notification have been lost
    // on its way through a full message queue.
    notifyQueued_ = false;
}

void Win32SerialComm::SetSettings(const std::string& settings) {
    ReportLineFailure();
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) throw CommError(protocol::kErrInvalidSettings);
    const LineSettings previous = line_;
    line_ = *parsed;
    if (port_ == INVALID_HANDLE_VALUE) return;
    try {
        ApplyLineSettings();
    } catch (...) {
        // Put the line back as it was rather than leave it half changed.
        line_ = previous;
        try {
            ApplyLineSettings();
        } catch (...) {
        }
        throw;
    }
}

void Win32SerialComm::SetOutput(const std::vector<std::uint8_t>& bytes) {
    ReportLineFailure();
    RequireOpen();
    if (bytes.empty()) return;
    OVERLAPPED ov{};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ov.hEvent) throw CommError(PortErrorText(portName_, GetLastError()));
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    bool cancelled = false;
    if (!WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &ov)) {
        error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            error = ERROR_SUCCESS;
            if (WaitForSingleObject(ov.hEvent, kWriteTimeoutMs) != WAIT_OBJECT_0) {
                cancelled = CancelIoEx(port_, &ov) != FALSE;
            }
        }
    }
    // Always collect the write, also a cancelled one: the OVERLAPPED lives here.
    if (error == ERROR_SUCCESS && !GetOverlappedResult(port_, &ov, &written, TRUE)) error = GetLastError();
    CloseHandle(ov.hEvent);
    if (cancelled && error == ERROR_OPERATION_ABORTED) error = ERROR_TIMEOUT;
    if (error == ERROR_SUCCESS && written != bytes.size()) error = ERROR_WRITE_FAULT;
    if (error != ERROR_SUCCESS) {
        // A line that cannot take a frame is no use open; closing it here also
        // keeps the reader from reporting the same trouble a second time.
        const std::string text = PortErrorText(portName_, error);
        Close();
        PostPortClosed();
        throw CommError(text);
    }
}

std::vector<std::uint8_t> Win32SerialComm::GetInput() {
    ReportLineFailure();
    RequireOpen();
    std::vector<std::uint8_t> out;
    {
        std::lock_guard lock(mutex_);
        ConsumeCompletedRead();
        const std::size_t count =
            inputLen_ > 0 ? std::min<std::size_t>(received_.size(), static_cast<std::size_t>(inputLen_))
                          : received_.size();
        out.assign(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(count));
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(count));
        // Outside an event this read is the drain before a request: whatever
        // the driver still holds is as stale as what was just taken.
        if (!delivering_ && inputLen_ == 0) PurgeComm(port_, PURGE_RXCLEAR);
    }
    raised_ = false;
    return out;
}

short Win32SerialComm::GetCommEvent() { return commEvent_; }

void Win32SerialComm::SetInputMode(long mode) {
    ReportLineFailure();
    RequireOpen();
    if (mode != 1) throw CommError(protocol::kErrInvalidSettings);  // text mode is not offered
}

void Win32SerialComm::SetOnComm(std::function<void()> handler) { onComm_ = std::move(handler); }

std::string Win32SerialComm::TakeLineFailure() {
    std::string text = lineFailure_.value_or(std::string());
    lineFailure_.reset();
    return text;
}

void Win32SerialComm::Open() {
    const std::wstring path = Win32PortPath(commPort_);
    if (path.empty()) throw CommError(protocol::kErrInvalidPortNumber);
    portName_ = "COM" + std::to_string(commPort_);

    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw CommError(PortErrorText(portName_, GetLastError()));
    port_ = handle;
    try {
        // A port that opens but refuses its line settings is no serial port
        // (or its device is gone); it is closed again with the reason.
        if (!SetupComm(port_, static_cast<DWORD>(inBufferSize_), static_cast<DWORD>(outBufferSize_))) {
            throw CommError(PortErrorText(portName_, GetLastError()));
        }
        ApplyLineSettings();
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = kReadGapMs;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = kReadPollMs;
        timeouts.WriteTotalTimeoutMultiplier = 20;
        timeouts.WriteTotalTimeoutConstant = 1000;
        if (!SetCommTimeouts(port_, &timeouts)) throw CommError(PortErrorText(portName_, GetLastError()));
        // Bytes that reached the port before anyone listened answer nothing
        // this tool will send.
        PurgeComm(port_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);

        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        readEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!stop_ || !readEvent_) throw CommError(PortErrorText(portName_, GetLastError()));
        {
            std::lock_guard lock(mutex_);
            received_.clear();
            readInFlight_ = false;
            readerFailure_.reset();
            bufferLimit_ = static_cast<std::size_t>(inBufferSize_);
        }
        notifyQueued_ = false;
        reader_ = std::thread([this] { ReaderLoop(); });
    } catch (...) {
        Close();
        throw;
    }
}

void Win32SerialComm::Close() {
    if (reader_.joinable()) {
        SetEvent(stop_);
        CancelIoEx(port_, nullptr);
        reader_.join();
    }
    if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
    if (stop_) CloseHandle(stop_);
    if (readEvent_) CloseHandle(readEvent_);
    stop_ = readEvent_ = nullptr;
    std::lock_guard lock(mutex_);
    received_.clear();
    readInFlight_ = false;
}

void Win32SerialComm::ApplyLineSettings() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_, &dcb)) throw CommError(PortErrorText(portName_, GetLastError()));
    PutLineSettings(dcb, line_);
    if (!SetCommState(port_, &dcb)) throw CommError(PortErrorText(portName_, GetLastError()));
}

void Win32SerialComm::ReaderLoop() {
    const HANDLE waits[2] = {stop_, readEvent_};
    DWORD quickEmptyReads = 0;
    while (true) {
        const DWORD issuedAt = GetTickCount();
        bool failed = false;
        bool emptyAtOnce = false;
        {
            std::lock_guard lock(mutex_);
            readOv_ = OVERLAPPED{};
            readOv_.hEvent = readEvent_;
            DWORD got = 0;
            if (ReadFile(port_, readBuffer_, sizeof readBuffer_, &got, &readOv_)) {
                // Done at once; the event is set as well, so the result is
                // taken below like any other.
                readInFlight_ = true;
            } else if (GetLastError() == ERROR_IO_PENDING) {
                readInFlight_ = true;
            } else if (EmptyRead(GetLastError())) {
                emptyAtOnce = true;
            } else {
                readerFailure_ = PortRemovedText(portName_, GetLastError());
            }
            failed = readerFailure_.has_value();
        }
        if (failed) break;
        if (emptyAtOnce) {
            if (WaitForSingleObject(stop_, kReadGapMs) == WAIT_OBJECT_0) return;
            continue;
        }

        const DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (which != WAIT_OBJECT_0 + 1) {
            std::lock_guard lock(mutex_);
            if (readInFlight_) {
                CancelIoEx(port_, &readOv_);
                DWORD ignored = 0;
                GetOverlappedResult(port_, &readOv_, &ignored, TRUE);
                readInFlight_ = false;
            }
            return;  // asked to stop
        }
        bool empty = false;
        {
            std::lock_guard lock(mutex_);
            if (readInFlight_) {
                const std::size_t before = received_.size();
                ConsumeCompletedRead();
                empty = received_.size() == before;
            }
            failed = readerFailure_.has_value();
        }
        if (failed) break;
        if (!empty) {
            quickEmptyReads = 0;
            NotifyUi();
            continue;
        }
        // A read that ends empty long before its time-out means the driver
        // has nothing to wait on; pause rather than spin on it.
        if (GetTickCount() - issuedAt < kReadPollMs / 4 && ++quickEmptyReads > 3) {
            if (WaitForSingleObject(stop_, 20) == WAIT_OBJECT_0) return;
        }
    }
    // The line failed: report it once on the UI thread, which closes the
    // port; this thread reads no more, so the failure cannot repeat.
    std::weak_ptr<Win32SerialComm*> weak = self_;
    poster_.Post([weak] {
        if (auto self = weak.lock(); self && *self) (*self)->OnLineFailure();
    });
}

// Takes the result of the read in flight when it has completed. Called with
// mutex_ held, from the reader or from Input on the UI thread, whichever
// comes first; the other then finds nothing in flight.
void Win32SerialComm::ConsumeCompletedRead() {
    if (!readInFlight_ || WaitForSingleObject(readEvent_, 0) != WAIT_OBJECT_0) return;
    DWORD got = 0;
    readInFlight_ = false;
    if (!GetOverlappedResult(port_, &readOv_, &got, FALSE)) {
        const DWORD error = GetLastError();
        // A read cut short is only a failure when the port itself has gone;
        // some drivers abort the pending read when their device is pulled.
        DWORD lineErrors = 0;
        if (EmptyRead(error)) return;
        if (error != ERROR_OPERATION_ABORTED) {
            if (!readerFailure_) readerFailure_ = PortRemovedText(portName_, error);
        } else if (!ClearCommError(port_, &lineErrors, nullptr)) {
            if (!readerFailure_) readerFailure_ = PortRemovedText(portName_, GetLastError());
        }
        return;
    }
    // A full buffer drops what arrives, as a UART's would; no amount of line
    // noise makes the tool's memory grow.
    const std::size_t room = bufferLimit_ > received_.size() ? bufferLimit_ - received_.size() : 0;
    received_.insert(received_.end(), readBuffer_, readBuffer_ + std::min<std::size_t>(got, room));
}

void Win32SerialComm::NotifyUi() {
    // One notification in the window's queue at a time is enough: it looks
    // at everything that has arrived by the time it runs.
    if (notifyQueued_.exchange(true)) return;
    std::weak_ptr<Win32SerialComm*> weak = self_;
    poster_.Post([weak] {
        if (auto self = weak.lock(); self && *self) (*self)->DeliverReceive();
    });
}

void Win32SerialComm::DeliverReceive() {
    notifyQueued_ = false;
    if (port_ == INVALID_HANDLE_VALUE || rThreshold_ <= 0 || raised_) return;
    std::size_t waiting = 0;
    {
        std::lock_guard lock(mutex_);
        waiting = received_.size();
    }
    if (waiting < static_cast<std::size_t>(rThreshold_)) return;
    raised_ = true;
    commEvent_ = kEvReceive;
    if (!onComm_) return;
    // The receive handler has no one to report an error to, and an exception
    // must not unwind through the window's message loop.
    delivering_ = true;
    try {
        onComm_();
    } catch (...) {
    }
    delivering_ = false;
}

void Win32SerialComm::OnLineFailure() {
    std::optional<std::string> failure;
    {
        std::lock_guard lock(mutex_);
        failure = std::move(readerFailure_);
        readerFailure_.reset();
    }
    if (!failure || port_ == INVALID_HANDLE_VALUE) return;
    Close();
    raised_ = false;
    lineFailure_ = std::move(failure);
    PostPortClosed();
}

void Win32SerialComm::PostPortClosed() {
    // The dialog hears of it from the message loop, not from inside whatever
    // call of its own met the failure.
    closedEventDue_ = true;
    std::weak_ptr<Win32SerialComm*> weak = self_;
    poster_.Post([weak] {
        if (auto self = weak.lock(); self && *self) (*self)->DeliverPortClosed();
    });
}

void Win32SerialComm::DeliverPortClosed() {
    // Opened again meanwhile: the news is out of date.
    if (!closedEventDue_ || port_ != INVALID_HANDLE_VALUE) return;
    closedEventDue_ = false;
    commEvent_ = kEvPortClosed;
    if (!onComm_) return;
    try {
        onComm_();
    } catch (...) {
    }
}

void Win32SerialComm::RequireOpen() {
    if (port_ == INVALID_HANDLE_VALUE) throw CommError(protocol::kErrPortNotOpen);
}

void Win32SerialComm::ReportLineFailure() {
    if (lineFailure_) {
        const std::string text = std::move(*lineFailure_);
        lineFailure_.reset();
        throw CommError(text);
    }
}

}  // namespace orv::link
