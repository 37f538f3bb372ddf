#pragma once
// The "ports" listing: every bridge discovery can see, with the port it is,
// and the ports the user named with links.
#include <functional>
#include <string>
#include <vector>

#include "link/discovery/BridgeLibrary.h"
#include "link/discovery/PortLookup.h"

namespace orv::cli {

struct BridgeRow {
    std::string name;  // COMk, empty when the bridge has no port
    std::string path;  // the device the name opens
    unsigned vendorId = 0, productId = 0;
    std::string serial;
};

// A COMk the user gave a device with a link in the port folder.
struct LinkRow {
    std::string name;  // COMk
    std::string path;  // the device the link leads to
};

// Unlike start-up discovery, which keeps only the last bridge, this lists
// them all; a bridge whose identity cannot be read is left out.
std::vector<BridgeRow> ListBridges(discovery::BridgeLibrary& library, discovery::PortLookup& lookup,
                                   const std::function<std::string(int)>& portPath);

}  // namespace orv::cli
