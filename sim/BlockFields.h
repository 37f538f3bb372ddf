#pragma once
// Little-endian access to the fields of the 36-byte parameter block, as the
// device firmware sees them.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace orv::sim::field {

using Block = std::array<std::uint8_t, 36>;

inline constexpr std::size_t kModel = 0, kInputType = 1, kCjcMode = 2, kWireCount = 3, kRangeZero = 4,
                             kRangeFull = 8, kDamping = 12, kBreakAlarm = 13, kOutputDirection = 14,
                             kResistanceCal = 15, kMillivoltCal = 19, kAmbientCal = 21, kOut1Zero = 23,
                             kOut1Full = 25, kOffset = 27, kVoltageCal = 28, kCurrentCal = 30, kOut2Zero = 32,
                             kOut2Full = 34;

inline std::uint16_t U16(const Block& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::int16_t S16(const Block& b, std::size_t at) { return static_cast<std::int16_t>(U16(b, at)); }
inline float F32(const Block& b, std::size_t at) {
    const std::uint32_t bits = static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
                               (static_cast<std::uint32_t>(b[at + 2]) << 16) |
                               (static_cast<std::uint32_t>(b[at + 3]) << 24);
    return std::bit_cast<float>(bits);
}

inline void PutU16(Block& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutF32(Block& b, std::size_t at, float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace orv::sim::field
