#pragma once
// The serial component in memory. A simulated transmitter can be attached to a
// port number; its answers arrive after a virtual delay, all at once or paced
// byte by byte as a 1200-baud line delivers them.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "protocol/CMSComm.h"
#include "sim/Transmitter.h"
#include "support/VirtualClock.h"

namespace orv::test {

class FakeComm : public protocol::CMSComm {
public:
    explicit FakeComm(VirtualClock& clock) : clock_(clock) {}

    // A device on port number `port`; it answers while that port is open.
    void Attach(short port, sim::Transmitter* device) { devices_[port] = device; }
    // Opening `port` fails with this component error text.
    void FailOpen(short port, std::string text) { openErrors_[port] = std::move(text); }
    // Bytes that arrive on the line now, as if sent by the device.
    void Inject(const std::vector<std::uint8_t>& bytes);
    // Raises an event of another kind than receive (for example a line error).
    void RaiseEvent(short commEvent);
    // The device vanishes: the port closes and the dialog is told, with the
    // reason when one is given.
    void LoseLine(std::string reason = {});

    unsigned answerDelayMs = 30;  // from the end of the request to the first answer byte
    bool paced = false;           // deliver answers one byte per 8 ms, an event each
    bool stuckOpen = false;       // closing the port leaves it open

    // What the tool did.
    std::vector<std::vector<std::uint8_t>> sent;  // every frame written to Output
    int inputReads = 0;
    short commPort = 0;
    short rThreshold = 0;
    short inBufferSize = 0, outBufferSize = 0, inputLen = -1;
    long inputMode = 0;
    std::string settings;
    std::vector<std::string> calls;  // property writes and reads, in order, by name

    std::size_t Waiting() const { return rx_.size(); }

    // CMSComm
    void SetCommPort(short port) override;
    void SetInBufferSize(short size) override;
    void SetInputLen(short length) override;
    void SetOutBufferSize(short size) override;
    void SetPortOpen(bool open) override;
    bool GetPortOpen() override;
    void SetRThreshold(short count) override;
    void SetSettings(const std::string& text) override;
    void SetOutput(const std::vector<std::uint8_t>& bytes) override;
    std::vector<std::uint8_t> GetInput() override;
    short GetCommEvent() override;
    std::string TakeLineFailure() override;
    void SetInputMode(long mode) override;
    void SetOnComm(std::function<void()> handler) override { onComm_ = std::move(handler); }

private:
    void Arrive(const std::vector<std::uint8_t>& bytes);

    VirtualClock& clock_;
    std::map<short, sim::Transmitter*> devices_;
    std::map<short, std::string> openErrors_;
    std::function<void()> onComm_;
    std::deque<std::uint8_t> rx_;
    bool open_ = false;
    short openPort_ = -1;
    short event_ = 0;
    int session_ = 0;  // bumps on close so answers in flight to a closed port vanish
    std::string lineFailure_;
};

}  // namespace orv::test
