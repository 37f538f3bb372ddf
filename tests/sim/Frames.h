#pragma once
// Request building and answer parsing for the simulator tests, written from
// the wire format rather than from the simulator's own helpers.
#include <bit>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/Crc8.h"

namespace orv::simtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Hex(const std::string& text) {
    Bytes out;
    std::istringstream in(text);
    unsigned v;
    while (in >> std::hex >> v) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes Sealed(Bytes frame) {
    frame.push_back(protocol::Crc8(frame));
    return frame;
}

inline Bytes Write(std::uint8_t start, const Bytes& data) {
    Bytes f{0x00, 0x10, static_cast<std::uint8_t>(data.size() + 1), start};
    f.insert(f.end(), data.begin(), data.end());
    return Sealed(f);
}

inline Bytes Command(std::uint8_t code, std::uint16_t a, std::uint16_t b) {
    return Sealed({0x00, 0x11, 0x05, code, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a),
                   static_cast<std::uint8_t>(b >> 8), static_cast<std::uint8_t>(b)});
}

inline const Bytes kReadParams = Hex("00 03 02 00 24 85");
inline const Bytes kReadMeasure = Hex("00 04 00 3B");

struct Measurement {
    std::int16_t raw[5];
    float ambient, measured;
};

// Answer bytes 3..20 of a function-4 answer.
inline Measurement ParseMeasure(const Bytes& a) {
    Measurement m{};
    for (int k = 0; k < 5; ++k) m.raw[k] = static_cast<std::int16_t>(a[3 + 2 * k] | (a[4 + 2 * k] << 8));
    auto f = [&](int at) {
        return std::bit_cast<float>(static_cast<std::uint32_t>(a[at]) | (static_cast<std::uint32_t>(a[at + 1]) << 8) |
                                    (static_cast<std::uint32_t>(a[at + 2]) << 16) |
                                    (static_cast<std::uint32_t>(a[at + 3]) << 24));
    };
    m.ambient = f(13);
    m.measured = f(17);
    return m;
}

inline Bytes U16LE(std::uint16_t v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
inline Bytes F32LE(float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 24)};
}

}  // namespace orv::simtest
