#pragma once
// From a bridge's USB identity to the number of the serial port it appears as.
#include <optional>

#include "link/discovery/BridgeLibrary.h"

namespace orv::discovery {

class PortLookup {
public:
    virtual ~PortLookup() = default;

    // The port number, -1 when the device has no port, or nullopt when this
    // platform offers no way to look it up (the caller's result then stays
    // as it was). Port numbers follow the tool's COMk naming.
    virtual std::optional<int> Lookup(const BridgeIdentity& identity) = 0;
};

}  // namespace orv::discovery
