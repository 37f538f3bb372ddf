#pragma once
// The simulated bridge on Qt: discovery finds it on kSimulatedPort, and the
// serial link maps that port to the simulated transmitter's pseudo-terminal.
#include <string>

#include "link/discovery/SimulatedBridge.h"
#include "link/serial/QtSerialComm.h"

namespace orv::app::qt {

using discovery::FindSimulatedBridgePort;
using discovery::kSimulatedPort;

// Port kSimulatedPort is the pseudo-terminal at slavePath; every other port
// number names what it names without the simulation.
link::PortResolver SimulatedPortResolver(std::string slavePath);

}  // namespace orv::app::qt
