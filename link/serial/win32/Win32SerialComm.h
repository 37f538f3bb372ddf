#pragma once
// The serial component on the Win32 communications API: the calls the dialog
// makes on the communications control, carried out on a COM port. A reader
// thread waits on the port and hands what arrives to the dialog's thread
// through a UiPoster; OnComm is raised there, never on the reader thread.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/serial/LineSettings.h"
#include "link/serial/win32/UiPoster.h"
#include "protocol/CMSComm.h"

namespace orv::link {

// "\\.\COMk" for port k of 1 or more; "" for a number that names no port.
std::wstring Win32PortPath(int port);

class Win32SerialComm : public protocol::CMSComm {
public:
    // The poster must outlive the component.
    explicit Win32SerialComm(UiPoster& poster);
    ~Win32SerialComm() override;
    Win32SerialComm(const Win32SerialComm&) = delete;
    Win32SerialComm& operator=(const Win32SerialComm&) = delete;

    void SetCommPort(short port) override;
    void SetInBufferSize(short size) override;
    void SetInputLen(short length) override;
    void SetOutBufferSize(short size) override;
    void SetPortOpen(bool open) override;
    bool GetPortOpen() override;
    void SetRThreshold(short count) override;
    void SetSettings(const std::string& settings) override;
    void SetOutput(const std::vector<std::uint8_t>& bytes) override;
    std::vector<std::uint8_t> GetInput() override;
    short GetCommEvent() override;
    void SetInputMode(long mode) override;
    void SetOnComm(std::function<void()> handler) override;
    std::string TakeLineFailure() override;

private:
    void Open();
    void Close();
    void ApplyLineSettings();
    void ReaderLoop();
    void NotifyUi();
    void DeliverReceive();
    void OnLineFailure();
    void PostPortClosed();
    void DeliverPortClosed();
    void ConsumeCompletedRead();
    void RequireOpen();
    void ReportLineFailure();

    UiPoster& poster_;
    // Posted work holds this; it is cleared when the component goes, so work
    // still queued in the window finds nothing to call.
    std::shared_ptr<Win32SerialComm*> self_;
    std::function<void()> onComm_;

    short commPort_ = 1;
    short inBufferSize_ = 1024;
    short outBufferSize_ = 512;
    short inputLen_ = 0;
    short rThreshold_ = 0;
    short commEvent_ = 0;
    LineSettings line_;
    std::string portName_;  // "COM3", for error texts

    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE stop_ = nullptr;       // manual-reset: the reader leaves
    HANDLE readEvent_ = nullptr;  // manual-reset: the reader's read completed
    OVERLAPPED readOv_{};
    std::uint8_t readBuffer_[256] = {};
    std::thread reader_;

    // Shared with the reader thread.
    std::mutex mutex_;
    std::deque<std::uint8_t> received_;
    std::size_t bufferLimit_ = 1024;  // InBufferSize as it was at open
    bool readInFlight_ = false;  // a read was issued and its result not yet taken
    std::optional<std::string> readerFailure_;
    std::atomic<bool> notifyQueued_{false};

    // UI thread only.
    bool closedEventDue_ = false;  // the dialog is still to hear the port closed
    bool raised_ = false;      // an event was raised for the bytes now waiting
    bool delivering_ = false;  // inside OnComm: Input is the answer, not a drain
    std::optional<std::string> lineFailure_;  // told by the next call
};

}  // namespace orv::link
