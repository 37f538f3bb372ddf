#pragma once
// The bridge library's answers taken from sysfs: the bridges are the USB
// devices with a tty bound to the kernel's cp210x driver, listed once per
// device (a dual-UART bridge has two ttys) in the order of their first tty.
#include <cstdint>
#include <string>
#include <vector>

#include "link/discovery/BridgeLibrary.h"

namespace orv::discovery {

class SysfsBridgeLibrary : public BridgeLibrary {
public:
    // sysfsRoot is "/sys" in the program; tests hand in a fixture tree.
    explicit SysfsBridgeLibrary(std::string sysfsRoot);

    // Takes a fresh snapshot of the bridges present; Open indexes into it.
    BridgeStatus GetNumDevices(std::int32_t& count) override;
    BridgeStatus Open(std::uint32_t index, BridgeHandle& handle) override;
    BridgeStatus GetVid(BridgeHandle handle, std::uint16_t& vendorId) override;
    BridgeStatus GetPid(BridgeHandle handle, std::uint16_t& productId) override;
    // A missing serial file fails with an empty string; a serial that does not
    // fit the area reports its true length (up to 255) and only the first
    // kSerialAreaSize bytes.
    BridgeStatus GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) override;
    BridgeStatus Close(BridgeHandle handle) override;

private:
    const std::string* DeviceDir(BridgeHandle handle) const;

    std::string root_;
    std::vector<std::string> devices_;  // USB device directories
    std::vector<bool> open_;
};

}  // namespace orv::discovery
