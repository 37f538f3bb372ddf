#pragma once
// The transmitter's serial line, in the serial component's settings text:
// 1200 baud, no parity, 8 data bits, 1 stop bit (no handshake of any kind).
namespace orv::protocol {

inline constexpr const char* kLineSettingsText = "1200, n, 8, 1";

}  // namespace orv::protocol
