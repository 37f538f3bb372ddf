#pragma once
// The conversions between the window's edit texts and the block's numbers.
// Technicians type whatever they like into these fields and nothing is
// rejected, so every function here accepts any text and never throws.
#include <cstdint>
#include <string>
#include <string_view>

namespace orv::config {

// Leading white space, an optional sign and decimal digits, stopping at the
// first other character; no digits gives 0. Values beyond the signed 32-bit
// range saturate at its limits. Independent of the process locale.
std::int32_t TextToInt32(std::string_view text);

// The low 16 or 8 bits of TextToInt32, as a two-byte or one-byte field stores them.
std::uint16_t TextToLow16(std::string_view text);
std::uint8_t TextToLow8(std::string_view text);

// Leading white space, an optional sign, digits with an optional decimal point
// and an optional exponent; no number gives 0. The decimal value is rounded
// to double and then to single precision. Always a '.' as decimal point,
// whatever locale the front end runs in.
double TextToDouble(std::string_view text);
float TextToFloat(std::string_view text);

// Rounds a double to single precision with overflow going to infinity, as the
// hardware conversion does, without relying on an out-of-range cast.
float RoundToFloat(double value);

// Plain decimal, a minus sign only when negative.
std::string IntToText(long long value);

}  // namespace orv::config
