#include "cli/SettingNames.h"

#include "config/InputTypeCatalogue.h"
#include "config/RangeFormat.h"
#include "config/SettingText.h"

namespace orv::cli {

namespace {

using config::InfoOf;
using config::Setting;
using config::SettingInfo;

int FieldOfBlock(Setting id, const Block& block) { return static_cast<int>(config::ReadField(InfoOf(id), block)); }

std::string ModelName(int model) {
    const auto* row = config::FindModel(model);
    return row ? std::string(row->listText) + " (model " + std::to_string(model) + ")" : "model " + std::to_string(model);
}

const config::InputTypeRow* TypeRow(int code) {
    const int row = config::RowOfCode(code);
    return row == config::kNoRow ? nullptr : &config::InputTypes()[static_cast<std::size_t>(row)];
}

std::string TypeName(int code) {
    const auto* type = TypeRow(code);
    return type ? std::string(type->modelText) : "code " + std::to_string(code);
}

// The rule of the window's input type list: a known model offers its types.
std::optional<std::string> InputTypeRefusal(int model, int code) {
    const std::string word(InfoOf(Setting::InputType).word);
    if (!config::FindModel(model))
        return word + ": the device reports model " + std::to_string(model) +
               ", which this tool does not know, so it cannot tell whether " + TypeName(code) + " is allowed";
    if (!config::ModelOffers(model, code)) return word + ": " + ModelName(model) + " does not accept " + TypeName(code);
    return std::nullopt;
}

}  // namespace

const std::vector<const SettingInfo*>& SettableSettings() {
    static const std::vector<const SettingInfo*> settable = [] {
        std::vector<const SettingInfo*> out;
        for (const SettingInfo& s : config::kSettings)
            if (s.group == config::SettingGroup::Installation) out.push_back(&s);
        return out;
    }();
    return settable;
}

ParseResult ParseAssignment(std::string_view text) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return {std::nullopt, std::string(text) + ": expected NAME=VALUE"};
    const std::string_view name = text.substr(0, eq);
    const std::string_view value = text.substr(eq + 1);
    const SettingInfo* s = config::FindSetting(name);
    if (!s || s->group != config::SettingGroup::Installation) {
        std::string names;
        for (const SettingInfo* known : SettableSettings()) names += (names.empty() ? "" : ", ") + std::string(known->word);
        return {std::nullopt, std::string(name) + ": unknown setting; the settings are " + names};
    }
    const auto number = config::ValueFromText(*s, value);
    if (!number)
        return {std::nullopt, std::string(text) + ": expected " + config::AcceptedValues(*s)};
    Block scratch{};
    config::WriteField(*s, *number, scratch);
    return {Assignment{s, std::vector<std::uint8_t>(scratch.begin() + s->offset, scratch.begin() + s->offset + s->width)},
            {}};
}

std::optional<std::string> CheckForDevice(const std::vector<Assignment>& assignments, const Block& current) {
    Block after = current;
    for (const auto& a : assignments) {
        if (a.setting->id != Setting::InputType) continue;
        if (auto why = InputTypeRefusal(FieldOfBlock(Setting::Model, current), a.bytes[0])) return why;
        Apply(a, after);
    }
    const int type = FieldOfBlock(Setting::InputType, after);
    const auto* row = TypeRow(type);
    for (const auto& a : assignments) {
        const std::string word(a.setting->word);
        if (a.setting->id == Setting::CjcMode && !(row && (row->buttons & config::kCjcUpdate)))
            return word + ": applies to thermocouple inputs only; the input type is " + TypeName(type);
        if (a.setting->id == Setting::WireCount && !(row && (row->buttons & config::kWiringUpdate)))
            return word + ": applies to RTD and resistance inputs only; the input type is " + TypeName(type);
    }
    return std::nullopt;
}

void Apply(const Assignment& a, Block& block) {
    for (std::size_t i = 0; i < a.bytes.size(); ++i) block[a.setting->offset + i] = a.bytes[i];
}

bool Holds(const Assignment& a, const Block& block) {
    for (std::size_t i = 0; i < a.bytes.size(); ++i)
        if (block[a.setting->offset + i] != a.bytes[i]) return false;
    return true;
}

Assignment FieldOf(const SettingInfo& s, const Block& block) {
    return Assignment{&s, std::vector<std::uint8_t>(block.begin() + s.offset, block.begin() + s.offset + s.width)};
}

}  // namespace orv::cli
