#pragma once
// Discovery for the simulated setup: a bridge library that lists exactly one
// CP210x, and a lookup that places it on one fixed port. The serial link then
// maps that port to the simulated transmitter's pseudo-terminal.
#include <string>

#include "link/discovery/BridgeLibrary.h"
#include "link/discovery/PortLookup.h"
#include "link/serial/QtSerialComm.h"

namespace orv::app::qt {

inline constexpr int kSimulatedPort = 1;  // "COM1"

class SimulatedBridgeLibrary : public discovery::BridgeLibrary {
public:
    discovery::BridgeStatus GetNumDevices(std::int32_t& count) override;
    discovery::BridgeStatus Open(std::uint32_t index, discovery::BridgeHandle& handle) override;
    discovery::BridgeStatus GetVid(discovery::BridgeHandle handle, std::uint16_t& vendorId) override;
    discovery::BridgeStatus GetPid(discovery::BridgeHandle handle, std::uint16_t& productId) override;
    discovery::BridgeStatus GetSerialString(discovery::BridgeHandle handle, discovery::SerialArea& area,
                                            std::uint8_t& length) override;
    discovery::BridgeStatus Close(discovery::BridgeHandle handle) override;
    int OpenHandles() const { return open_; }

private:
    int open_ = 0;
};

class SimulatedPortLookup : public discovery::PortLookup {
public:
    std::optional<int> Lookup(const discovery::BridgeIdentity& identity) override;
};

// What discovery reports with the simulated bridge attached.
int FindSimulatedBridgePort();

// Port kSimulatedPort is the pseudo-terminal at slavePath; every other port
// number names what it names without the simulation.
link::PortResolver SimulatedPortResolver(std::string slavePath);

}  // namespace orv::app::qt
