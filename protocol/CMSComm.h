#pragma once
// The serial component as the dialog sees it: the communications control's
// properties as typed calls and its OnComm event as a callback. Every call may
// throw protocol::CommError with the component's error text.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orv::protocol {

class CMSComm {
public:
    virtual ~CMSComm() = default;

    static constexpr short kEvReceive = 2;  // CommEvent value of a receive event
    // CommEvent value of the event raised once after the component closed the
    // port itself because the line failed (the device vanished). A number of
    // this component's own, past the control's error events.
    static constexpr short kEvPortClosed = 1012;

    virtual void SetCommPort(short port) = 0;
    virtual void SetInBufferSize(short size) = 0;
    virtual void SetInputLen(short length) = 0;
    virtual void SetOutBufferSize(short size) = 0;
    virtual void SetPortOpen(bool open) = 0;
    virtual bool GetPortOpen() = 0;
    virtual void SetRThreshold(short count) = 0;
    virtual void SetSettings(const std::string& settings) = 0;
    // Transmits the bytes in order, unchanged.
    virtual void SetOutput(const std::vector<std::uint8_t>& bytes) = 0;
    // Returns every waiting byte, oldest first, and removes them.
    virtual std::vector<std::uint8_t> GetInput() = 0;
    virtual short GetCommEvent() = 0;
    virtual void SetInputMode(long mode) = 0;

    // Raised on the UI thread; the handler reads GetCommEvent() and GetInput().
    virtual void SetOnComm(std::function<void()> handler) = 0;

    // Why the component closed the port itself (the event kEvPortClosed),
    // naming the port, and only once: taken, it is no longer reported by the
    // next call either. Empty when there is nothing to tell.
    virtual std::string TakeLineFailure() { return {}; }
};

}  // namespace orv::protocol
