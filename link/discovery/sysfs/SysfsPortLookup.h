#pragma once
// The Linux port lookup: the cp210x tty of the USB device with the given
// vendor id, product id and serial string, preferring its interface 0, as a
// port number k = n + 1 for /dev/ttyUSBn (the tool opens COMk as
// /dev/ttyUSB<k-1>).
#include <optional>
#include <string>

#include "link/discovery/PortLookup.h"

namespace orv::discovery {

class SysfsPortLookup : public PortLookup {
public:
    // sysfsRoot is "/sys" in the program; tests hand in a fixture tree.
    explicit SysfsPortLookup(std::string sysfsRoot);

    // Always runs: the port number, or -1 when no such device has a tty.
    std::optional<int> Lookup(const BridgeIdentity& identity) override;

private:
    std::string root_;
};

}  // namespace orv::discovery
