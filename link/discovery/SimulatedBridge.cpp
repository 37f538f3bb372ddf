#include "link/discovery/SimulatedBridge.h"

#include <algorithm>
#include <cstring>

#include "link/discovery/FindBridgePort.h"

namespace orv::discovery {

namespace {

constexpr BridgeStatus kFailed = 1;
constexpr BridgeHandle kHandle = 1;
constexpr std::uint16_t kVendorId = 0x10C4;   // Silicon Labs
constexpr std::uint16_t kProductId = 0xEA60;  // CP210x UART bridge
constexpr char kSerial[] = "ORVSIM0001";

}  // namespace

BridgeStatus SimulatedBridgeLibrary::GetNumDevices(std::int32_t& count) {
    count = 1;
    return kBridgeSuccess;
}

BridgeStatus SimulatedBridgeLibrary::Open(std::uint32_t index, BridgeHandle& handle) {
    if (index != 0) return kFailed;
    handle = kHandle;
    ++open_;
    return kBridgeSuccess;
}

BridgeStatus SimulatedBridgeLibrary::GetVid(BridgeHandle handle, std::uint16_t& vendorId) {
    if (handle != kHandle) return kFailed;
    vendorId = kVendorId;
    return kBridgeSuccess;
}

BridgeStatus SimulatedBridgeLibrary::GetPid(BridgeHandle handle, std::uint16_t& productId) {
    if (handle != kHandle) return kFailed;
    productId = kProductId;
    return kBridgeSuccess;
}

BridgeStatus SimulatedBridgeLibrary::GetSerialString(BridgeHandle handle,
                                                                SerialArea& area, std::uint8_t& length) {
    if (handle != kHandle) return kFailed;
    const std::size_t n = std::strlen(kSerial);
    std::copy_n(kSerial, n, area.begin());
    length = static_cast<std::uint8_t>(n);
    return kBridgeSuccess;
}

BridgeStatus SimulatedBridgeLibrary::Close(BridgeHandle handle) {
    if (handle != kHandle) return kFailed;
    --open_;
    return kBridgeSuccess;
}

std::optional<int> SimulatedPortLookup::Lookup(const BridgeIdentity& identity) {
    if (identity.vendorId == kVendorId && identity.productId == kProductId && identity.serial == kSerial)
        return kSimulatedPort;
    return -1;
}

int FindSimulatedBridgePort() {
    SimulatedBridgeLibrary library;
    SimulatedPortLookup lookup;
    return FindBridgePort(library, lookup);
}

}  // namespace orv::discovery
