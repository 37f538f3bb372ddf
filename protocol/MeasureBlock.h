#pragma once
// The 18-byte payload of a read-measurements answer (answer bytes 3 to 20).
#include <array>
#include <cstdint>
#include <span>

namespace orv::protocol {

struct MeasureBlock {
    std::array<std::int16_t, 5> raw{};  // RV0..RV4, little-endian on the wire
    float ambient = 0.0f;               // ambient temperature
    float measured = 0.0f;              // measured value of the configured input
};

MeasureBlock DecodeMeasureBlock(std::span<const std::uint8_t, 18> payload);

}  // namespace orv::protocol
