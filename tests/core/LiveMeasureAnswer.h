#pragma once
// Hand-made read-measurements answers, for injecting on the fake line.
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "protocol/Crc8.h"

namespace orv::test {

// raw holds RV0..RV4 as the 16-bit patterns that go on the wire, low byte first.
inline std::vector<std::uint8_t> MeasureAnswer(const std::array<std::uint16_t, 5>& raw, float ambient = 0.0f,
                                               float measured = 0.0f) {
    std::vector<std::uint8_t> frame{0x00, 0x04, 0x12};
    for (std::uint16_t r : raw) {
        frame.push_back(static_cast<std::uint8_t>(r & 0xFF));
        frame.push_back(static_cast<std::uint8_t>(r >> 8));
    }
    for (float f : {ambient, measured}) {
        const auto bits = std::bit_cast<std::uint32_t>(f);
        for (int i = 0; i < 4; ++i) frame.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    frame.push_back(protocol::Crc8(frame));
    return frame;
}

inline const std::vector<std::uint8_t> kMeasureRequest{0x00, 0x04, 0x00, 0x3B};

}  // namespace orv::test
