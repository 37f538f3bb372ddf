#pragma once
// Discovery for the simulated setup: a bridge library that lists exactly one
// CP210x, and a lookup that places it on one fixed port. Each front end then
// maps that port to its simulated transmitter.
#include <string>

#include "link/discovery/BridgeLibrary.h"
#include "link/discovery/PortLookup.h"

namespace orv::discovery {

inline constexpr int kSimulatedPort = 1;  // "COM1"

class SimulatedBridgeLibrary : public BridgeLibrary {
public:
    BridgeStatus GetNumDevices(std::int32_t& count) override;
    BridgeStatus Open(std::uint32_t index, BridgeHandle& handle) override;
    BridgeStatus GetVid(BridgeHandle handle, std::uint16_t& vendorId) override;
    BridgeStatus GetPid(BridgeHandle handle, std::uint16_t& productId) override;
    BridgeStatus GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) override;
    BridgeStatus Close(BridgeHandle handle) override;
    int OpenHandles() const { return open_; }

private:
    int open_ = 0;
};

class SimulatedPortLookup : public PortLookup {
public:
    std::optional<int> Lookup(const BridgeIdentity& identity) override;
};

// What discovery reports with the simulated bridge attached.
int FindSimulatedBridgePort();

}  // namespace orv::discovery
