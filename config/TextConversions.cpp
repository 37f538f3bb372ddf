#include "config/TextConversions.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace orv::config {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    return i;
}

}  // namespace

std::int32_t TextToInt32(std::string_view text) {
    std::size_t i = SkipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so a
    // run of a thousand digits cannot overflow anything.
    constexpr std::int64_t kCap = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (magnitude < kCap) magnitude = magnitude * 10 + (text[i] - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::uint16_t TextToLow16(std::string_view text) {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(TextToInt32(text)) & 0xFFFFu);
}

std::uint8_t TextToLow8(std::string_view text) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(TextToInt32(text)) & 0xFFu);
}

double TextToDouble(std::string_view text) {
    std::size_t i = SkipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Scan the longest prefix that is a decimal number, remembering where the
    // first significant digit sits so an out-of-range result can be told
    // apart as overflow or underflow.
    const std::size_t start = i;
    std::size_t intDigits = 0, fracDigits = 0;
    long long firstSignificant = 0;  // power of ten of the first nonzero digit
    bool haveSignificant = false;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++intDigits) {
        if (!haveSignificant && text[i] != '0') {
            haveSignificant = true;
            firstSignificant = -static_cast<long long>(intDigits);  // fixed up below
        }
    }
    if (haveSignificant) firstSignificant += static_cast<long long>(intDigits) - 1;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            ++fracDigits;
            if (!haveSignificant && text[i] != '0') {
                haveSignificant = true;
                firstSignificant = -static_cast<long long>(fracDigits);
            }
        }
    }
    if (intDigits + fracDigits == 0) return 0.0;
    std::size_t end = i;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) expNegative = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j) {
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - '0');
            }
            if (expNegative) exponent = -exponent;
            end = j;
        }
    }

    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = (haveSignificant && firstSignificant + exponent >= 0) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

float RoundToFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(value) <= kMax) return static_cast<float>(value);
    // Halfway between the largest float and the next power of two rounds to
    // even, which is infinity; anything below stays at the largest float.
    const double halfway = std::ldexp(0x1.ffffffp0, 127);
    const float rounded = std::fabs(value) >= halfway ? std::numeric_limits<float>::infinity()
                                                      : std::numeric_limits<float>::max();
    return value < 0 ? -rounded : rounded;
}

float TextToFloat(std::string_view text) { return RoundToFloat(TextToDouble(text)); }

std::string IntToText(long long value) { return std::to_string(value); }

}  // namespace orv::config
