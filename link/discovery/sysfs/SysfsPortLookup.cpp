#include "link/discovery/sysfs/SysfsPortLookup.h"

#include "link/discovery/sysfs/SysfsTree.h"
#include "link/serial/PortNaming.h"

namespace orv::discovery {

SysfsPortLookup::SysfsPortLookup(std::string sysfsRoot, std::filesystem::path devRoot,
                                 std::filesystem::path portFolder)
    : root_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)), portFolder_(std::move(portFolder)) {}

int SysfsPortLookup::PortOf(unsigned ttyNumber) const {
    // The port chosen is opened by its name, so the answer must be a name
    // that leads to this tty, never one the user's links send elsewhere.
    return link::PortNumberOf(portFolder_, devRoot_ / ("ttyUSB" + std::to_string(ttyNumber)),
                              static_cast<int>(ttyNumber) + 1);
}

std::optional<int> SysfsPortLookup::Lookup(const BridgeIdentity& identity) {
    const auto root = sysfs::CanonicalRoot(root_);
    if (!root) return -1;

    std::optional<unsigned> found;
    for (const sysfs::BridgeTty& tty : sysfs::ListBridgeTtys(*root)) {
        if (sysfs::ReadHex16(*root, tty.deviceDir / "idVendor") != identity.vendorId) continue;
        if (sysfs::ReadHex16(*root, tty.deviceDir / "idProduct") != identity.productId) continue;
        // Missing serial reads as empty, as in the library; a serial too long
        // for the library's area can never be the one it reported.
        const std::string serial =
            sysfs::ReadAttribute(*root, tty.deviceDir / "serial", sysfs::kSerialReadLimit + 1).value_or("");
        if (serial.size() >= kSerialAreaSize || serial != identity.serial) continue;

        // The data port of a multi-port bridge is its first interface; any
        // other interface only counts when interface 0 has no tty.
        if (sysfs::ReadHex16(*root, tty.interfaceDir / "bInterfaceNumber") == std::uint16_t{0})
            return PortOf(tty.number);
        if (!found) found = tty.number;
    }
    if (found) return PortOf(*found);
    return -1;
}

}  // namespace orv::discovery
