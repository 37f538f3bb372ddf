#include "cli/SettingNames.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "config/FloatText.h"
#include "config/InputTypeCatalogue.h"
#include "config/ParamFields.h"
#include "config/RangeFormat.h"

namespace orv::cli {

namespace {

namespace off = config::offset;

constexpr std::array<SettingInfo, 9> kSettings{{
    {Setting::InputType, "input-type", off::inputType, 1, "an input type name (tc-k, pt100, voltage, ...) or its code"},
    {Setting::Cjc, "cjc", off::cjcMode, 1, "internal or external"},
    {Setting::Wiring, "wiring", off::wireCount, 1, "2, 3 or 4"},
    {Setting::RangeZero, "range-zero", off::rangeZero, 4, "a finite number"},
    {Setting::RangeFull, "range-full", off::rangeFull, 4, "a finite number"},
    {Setting::Offset, "offset", off::offsetCorrection, 1, "a whole number from -128 to 127"},
    {Setting::Damping, "damping", off::dampingLevel, 1, "0 (pass filter) to 9"},
    {Setting::BreakAlarm, "break-alarm", off::breakAlarm, 1, "low or high"},
    {Setting::OutputDirection, "output-direction", off::outputDirection, 1, "4-20 or 20-4"},
}};

// One name per catalogue row, in row order; scripts should not have to type
// the window's texts with their spaces and Ω signs.
constexpr std::array<std::string_view, 18> kTypeNames{
    "tc-k", "tc-e", "tc-s", "tc-b", "tc-r", "tc-j", "tc-t", "tc-n", "mv",
    "pt100", "cu50", "r400", "pt200", "pt500", "pt1000", "r4k", "voltage", "current"};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

template <typename T>
std::optional<T> WholeNumber(std::string_view text) {
    T value{};
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (!text.empty() && text.front() == '+') ++first;
    if (first != text.data() && first != last && *first == '-') return std::nullopt;  // "+-5"
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}

// Straight to float: through double, a few decimals would round twice and
// land one step off the float nearest them.
std::optional<float> FiniteFloat(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    return config::FloatFromDecimal(text);
}

std::vector<std::uint8_t> FloatBytes(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 24)};
}

float FloatAt(const Block& block, std::size_t at) {
    const std::uint32_t bits = static_cast<std::uint32_t>(block[at]) | (static_cast<std::uint32_t>(block[at + 1]) << 8) |
                               (static_cast<std::uint32_t>(block[at + 2]) << 16) |
                               (static_cast<std::uint32_t>(block[at + 3]) << 24);
    return std::bit_cast<float>(bits);
}

ParseResult Fail(const SettingInfo& s, std::string_view value, std::string_view why = {}) {
    std::string text = std::string(s.name) + "=" + std::string(value) + ": ";
    text += why.empty() ? "expected " + std::string(s.accepts) : std::string(why);
    return {std::nullopt, text};
}

ParseResult Ok(const SettingInfo& s, std::vector<std::uint8_t> bytes) { return {Assignment{&s, std::move(bytes)}, {}}; }

std::optional<std::uint8_t> TypeCode(std::string_view value) {
    const std::string lower = Lower(value);
    for (std::size_t row = 0; row < kTypeNames.size(); ++row)
        if (lower == kTypeNames[row]) return config::InputTypes()[row].code;
    if (const auto code = WholeNumber<int>(value); code && *code >= 0 && config::RowOfCode(*code) != config::kNoRow)
        return static_cast<std::uint8_t>(*code);
    return std::nullopt;
}

std::string ModelName(std::uint8_t model) {
    const auto* row = config::FindModel(model);
    return row ? std::string(row->listText) + " (model " + std::to_string(model) + ")"
               : "model " + std::to_string(model);
}

const config::InputTypeRow* TypeRow(std::uint8_t code) {
    const int row = config::RowOfCode(code);
    return row == config::kNoRow ? nullptr : &config::InputTypes()[static_cast<std::size_t>(row)];
}

std::string Word(std::uint8_t value, const char* zero, const char* one) {
    return value == 0 ? zero : value == 1 ? one : std::to_string(value);
}

}  // namespace

const std::array<SettingInfo, 9>& AllSettings() { return kSettings; }

const SettingInfo* FindSetting(std::string_view name) {
    for (const auto& s : kSettings)
        if (s.name == name) return &s;
    return nullptr;
}

ParseResult ParseAssignment(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return {std::nullopt, std::string(text) + ": expected NAME=VALUE"};
    const std::string_view name = text.substr(0, eq);
    const SettingInfo* s = FindSetting(name);
    if (!s) return {std::nullopt, std::string(name) + ": unknown setting"};
    return ParseSetting(*s, text.substr(eq + 1));
}

ParseResult ParseSetting(const SettingInfo& s, std::string_view value) {
    const std::string v = Lower(value);
    switch (s.id) {
        case Setting::InputType:
            if (const auto code = TypeCode(value)) return Ok(s, {*code});
            return Fail(s, value, "no such input type; expected one of tc-k tc-e tc-s tc-b tc-r tc-j tc-t tc-n mv "
                                  "pt100 cu50 r400 pt200 pt500 pt1000 r4k voltage current, or its code");
        case Setting::Cjc:
            if (v == "internal") return Ok(s, {1});
            if (v == "external") return Ok(s, {0});
            return Fail(s, value);
        case Setting::Wiring:
            if (const auto n = WholeNumber<int>(value); n && *n >= 2 && *n <= 4)
                return Ok(s, {static_cast<std::uint8_t>(*n)});
            return Fail(s, value);
        case Setting::RangeZero:
        case Setting::RangeFull:
            if (const auto f = FiniteFloat(value)) return Ok(s, FloatBytes(*f));
            return Fail(s, value, "expected a finite number within single precision");
        case Setting::Offset:
            if (const auto n = WholeNumber<int>(value); n && *n >= -128 && *n <= 127)
                return Ok(s, {static_cast<std::uint8_t>(static_cast<std::int8_t>(*n))});
            return Fail(s, value);
        case Setting::Damping:
            if (const auto n = WholeNumber<int>(value); n && *n >= 0 && *n <= 9)
                return Ok(s, {static_cast<std::uint8_t>(*n)});
            return Fail(s, value);
        case Setting::BreakAlarm:
            if (v == "low") return Ok(s, {0});
            if (v == "high") return Ok(s, {1});
            return Fail(s, value);
        case Setting::OutputDirection:
            if (v == "4-20") return Ok(s, {1});
            if (v == "20-4") return Ok(s, {0});
            return Fail(s, value);
    }
    return Fail(s, value);
}

std::optional<std::string> CheckInputTypeForModel(std::uint8_t model, std::uint8_t inputType) {
    const auto* type = TypeRow(inputType);
    const std::string name = type ? std::string(type->modelText) : "code " + std::to_string(inputType);
    if (!config::FindModel(model))
        return "input-type: the device reports model " + std::to_string(model) +
               ", which this tool does not know, so it cannot tell whether " + name + " is allowed";
    if (!type || !((type->models >> model) & 1u))
        return "input-type: " + ModelName(model) + " does not accept " + name;
    return std::nullopt;
}

std::optional<std::string> CheckForDevice(const std::vector<Assignment>& assignments, const Block& current) {
    Block after = current;
    for (const auto& a : assignments) {
        if (a.setting->id != Setting::InputType) continue;
        if (auto why = CheckInputTypeForModel(current[off::model], a.bytes[0])) return why;
        Apply(a, after);
    }
    const auto* type = TypeRow(after[off::inputType]);
    const std::string typeName = type ? std::string(type->modelText) : "code " + std::to_string(after[off::inputType]);
    for (const auto& a : assignments) {
        if (a.setting->id == Setting::Cjc && !(type && (type->buttons & config::kCjcUpdate)))
            return "cjc: applies to thermocouple inputs only; the input type is " + typeName;
        if (a.setting->id == Setting::Wiring && !(type && (type->buttons & config::kWiringUpdate)))
            return "wiring: applies to RTD and resistance inputs only; the input type is " + typeName;
    }
    return std::nullopt;
}

void Apply(const Assignment& a, Block& block) {
    for (std::size_t i = 0; i < a.bytes.size(); ++i) block[a.setting->start + i] = a.bytes[i];
}

bool Holds(const Assignment& a, const Block& block) {
    for (std::size_t i = 0; i < a.bytes.size(); ++i)
        if (block[a.setting->start + i] != a.bytes[i]) return false;
    return true;
}

Assignment FieldOf(const SettingInfo& s, const Block& block) {
    return Assignment{&s, std::vector<std::uint8_t>(block.begin() + s.start, block.begin() + s.start + s.count)};
}

std::optional<std::string_view> InputTypeName(std::uint8_t code) {
    const int row = config::RowOfCode(code);
    if (row == config::kNoRow) return std::nullopt;
    return kTypeNames[static_cast<std::size_t>(row)];
}

std::string FormatInRange(double value, const Block& block) {
    const float span = std::fabs(FloatAt(block, off::rangeZero) - FloatAt(block, off::rangeFull));
    return config::FormatFixed(value, config::RangeDecimals(span));
}

std::string ValueText(Setting setting, const Block& block) {
    switch (setting) {
        case Setting::InputType: {
            const auto name = InputTypeName(block[off::inputType]);
            return name ? std::string(*name) : std::to_string(block[off::inputType]);
        }
        // A byte that is no choice is shown as it is, not as the nearest word.
        case Setting::Cjc: return Word(block[off::cjcMode], "external", "internal");
        case Setting::Wiring: return std::to_string(block[off::wireCount]);
        case Setting::RangeZero: return FormatInRange(FloatAt(block, off::rangeZero), block);
        case Setting::RangeFull: return FormatInRange(FloatAt(block, off::rangeFull), block);
        case Setting::Offset: return std::to_string(static_cast<std::int8_t>(block[off::offsetCorrection]));
        case Setting::Damping: return std::to_string(block[off::dampingLevel]);
        case Setting::BreakAlarm: return Word(block[off::breakAlarm], "low", "high");
        case Setting::OutputDirection: return Word(block[off::outputDirection], "20-4", "4-20");
    }
    return {};
}

std::string UnitOf(Setting setting, const Block& block) {
    if (setting != Setting::RangeZero && setting != Setting::RangeFull && setting != Setting::Offset) return {};
    const auto* type = TypeRow(block[off::inputType]);
    return type ? std::string(type->unit) : std::string();
}

}  // namespace orv::cli
