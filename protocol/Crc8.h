#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace orv::protocol {

// CRC-8/MAXIM (Dallas/Maxim 1-Wire): width 8, polynomial 0x31 (x^8+x^5+x^4+1,
// 0x8C reflected), initial value 0, input and output reflected, no final XOR.
// Check value over "123456789": 0xA1. Appended to every frame in both
// directions, so the CRC over a whole frame, checksum included, is 0.
std::uint8_t Crc8(std::span<const std::uint8_t> bytes);

}  // namespace orv::protocol
