// A stand-in for the bridge vendor's manufacturing library, for discovery's
// tests: the same six calls at the same ordinals. Which bridges are "plugged
// in" comes from ORV_STANDIN_BRIDGES, read on every count:
//     vid:pid:serial[;vid:pid:serial...]   (ids in hexadecimal)
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Bridge {
    WORD vendorId = 0;
    WORD productId = 0;
    std::string serial;
};

std::vector<Bridge> bridges;

constexpr int kOk = 0;
constexpr int kDeviceNotFound = 0xFF;

std::vector<Bridge> FromEnvironment() {
    std::vector<Bridge> out;
    char text[4096] = {};
    const DWORD length = GetEnvironmentVariableA("ORV_STANDIN_BRIDGES", text, sizeof text);
    if (length == 0 || length >= sizeof text) return out;
    std::string rest(text, length);
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        const std::string entry = rest.substr(0, end);
        rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
        const std::size_t a = entry.find(':');
        const std::size_t b = a == std::string::npos ? a : entry.find(':', a + 1);
        if (b == std::string::npos) continue;
        Bridge bridge;
        bridge.vendorId = static_cast<WORD>(std::strtoul(entry.substr(0, a).c_str(), nullptr, 16));
        bridge.productId = static_cast<WORD>(std::strtoul(entry.substr(a + 1, b - a - 1).c_str(), nullptr, 16));
        bridge.serial = entry.substr(b + 1);
        out.push_back(bridge);
    }
    return out;
}

const Bridge* Find(HANDLE handle) {
    const auto index = reinterpret_cast<std::uintptr_t>(handle);
    if (index == 0 || index > bridges.size()) return nullptr;
    return &bridges[index - 1];
}

}  // namespace

extern "C" {

int WINAPI StandInCountDevices(DWORD* count) {
    bridges = FromEnvironment();
    *count = static_cast<DWORD>(bridges.size());
    return kOk;
}

int WINAPI StandInOpen(DWORD index, HANDLE* handle) {
    if (index >= bridges.size()) return kDeviceNotFound;
    *handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(index) + 1);
    return kOk;
}

int WINAPI StandInClose(HANDLE handle) { return Find(handle) ? kOk : kDeviceNotFound; }

// Like a device with a long serial, it writes the whole string and reports
// its real length, however long: bounding the write is the caller's concern.
int WINAPI StandInSerial(HANDLE handle, LPVOID buffer, LPBYTE length, BOOL) {
    const Bridge* bridge = Find(handle);
    if (!bridge) return kDeviceNotFound;
    const std::size_t count = bridge->serial.size() > 255 ? 255 : bridge->serial.size();
    std::memcpy(buffer, bridge->serial.data(), count);
    *length = static_cast<BYTE>(count);
    return kOk;
}

int WINAPI StandInVendorId(HANDLE handle, WORD* vendorId) {
    const Bridge* bridge = Find(handle);
    if (!bridge) return kDeviceNotFound;
    *vendorId = bridge->vendorId;
    return kOk;
}

int WINAPI StandInProductId(HANDLE handle, WORD* productId) {
    const Bridge* bridge = Find(handle);
    if (!bridge) return kDeviceNotFound;
    *productId = bridge->productId;
    return kOk;
}

}  // extern "C"
