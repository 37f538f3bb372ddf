#include "link/discovery/FindBridgePort.h"

namespace orv::discovery {

namespace {

// Closes the device however the examination ends, so a lookup that throws
// cannot leave a handle open behind it.
class OpenDevice {
public:
    OpenDevice(BridgeLibrary& library, BridgeHandle handle) : library_(library), handle_(handle) {}
    ~OpenDevice() { library_.Close(handle_); }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

private:
    BridgeLibrary& library_;
    BridgeHandle handle_;
};

}  // namespace

int FindBridgePort(BridgeLibrary& library, PortLookup& lookup) {
    int result = 0;
    std::int32_t count = 0;
    // The count's status carries no extra information: a failed call leaves 0.
    library.GetNumDevices(count);

    for (std::int32_t index = 0; index < count; ++index) {
        BridgeHandle handle{};
        if (library.Open(static_cast<std::uint32_t>(index), handle) != kBridgeSuccess) continue;
        OpenDevice closer(library, handle);

        BridgeIdentity identity;
        if (library.GetVid(handle, identity.vendorId) != kBridgeSuccess) continue;
        if (library.GetPid(handle, identity.productId) != kBridgeSuccess) continue;

        // A failed read leaves the length at 0, which reads as an empty serial
        // string; that is how a bridge without a serial number shows.
        SerialArea area{};
        std::uint8_t length = 0;
        library.GetSerialString(handle, area, length);
        // A serial that fills the area (or claims more) cannot be the string
        // the device holds; looking it up could only pick some other device's
        // port, so the bridge is skipped like one whose ids cannot be read.
        if (length >= kSerialAreaSize) continue;
        identity.serial.assign(area.data(), length);

        if (const std::optional<int> port = lookup.Lookup(identity)) result = *port;
    }
    return result;
}

}  // namespace orv::discovery
