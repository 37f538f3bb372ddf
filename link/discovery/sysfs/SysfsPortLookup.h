#pragma once
// The Linux port lookup: the cp210x tty of the USB device with the given
// vendor id, product id and serial string, preferring its interface 0, as the
// port number whose name leads to /dev/ttyUSBn: a port link to it, else n + 1
// unless the user's link COM<n+1> names another device.
#include <filesystem>
#include <optional>
#include <string>

#include "link/discovery/PortLookup.h"

namespace orv::discovery {

class SysfsPortLookup : public PortLookup {
public:
    // sysfsRoot is "/sys", devRoot "/dev" and portFolder the user's port
    // folder in the program (empty: no links); tests hand in fixture trees.
    explicit SysfsPortLookup(std::string sysfsRoot, std::filesystem::path devRoot = "/dev",
                             std::filesystem::path portFolder = {});

    // Always runs: the port number, or -1 when no such device has a tty.
    std::optional<int> Lookup(const BridgeIdentity& identity) override;

private:
    int PortOf(unsigned ttyNumber) const;

    std::string root_;
    std::filesystem::path devRoot_;
    std::filesystem::path portFolder_;
};

}  // namespace orv::discovery
