#pragma once
// The four request kinds the transmitter understands and the fixed length of
// the answer each one gets.
#include <cstdint>

namespace orv::protocol {

enum class FunctionCode : std::uint8_t {
    ReadParams = 3,    // the 36-byte parameter block
    ReadMeasure = 4,   // raw readings, ambient temperature and measured value
    WriteParams = 16,  // a slice of the parameter block
    Command = 17,      // a catalogue command with two 16-bit arguments
};

constexpr std::uint8_t ToByte(FunctionCode f) { return static_cast<std::uint8_t>(f); }

// The device answers every request with exactly this many bytes, checksum
// included; the receive threshold is set to it before each request.
constexpr std::uint32_t AnswerLength(FunctionCode f) {
    switch (f) {
        case FunctionCode::ReadParams: return 40;
        case FunctionCode::ReadMeasure: return 22;
        case FunctionCode::WriteParams: return 4;
        case FunctionCode::Command: return 5;
    }
    return 0;
}

}  // namespace orv::protocol
