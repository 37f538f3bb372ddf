#pragma once
// The USB-to-UART bridge vendor's manufacturing library, reduced to the six
// calls discovery makes. Each call mirrors the library's export: a status
// result (0 = success) and out-parameters, so the Windows implementation is a
// thin forwarding layer and other platforms can answer the same questions.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orv::discovery {

using BridgeStatus = int;
inline constexpr BridgeStatus kBridgeSuccess = 0;

// Opaque, valid between Open and Close.
using BridgeHandle = std::uintptr_t;

// The library writes the serial string into a fixed area of this size; a
// string that fills the whole area leaves no room for a terminator and is
// therefore not trusted.
inline constexpr std::size_t kSerialAreaSize = 64;
using SerialArea = std::array<char, kSerialAreaSize>;

struct BridgeIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;  // 8-bit characters, no terminator
};

class BridgeLibrary {
public:
    virtual ~BridgeLibrary() = default;

    // Count of bridges present; 0 or less means none.
    virtual BridgeStatus GetNumDevices(std::int32_t& count) = 0;
    // index runs from 0 to count-1.
    virtual BridgeStatus Open(std::uint32_t index, BridgeHandle& handle) = 0;
    virtual BridgeStatus GetVid(BridgeHandle handle, std::uint16_t& vendorId) = 0;
    virtual BridgeStatus GetPid(BridgeHandle handle, std::uint16_t& productId) = 0;
    // Writes at most kSerialAreaSize bytes into area and the string's length
    // into length. The length may report more than the area holds; the
    // caller checks it against the area before using it.
    virtual BridgeStatus GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) = 0;
    virtual BridgeStatus Close(BridgeHandle handle) = 0;
};

}  // namespace orv::discovery
