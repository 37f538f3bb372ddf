#include "config/FloatText.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace orv::config {

namespace {
constexpr std::string_view kNanPrefix = "nan:";
}

std::string ShortestFloatText(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string NonFiniteFloatText(float value) {
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    static constexpr char kDigits[] = "0123456789abcdef";
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::string text(kNanPrefix);
    for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(bits >> shift) & 0xF];
    return text;
}

std::optional<float> FloatFromDecimal(std::string_view text) {
    float value = 0;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, value, std::chars_format::general);
    if (ec != std::errc() || end != last || text.empty() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<float> FloatFromNonFiniteText(std::string_view text) {
    if (text == "inf") return std::numeric_limits<float>::infinity();
    if (text == "-inf") return -std::numeric_limits<float>::infinity();
    if (text.size() != kNanPrefix.size() + 8 || text.substr(0, kNanPrefix.size()) != kNanPrefix) return std::nullopt;
    std::uint32_t bits = 0;
    const char* first = text.data() + kNanPrefix.size();
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), bits, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const float value = std::bit_cast<float>(bits);
    if (!std::isnan(value)) return std::nullopt;
    return value;
}

}  // namespace orv::config
