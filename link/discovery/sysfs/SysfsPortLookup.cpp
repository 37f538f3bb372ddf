#include "link/discovery/sysfs/SysfsPortLookup.h"

#include "link/discovery/sysfs/SysfsTree.h"

namespace orv::discovery {

SysfsPortLookup::SysfsPortLookup(std::string sysfsRoot) : root_(std::move(sysfsRoot)) {}

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
            return static_cast<int>(tty.number) + 1;
        if (!found) found = tty.number;
    }
    if (found) return static_cast<int>(*found) + 1;
    return -1;
}

}  // namespace orv::discovery
