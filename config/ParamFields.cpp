#include "config/ParamFields.h"

#include <bit>

namespace orv::config {

namespace {

// Cursor-free readers and writers at fixed offsets: every field's position is
// spelled out once, in the offset table, rather than implied by read order.
std::uint16_t GetU16(std::span<const std::uint8_t, kParamBlockSize> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t GetU32(std::span<const std::uint8_t, kParamBlockSize> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
float GetF32(std::span<const std::uint8_t, kParamBlockSize> b, std::size_t at) {
    return std::bit_cast<float>(GetU32(b, at));
}

void PutU16(std::span<std::uint8_t, kParamBlockSize> b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void PutF32(std::span<std::uint8_t, kParamBlockSize> b, std::size_t at, float f) {
    const auto v = std::bit_cast<std::uint32_t>(f);
    for (std::size_t k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

}  // namespace

ParamFields ParamFields::Read(std::span<const std::uint8_t, kParamBlockSize> b) {
    ParamFields f;
    f.model = b[offset::model];
    f.inputType = b[offset::inputType];
    f.cjcMode = b[offset::cjcMode];
    f.wireCount = b[offset::wireCount];
    f.rangeZero = GetF32(b, offset::rangeZero);
    f.rangeFull = GetF32(b, offset::rangeFull);
    f.dampingLevel = b[offset::dampingLevel];
    f.breakAlarm = b[offset::breakAlarm];
    f.outputDirection = b[offset::outputDirection];
    f.resistanceCal = GetF32(b, offset::resistanceCal);
    f.millivoltCal = static_cast<std::int16_t>(GetU16(b, offset::millivoltCal));
    f.ambientCal = GetU16(b, offset::ambientCal);
    f.out1ZeroTrim = GetU16(b, offset::out1ZeroTrim);
    f.out1FullTrim = GetU16(b, offset::out1FullTrim);
    f.offsetCorrection = static_cast<std::int8_t>(b[offset::offsetCorrection]);
    f.voltageCal = static_cast<std::int16_t>(GetU16(b, offset::voltageCal));
    f.currentCal = static_cast<std::int16_t>(GetU16(b, offset::currentCal));
    f.out2ZeroTrim = GetU16(b, offset::out2ZeroTrim);
    f.out2FullTrim = GetU16(b, offset::out2FullTrim);
    return f;
}

void ParamFields::Write(std::span<std::uint8_t, kParamBlockSize> b) const {
    b[offset::model] = model;
    b[offset::inputType] = inputType;
    b[offset::cjcMode] = cjcMode;
    b[offset::wireCount] = wireCount;
    PutF32(b, offset::rangeZero, rangeZero);
    PutF32(b, offset::rangeFull, rangeFull);
    b[offset::dampingLevel] = dampingLevel;
    b[offset::breakAlarm] = breakAlarm;
    b[offset::outputDirection] = outputDirection;
    PutF32(b, offset::resistanceCal, resistanceCal);
    PutU16(b, offset::millivoltCal, static_cast<std::uint16_t>(millivoltCal));
    PutU16(b, offset::ambientCal, ambientCal);
    PutU16(b, offset::out1ZeroTrim, out1ZeroTrim);
    PutU16(b, offset::out1FullTrim, out1FullTrim);
    b[offset::offsetCorrection] = static_cast<std::uint8_t>(offsetCorrection);
    PutU16(b, offset::voltageCal, static_cast<std::uint16_t>(voltageCal));
    PutU16(b, offset::currentCal, static_cast<std::uint16_t>(currentCal));
    PutU16(b, offset::out2ZeroTrim, out2ZeroTrim);
    PutU16(b, offset::out2FullTrim, out2FullTrim);
}

}  // namespace orv::config
