#include "config/SettingText.h"

#include <charconv>
#include <cmath>

#include "config/FloatText.h"
#include "config/InputTypeCatalogue.h"
#include "config/RangeFormat.h"

namespace orv::config {

namespace {

bool SameAnyCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (lower(a[k]) != lower(b[k])) return false;
    return true;
}

// A '+' is allowed where a person may type one; "+-5" is no number.
std::string_view WithoutPlus(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return {};
    }
    return text;
}

std::optional<long long> WholeNumber(std::string_view text) {
    text = WithoutPlus(text);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string Number(double v) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    return std::string(buf, end);
}

}  // namespace

std::string AcceptedValues(const SettingInfo& s) {
    if (s.id == Setting::InputType) {
        std::string words;
        for (const InputTypeRow& row : InputTypes()) words += (words.empty() ? "" : " ") + std::string(row.word);
        return "an input type (" + words + ") or its code";
    }
    if (!s.values.empty()) {
        std::string out;
        for (std::size_t k = 0; k < s.values.size(); ++k)
            out += (k == 0 ? "" : k + 1 == s.values.size() ? " or " : ", ") + std::string(s.values[k].word);
        return out;
    }
    if (s.encoding == Encoding::F32) return "a finite number within single precision";
    return "a whole number from " + Number(s.min) + " to " + Number(s.max);
}

std::optional<double> ValueFromText(const SettingInfo& s, std::string_view text) {
    if (s.id == Setting::InputType) {
        if (const int row = RowOfWord(text); row != kNoRow) return InputTypes()[static_cast<std::size_t>(row)].code;
        if (const auto code = WholeNumber(text); code && *code >= 0 && *code <= 255 && RowOfCode(static_cast<int>(*code)) != kNoRow)
            return static_cast<double>(*code);
        return std::nullopt;
    }
    if (!s.values.empty()) {
        for (const ValueWord& w : s.values)
            if (SameAnyCase(w.word, text)) return w.code;
        return std::nullopt;
    }
    if (s.encoding == Encoding::F32) {
        // Straight to float: through double, a few decimals round twice and
        // land one step off the float nearest them.
        const std::string_view number = WithoutPlus(text);
        if (number.empty()) return std::nullopt;
        if (const auto f = FloatFromDecimal(number)) return *f;
        return std::nullopt;
    }
    if (const auto n = WholeNumber(text); n && *n >= s.min && *n <= s.max) return static_cast<double>(*n);
    return std::nullopt;
}

std::string ValueText(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    const double v = ReadField(s, block);
    if (s.id == Setting::InputType) {
        const int row = RowOfCode(static_cast<int>(v));
        return row == kNoRow ? Number(v) : std::string(InputTypes()[static_cast<std::size_t>(row)].word);
    }
    if (!s.values.empty()) {
        const auto word = WordOf(s, static_cast<int>(v));
        return word ? std::string(*word) : Number(v);
    }
    if (s.encoding == Encoding::F32 && s.inRangeUnit) return InRangeText(v, block);
    if (s.encoding == Encoding::F32) {
        const auto f = static_cast<float>(v);
        return std::isfinite(f) ? ShortestFloatText(f) : NonFiniteFloatText(f);
    }
    return Number(v);
}

std::string UnitIn(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    return std::string(UnitOf(s, static_cast<int>(ReadField(InfoOf(Setting::InputType), block))));
}

std::string InRangeText(double value, std::span<const std::uint8_t, kParamBlockSize> block) {
    const auto zero = static_cast<float>(ReadField(InfoOf(Setting::RangeZero), block));
    const auto full = static_cast<float>(ReadField(InfoOf(Setting::RangeFull), block));
    return FormatInRange(value, zero, full);
}

}  // namespace orv::config
