#pragma once
// Single-precision values as text, for files and reports that must give back
// exactly what a device held.
//
// A finite value is written as the shortest decimal that reads back as the
// same float ("0.1", "-0", "3.4028235e+38") and read straight into a float,
// never through double: the double nearest a decimal, rounded again to a
// float, is not always the float nearest that decimal (±7.038531e-26 are two
// that come back one step off that way).
//
// JSON has no infinity and no NaN, and a device may hold either (erased
// memory reads FF FF FF FF, a NaN). Those are written as text: "inf", "-inf",
// or "nan:" followed by the value's 32 bits in hexadecimal ("nan:ffffffff"),
// so every one of the 2^32 bit patterns comes back as it was.
#include <optional>
#include <string>
#include <string_view>

namespace orv::config {

// Finite values only: the shortest round-trip decimal.
std::string ShortestFloatText(float value);
// Non-finite values only: "inf", "-inf" or "nan:7fc00000".
std::string NonFiniteFloatText(float value);

// A decimal number (as JSON writes numbers) straight to the nearest float.
// Nothing when the text is not wholly a number or its magnitude lies beyond
// the float range (it would become infinity, or vanish to zero).
std::optional<float> FloatFromDecimal(std::string_view text);
// The inverse of NonFiniteFloatText. Nothing for any other text, and for
// "nan:" bits that are not a NaN.
std::optional<float> FloatFromNonFiniteText(std::string_view text);

}  // namespace orv::config
