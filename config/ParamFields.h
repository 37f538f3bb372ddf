#pragma once
// The 36-byte parameter block field by field. Multi-byte fields are
// little-endian and floats IEEE-754 single precision, in the device's answer
// and in the tool's writes alike.
#include <array>
#include <cstdint>
#include <span>

#include "config/ParamImage.h"

namespace orv::config {

// Byte offsets of the fields; a write of one field sends its offset and width.
namespace offset {
inline constexpr std::size_t model = 0;
inline constexpr std::size_t inputType = 1;
inline constexpr std::size_t cjcMode = 2;
inline constexpr std::size_t wireCount = 3;
inline constexpr std::size_t rangeZero = 4;
inline constexpr std::size_t rangeFull = 8;
inline constexpr std::size_t dampingLevel = 12;
inline constexpr std::size_t breakAlarm = 13;
inline constexpr std::size_t outputDirection = 14;
inline constexpr std::size_t resistanceCal = 15;
inline constexpr std::size_t millivoltCal = 19;
inline constexpr std::size_t ambientCal = 21;
inline constexpr std::size_t out1ZeroTrim = 23;
inline constexpr std::size_t out1FullTrim = 25;
inline constexpr std::size_t offsetCorrection = 27;
inline constexpr std::size_t voltageCal = 28;
inline constexpr std::size_t currentCal = 30;
inline constexpr std::size_t out2ZeroTrim = 32;
inline constexpr std::size_t out2FullTrim = 34;
}  // namespace offset

struct ParamFields {
    std::uint8_t model = 0;
    std::uint8_t inputType = 0;
    std::uint8_t cjcMode = 0;
    std::uint8_t wireCount = 0;
    float rangeZero = 0;
    float rangeFull = 0;
    std::uint8_t dampingLevel = 0;
    std::uint8_t breakAlarm = 0;
    std::uint8_t outputDirection = 0;
    float resistanceCal = 0;  // the calibration value times 50
    std::int16_t millivoltCal = 0;
    std::uint16_t ambientCal = 0;
    std::uint16_t out1ZeroTrim = 0;
    std::uint16_t out1FullTrim = 0;
    std::int8_t offsetCorrection = 0;
    std::int16_t voltageCal = 0;
    std::int16_t currentCal = 0;
    std::uint16_t out2ZeroTrim = 0;
    std::uint16_t out2FullTrim = 0;

    static ParamFields Read(std::span<const std::uint8_t, kParamBlockSize> block);
    void Write(std::span<std::uint8_t, kParamBlockSize> block) const;
};

}  // namespace orv::config
