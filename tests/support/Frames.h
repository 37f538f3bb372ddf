#pragma once
// Hand-made frames, for injecting on the fake line or comparing with what the
// tool wrote. Built byte by byte so a fault in the tool's own framing shows.
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "protocol/Crc8.h"
#include "sim/Transmitter.h"

namespace orv::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Sealed(Bytes body) {
    body.push_back(protocol::Crc8(body));
    return body;
}

inline const Bytes kReadParamsRequest{0x00, 0x03, 0x02, 0x00, 0x24, 0x85};
inline const Bytes kMeasureRequest{0x00, 0x04, 0x00, 0x3B};

// Address 0, function 16, length (start byte plus data), start, data, checksum.
inline Bytes WriteFrame(std::uint8_t start, const Bytes& data) {
    Bytes f{0x00, 0x10, static_cast<std::uint8_t>(data.size() + 1), start};
    f.insert(f.end(), data.begin(), data.end());
    return Sealed(f);
}

inline Bytes WriteAck() { return Sealed({0x00, 0x10, 0x01}); }
inline Bytes CommandAck(std::uint8_t code) { return Sealed({0x00, 0x11, 0x01, code}); }

// A block a real device holds, so decoding it raises no complaint of its own.
inline Bytes ParamsAnswer() {
    Bytes b{0x00, 0x03, 0x24};
    const sim::Transmitter device;
    const auto& block = device.Block();
    b.insert(b.end(), block.begin(), block.end());
    return Sealed(b);
}

// raw holds RV0..RV4 as the 16-bit patterns that go on the wire, low byte first.
inline Bytes MeasureAnswer(const std::array<std::uint16_t, 5>& raw = {}, float ambient = 0.0f,
                           float measured = 0.0f) {
    Bytes frame{0x00, 0x04, 0x12};
    for (std::uint16_t r : raw) {
        frame.push_back(static_cast<std::uint8_t>(r & 0xFF));
        frame.push_back(static_cast<std::uint8_t>(r >> 8));
    }
    for (float f : {ambient, measured}) {
        const auto bits = std::bit_cast<std::uint32_t>(f);
        for (int i = 0; i < 4; ++i) frame.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    return Sealed(frame);
}

}  // namespace orv::test
