#pragma once
// A serial component in memory in front of the simulated transmitter that
// spoils a share of the exchanges, one fault per spoiled request, each kind
// as often as the others. It remembers which request got which fault, so the
// soak can tell what the dialog should have shown for it.
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <string_view>
#include <vector>

#include "protocol/CMSComm.h"
#include "sim/Transmitter.h"
#include "support/VirtualClock.h"

namespace orv::soak {

enum class Fault {
    None,
    Lost,           // the device heard the request, its answer never arrives
    BadChecksum,    // the answer's last byte is spoiled
    WrongFunction,  // a well-sealed answer to another function
    Short,          // the line drops the answer's tail
    Noise,          // garbage arrives in front of the answer
    Late,           // the answer comes after the request's time-out
    SendFailure,    // the component refuses the write (an error the dialog shows)
    ReadFailure,    // the component fails the read in the receive event
    Split,          // the answer arrives a byte at a time; harmless
    LineLost,       // the cable is pulled: the component closes the port and says so
};
inline constexpr std::size_t kFaultKinds = 11;
std::string_view FaultName(Fault fault);

class FaultyLine : public protocol::CMSComm {
public:
    FaultyLine(test::VirtualClock& clock, sim::Transmitter& device, std::uint32_t seed);

    double faultRate = 0.05;  // share of requests spoiled
    unsigned lateByMs = 6000;  // past every time-out the dialog uses

    // Every request written, with the fault it got.
    struct Sent {
        std::uint8_t function;
        Fault fault;
    };
    const std::vector<Sent>& Requests() const { return sent_; }
    void ForgetRequests() { sent_.clear(); }
    const std::array<unsigned, kFaultKinds>& Injected() const { return injected_; }
    unsigned long long RequestCount() const { return requests_; }

    // CMSComm
    void SetCommPort(short port) override { port_ = port; }
    void SetInBufferSize(short) override {}
    void SetInputLen(short) override {}
    void SetOutBufferSize(short) override {}
    void SetPortOpen(bool open) override;
    bool GetPortOpen() override { return open_; }
    void SetRThreshold(short count) override { threshold_ = count; }
    void SetSettings(const std::string& settings) override;
    void SetOutput(const std::vector<std::uint8_t>& bytes) override;
    std::vector<std::uint8_t> GetInput() override;
    short GetCommEvent() override { return event_; }
    void SetInputMode(long) override {}
    void SetOnComm(std::function<void()> handler) override { onComm_ = std::move(handler); }

private:
    Fault Pick();
    void Deliver(std::vector<std::uint8_t> bytes, std::uint64_t afterMs, bool paced);
    void Raise(short event);
    void Arrive(const std::vector<std::uint8_t>& bytes);

    test::VirtualClock& clock_;
    sim::Transmitter& device_;
    std::mt19937 rng_;
    std::function<void()> onComm_;
    std::vector<std::uint8_t> rx_;
    std::vector<Sent> sent_;
    std::array<unsigned, kFaultKinds> injected_{};
    unsigned long long requests_ = 0;
    short port_ = 0;
    short threshold_ = 0;
    short event_ = 0;
    bool open_ = false;
    bool inEvent_ = false;
    bool failEventRead_ = false;
};

}  // namespace orv::soak
