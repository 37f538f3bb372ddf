#include "link/discovery/sysfs/SysfsBridgeLibrary.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "link/discovery/sysfs/SysfsTree.h"

namespace orv::discovery {

namespace {

constexpr BridgeStatus kInvalidHandle = 0x01;
constexpr BridgeStatus kReadFailed = 0x03;
constexpr BridgeStatus kNotFound = 0xFF;

}  // namespace

SysfsBridgeLibrary::SysfsBridgeLibrary(std::string sysfsRoot) : root_(std::move(sysfsRoot)) {}

BridgeStatus SysfsBridgeLibrary::GetNumDevices(std::int32_t& count) {
    devices_.clear();
    open_.clear();
    count = 0;
    // No sysfs tree is a machine without bridges, not a failure.
    const auto root = sysfs::CanonicalRoot(root_);
    if (!root) return kBridgeSuccess;

    // A dual-UART bridge shows one tty per interface but is one device; the
    // ttys come sorted, so each device keeps the place of its first tty.
    for (const sysfs::BridgeTty& tty : sysfs::ListBridgeTtys(*root)) {
        const std::string dir = tty.deviceDir.string();
        if (std::find(devices_.begin(), devices_.end(), dir) == devices_.end()) devices_.push_back(dir);
    }
    open_.assign(devices_.size(), false);
    count = static_cast<std::int32_t>(std::min<std::size_t>(devices_.size(), INT32_MAX));
    return kBridgeSuccess;
}

BridgeStatus SysfsBridgeLibrary::Open(std::uint32_t index, BridgeHandle& handle) {
    if (index >= devices_.size()) return kNotFound;
    open_[index] = true;
    handle = static_cast<BridgeHandle>(index) + 1;
    return kBridgeSuccess;
}

const std::string* SysfsBridgeLibrary::DeviceDir(BridgeHandle handle) const {
    if (handle == 0 || handle > devices_.size() || !open_[handle - 1]) return nullptr;
    return &devices_[handle - 1];
}

BridgeStatus SysfsBridgeLibrary::GetVid(BridgeHandle handle, std::uint16_t& vendorId) {
    const std::string* dir = DeviceDir(handle);
    if (!dir) return kInvalidHandle;
    const auto root = sysfs::CanonicalRoot(root_);
    const auto value = root ? sysfs::ReadHex16(*root, std::filesystem::path(*dir) / "idVendor") : std::nullopt;
    if (!value) return kReadFailed;
    vendorId = *value;
    return kBridgeSuccess;
}

BridgeStatus SysfsBridgeLibrary::GetPid(BridgeHandle handle, std::uint16_t& productId) {
    const std::string* dir = DeviceDir(handle);
    if (!dir) return kInvalidHandle;
    const auto root = sysfs::CanonicalRoot(root_);
    const auto value = root ? sysfs::ReadHex16(*root, std::filesystem::path(*dir) / "idProduct") : std::nullopt;
    if (!value) return kReadFailed;
    productId = *value;
    return kBridgeSuccess;
}

BridgeStatus SysfsBridgeLibrary::GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) {
    length = 0;
    const std::string* dir = DeviceDir(handle);
    if (!dir) return kInvalidHandle;
    const auto root = sysfs::CanonicalRoot(root_);
    // Some bridges have no serial number at all; the read then fails with an
    // empty string, as the library's does.
    const auto serial =
        root ? sysfs::ReadAttribute(*root, std::filesystem::path(*dir) / "serial", sysfs::kSerialReadLimit + 1)
             : std::nullopt;
    if (!serial) return kReadFailed;
    std::memcpy(area.data(), serial->data(), std::min(serial->size(), area.size()));
    length = static_cast<std::uint8_t>(std::min<std::size_t>(serial->size(), sysfs::kSerialReadLimit));
    return kBridgeSuccess;
}

BridgeStatus SysfsBridgeLibrary::Close(BridgeHandle handle) {
    if (handle == 0 || handle > devices_.size() || !open_[handle - 1]) return kInvalidHandle;
    open_[handle - 1] = false;
    return kBridgeSuccess;
}

}  // namespace orv::discovery
