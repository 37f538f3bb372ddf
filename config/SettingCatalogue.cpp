#include "config/SettingCatalogue.h"

#include <bit>

#include "config/InputTypeCatalogue.h"

namespace orv::config {

namespace {

std::uint32_t Unsigned(std::span<const std::uint8_t, kParamBlockSize> block, std::size_t at, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < width; ++k) v |= static_cast<std::uint32_t>(block[at + k]) << (8 * k);
    return v;
}

}  // namespace

const SettingInfo* FindSetting(std::string_view word) {
    for (const SettingInfo& s : kSettings)
        if (s.word == word) return &s;
    return nullptr;
}

double ReadField(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    const std::uint32_t raw = Unsigned(block, s.offset, s.width);
    switch (s.encoding) {
        case Encoding::U8:
        case Encoding::U16: return raw;
        case Encoding::I8: return static_cast<std::int8_t>(raw);
        case Encoding::I16: return static_cast<std::int16_t>(raw);
        case Encoding::F32: return std::bit_cast<float>(raw);
    }
    return 0;
}

float FloatField(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    return std::bit_cast<float>(Unsigned(block, s.offset, 4));
}

void WriteField(const SettingInfo& s, double value, std::span<std::uint8_t, kParamBlockSize> block) {
    std::uint32_t raw = 0;
    switch (s.encoding) {
        case Encoding::U8:
        case Encoding::U16: raw = static_cast<std::uint32_t>(value); break;
        case Encoding::I8:
        case Encoding::I16: raw = static_cast<std::uint32_t>(static_cast<std::int32_t>(value)); break;
        case Encoding::F32: raw = std::bit_cast<std::uint32_t>(static_cast<float>(value)); break;
    }
    for (std::size_t k = 0; k < s.width; ++k) block[s.offset + k] = static_cast<std::uint8_t>(raw >> (8 * k));
}

bool FieldInLimits(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    const double v = ReadField(s, block);
    if (s.id == Setting::InputType) return RowOfCode(static_cast<int>(v)) != kNoRow;
    if (!s.values.empty()) return WordOf(s, static_cast<int>(v)).has_value();
    // NaN fails both comparisons and so is outside.
    return v >= s.min && v <= s.max;
}

std::optional<std::string_view> WordOf(const SettingInfo& s, int code) {
    for (const ValueWord& w : s.values)
        if (w.code == code) return w.word;
    return std::nullopt;
}

std::optional<std::string_view> LabelOf(const SettingInfo& s, int code) {
    for (const ValueWord& w : s.values)
        if (w.code == code) return w.label;
    return std::nullopt;
}

std::optional<int> CodeOfWord(const SettingInfo& s, std::string_view word) {
    for (const ValueWord& w : s.values)
        if (w.word == word) return w.code;
    return std::nullopt;
}

std::optional<std::string> ValueLabel(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    const int code = static_cast<int>(ReadField(s, block));
    switch (s.id) {
        case Setting::Model:
            if (const ModelRow* m = FindModel(code)) return std::string(m->listText);
            return std::nullopt;
        case Setting::InputType: {
            const int row = RowOfCode(code);
            if (row == kNoRow) return std::nullopt;
            return std::string(InputTypes()[static_cast<std::size_t>(row)].modelText);
        }
        case Setting::WireCount:
            if (!FieldInLimits(s, block)) return std::nullopt;
            return std::to_string(code) + "-wire";
        case Setting::DampingLevel:
            if (!FieldInLimits(s, block)) return std::nullopt;
            return code == 0 ? std::string("Pass Filter") : "Level " + std::to_string(code);
        default:
            if (const auto label = LabelOf(s, code)) return std::string(*label);
            return std::nullopt;
    }
}

std::string_view UnitOf(const SettingInfo& s, int inputTypeCode) {
    if (!s.inRangeUnit) return {};
    const int row = RowOfCode(inputTypeCode);
    return row == kNoRow ? std::string_view{} : InputTypes()[static_cast<std::size_t>(row)].unit;
}

}  // namespace orv::config
