#include "protocol/Crc8.h"

namespace orv::protocol {

std::uint8_t Crc8(std::span<const std::uint8_t> bytes) {
    std::uint8_t crc = 0;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? static_cast<std::uint8_t>((crc >> 1) ^ 0x8Cu) : static_cast<std::uint8_t>(crc >> 1);
    }
    return crc;
}

}  // namespace orv::protocol
