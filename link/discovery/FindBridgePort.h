#pragma once
// Start-up discovery of the bridge's serial port.
#include "link/discovery/BridgeLibrary.h"
#include "link/discovery/PortLookup.h"

namespace orv::discovery {

// Asks the library for every bridge and looks each one's port up.
// Returns 0 when no bridge was looked up, -1 when the last bridge looked up
// has no port, otherwise that bridge's port number: with several bridges the
// last one looked up decides. Every device opened is closed again, also when
// a read fails. A bridge whose identity cannot be read completely (open,
// vendor id or product id fails, or its serial string does not fit the
// library's area) is skipped and leaves the result unchanged.
int FindBridgePort(BridgeLibrary& library, PortLookup& lookup);

// FindBridgePort over this platform's real library and port lookup: the
// vendor's DLL and the registry on Windows, sysfs at /sys elsewhere.
int FindBridgePortOnThisPlatform();

}  // namespace orv::discovery
