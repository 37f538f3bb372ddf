#pragma once
// The bridge vendor's manufacturing DLL, loaded at run time. It exports its
// calls by ordinal only. Without the DLL, or with any of the six calls
// missing, it reports no devices, so discovery simply finds nothing.
#include "link/discovery/BridgeLibrary.h"

namespace orv::discovery {

class DllBridgeLibrary : public BridgeLibrary {
public:
    DllBridgeLibrary();
    ~DllBridgeLibrary() override;
    DllBridgeLibrary(const DllBridgeLibrary&) = delete;
    DllBridgeLibrary& operator=(const DllBridgeLibrary&) = delete;

    BridgeStatus GetNumDevices(std::int32_t& count) override;
    BridgeStatus Open(std::uint32_t index, BridgeHandle& handle) override;
    BridgeStatus GetVid(BridgeHandle handle, std::uint16_t& vendorId) override;
    BridgeStatus GetPid(BridgeHandle handle, std::uint16_t& productId) override;
    BridgeStatus GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) override;
    BridgeStatus Close(BridgeHandle handle) override;

private:
    struct Imports;
    Imports* imports_;  // null when the DLL or one of its calls is missing
};

}  // namespace orv::discovery
