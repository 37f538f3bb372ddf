#include "config/RangeFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "config/TextConversions.h"

namespace orv::config {

namespace {

constexpr std::size_t kMaxDigits = 20;

std::string Shortest(double magnitude, bool negative) {
    std::array<char, 64> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude, std::chars_format::scientific);
    return (negative ? "-" : "") + std::string(buf.data(), r.ptr);
}

}  // namespace

int RangeDecimals(float span) {
    if (!(span < 2000.0f)) return 0;  // NaN lands here as well
    if (span >= 200.0f) return 1;
    if (span >= 20.0f) return 2;
    if (span >= 2.0f) return 3;
    return 4;
}

std::string FormatFixed(double x, int decimals) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x < 0 ? "-Inf" : "Inf";
    const bool negative = x < 0;
    const double magnitude = std::fabs(x);
    const std::size_t n = static_cast<std::size_t>(std::clamp(decimals, 0, 17));

    // A double is m * 2^(e-53) with a 53-bit m, so 53 - e fraction digits
    // write it exactly. From the exact digits, an exact half is recognisable
    // and rounds away from zero; printf would round it to even.
    int e = 0;
    std::frexp(magnitude, &e);
    const int exactDigits = std::clamp(53 - e, 0, 1100);
    const int precision = std::max(exactDigits, static_cast<int>(n) + 1);
    // 309 integer digits at most, the fraction, a point.
    std::array<char, 1500> buf{};
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude, std::chars_format::fixed, precision);
    std::string digits(buf.data(), r.ptr);
    const std::size_t point = digits.find('.');
    std::string intPart = digits.substr(0, point);
    std::string frac = digits.substr(point + 1);

    if (intPart.size() + n > kMaxDigits) return Shortest(magnitude, negative);

    std::string kept = intPart + frac.substr(0, n);
    if (frac[n] >= '5') {
        // Carry through the kept digits; a carry out of the top adds a digit.
        std::size_t k = kept.size();
        while (k > 0) {
            --k;
            if (kept[k] == '9') {
                kept[k] = '0';
                continue;
            }
            ++kept[k];
            break;
        }
        if (k == 0 && kept[0] == '0') kept.insert(kept.begin(), '1');
    }
    if (kept.size() > kMaxDigits) return Shortest(magnitude, negative);

    std::string out = negative ? "-" : "";
    out += kept.substr(0, kept.size() - n);
    if (n > 0) {
        out += '.';
        out += kept.substr(kept.size() - n);
    }
    return out;
}

std::string FormatRangeValue(double x, std::string_view zeroText, std::string_view fullText) {
    return FormatInRange(x, TextToFloat(zeroText), TextToFloat(fullText));
}

std::string FormatInRange(double x, float zero, float full) { return FormatFixed(x, RangeDecimals(std::fabs(zero - full))); }

}  // namespace orv::config
