#pragma once
// Little-endian readers for answer payloads. The device stores every
// multi-byte value low byte first; only the command arguments travel the
// other way round, and those are written in Frames.cpp.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace orv::protocol {

inline std::uint16_t ReadU16Le(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::int16_t ReadI16Le(std::span<const std::uint8_t> bytes, std::size_t at) {
    // Modular conversion (C++20): FF FF is -1, 00 80 is -32768.
    return static_cast<std::int16_t>(ReadU16Le(bytes, at));
}

inline std::uint32_t ReadU32Le(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

inline float ReadF32Le(std::span<const std::uint8_t> bytes, std::size_t at) {
    static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
    return std::bit_cast<float>(ReadU32Le(bytes, at));
}

}  // namespace orv::protocol
