#include "app/qt/SimulatedBridge.h"

#include <algorithm>
#include <cstring>

#include "link/discovery/FindBridgePort.h"
#include "link/serial/PortNaming.h"

namespace orv::app::qt {

namespace {

constexpr discovery::BridgeStatus kFailed = 1;
constexpr discovery::BridgeHandle kHandle = 1;
constexpr std::uint16_t kVendorId = 0x10C4;   // Silicon Labs
constexpr std::uint16_t kProductId = 0xEA60;  // CP210x UART bridge
constexpr char kSerial[] = "ORVSIM0001";

}  // namespace

discovery::BridgeStatus SimulatedBridgeLibrary::GetNumDevices(std::int32_t& count) {
    count = 1;
    return discovery::kBridgeSuccess;
}

discovery::BridgeStatus SimulatedBridgeLibrary::Open(std::uint32_t index, discovery::BridgeHandle& handle) {
    if (index != 0) return kFailed;
    handle = kHandle;
    ++open_;
    return discovery::kBridgeSuccess;
}

discovery::BridgeStatus SimulatedBridgeLibrary::GetVid(discovery::BridgeHandle handle, std::uint16_t& vendorId) {
    if (handle != kHandle) return kFailed;
    vendorId = kVendorId;
    return discovery::kBridgeSuccess;
}

discovery::BridgeStatus SimulatedBridgeLibrary::GetPid(discovery::BridgeHandle handle, std::uint16_t& productId) {
    if (handle != kHandle) return kFailed;
    productId = kProductId;
    return discovery::kBridgeSuccess;
}

discovery::BridgeStatus SimulatedBridgeLibrary::GetSerialString(discovery::BridgeHandle handle,
                                                                discovery::SerialArea& area, std::uint8_t& length) {
    if (handle != kHandle) return kFailed;
    const std::size_t n = std::strlen(kSerial);
    std::copy_n(kSerial, n, area.begin());
    length = static_cast<std::uint8_t>(n);
    return discovery::kBridgeSuccess;
}

discovery::BridgeStatus SimulatedBridgeLibrary::Close(discovery::BridgeHandle handle) {
    if (handle != kHandle) return kFailed;
    --open_;
    return discovery::kBridgeSuccess;
}

std::optional<int> SimulatedPortLookup::Lookup(const discovery::BridgeIdentity& identity) {
    if (identity.vendorId == kVendorId && identity.productId == kProductId && identity.serial == kSerial)
        return kSimulatedPort;
    return -1;
}

int FindSimulatedBridgePort() {
    SimulatedBridgeLibrary library;
    SimulatedPortLookup lookup;
    return discovery::FindBridgePort(library, lookup);
}

link::PortResolver SimulatedPortResolver(std::string slavePath) {
    return [path = std::move(slavePath)](int port) {
        return port == kSimulatedPort ? path : link::DefaultPortPath(port);
    };
}

}  // namespace orv::app::qt
