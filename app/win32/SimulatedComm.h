#pragma once
// The serial component of the simulated build on Windows: the simulated
// transmitter lives in the process and answers on port kSimulatedPort; every
// other port goes to the real component. Answers arrive through a thread
// timer after the time the line would take, so the dialog sees them as it
// sees a device's: later, between other messages, also under a message box.
#include "app/win32/Win32Api.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/CMSComm.h"
#include "sim/Transmitter.h"

namespace orv::app::win32 {

class SimulatedComm : public protocol::CMSComm {
public:
    SimulatedComm(int simulatedPort, std::unique_ptr<protocol::CMSComm> real);
    ~SimulatedComm() override;
    SimulatedComm(const SimulatedComm&) = delete;
    SimulatedComm& operator=(const SimulatedComm&) = delete;

    sim::Transmitter& Device() { return device_; }

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

    // How long the line takes to bring an answer of n bytes at 1200 baud
    // after the device's turnaround.
    unsigned AnswerDelayMs(std::size_t bytes) const;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timerId, DWORD);
    void Deliver(const std::vector<std::uint8_t>& bytes);
    bool Simulated() const { return port_ == simulatedPort_; }
    void RequireOpen() const;
    // The component behind the other ports; without one they are never open.
    protocol::CMSComm& Real() const;

    int simulatedPort_;
    std::unique_ptr<protocol::CMSComm> real_;
    sim::Transmitter device_;
    std::function<void()> onComm_;
    short port_ = 1;
    bool open_ = false;  // the simulated port only
    short threshold_ = 0;
    short event_ = 0;
    std::vector<std::uint8_t> waiting_;
    std::vector<UINT_PTR> timers_;  // answers still on the line
};

}  // namespace orv::app::win32
