#pragma once
// The number-to-text rule for every decimal value the window shows: the
// number of decimals follows the span of the measuring range, so a 0..1300 ℃
// range reads in tenths and a 0..1.5 V range in ten-thousandths.
#include <string>
#include <string_view>

namespace orv::config {

// Decimals for a range span: 4 below 2, 3 below 20, 2 below 200, 1 below
// 2000, 0 from 2000 up and for a span that is not a number.
int RangeDecimals(float span);

// x with RangeDecimals(|zero - full|) decimals, where zero and full are the
// range texts converted to single precision. An exact half rounds away from
// zero, and a negative x keeps its minus sign even when it rounds to zero.
//
// Beyond that rule: NaN shows "NaN", infinities "Inf" and "-Inf"; -0.0 is not
// negative and shows no sign; a value whose rounded form would need more than
// 20 digits shows in shortest exponent form ("1.5e+25", "-3e+38") instead of
// hundreds of digits nobody can read in a field.
std::string FormatRangeValue(double x, std::string_view zeroText, std::string_view fullText);

// The same for range ends held as numbers, as the block holds them.
std::string FormatInRange(double x, float zero, float full);

// The same with the decimals given.
std::string FormatFixed(double x, int decimals);

}  // namespace orv::config
