#pragma once
// The settings a script may change, by the names the command line uses, and
// the one-field writes the window's update buttons make for them. Pure value
// code: a request is planned and checked here before any port is touched.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ParamImage.h"

namespace orv::cli {

using Block = std::array<std::uint8_t, config::kParamBlockSize>;

enum class Setting { InputType, Cjc, Wiring, RangeZero, RangeFull, Offset, Damping, BreakAlarm, OutputDirection };

struct SettingInfo {
    Setting id;
    std::string_view name;   // as typed on the command line
    std::uint8_t start;      // block address of the field's own write
    std::uint8_t count;      // its width in bytes
    std::string_view accepts;  // for messages and --help
};

const std::array<SettingInfo, 9>& AllSettings();
const SettingInfo* FindSetting(std::string_view name);

// A setting with its value encoded as the block stores it.
struct Assignment {
    const SettingInfo* setting = nullptr;
    std::vector<std::uint8_t> bytes;
};

// "NAME=VALUE" -> an assignment, or the reason it cannot be one (unknown name,
// malformed value, value outside the field's range).
struct ParseResult {
    std::optional<Assignment> assignment;
    std::string error;
};
ParseResult ParseAssignment(std::string_view text);
// The same for a name and a value given apart.
ParseResult ParseSetting(const SettingInfo& setting, std::string_view value);

// Whether the device whose block is `current` can take these settings as the
// window would let them be written: its model must offer the input type, and
// the CJC and wiring choices must mean something for the input type the device
// will have afterwards (the window disables those buttons otherwise). Returns
// the reason for the first one it cannot take, naming the setting.
std::optional<std::string> CheckForDevice(const std::vector<Assignment>& assignments, const Block& current);
// Only the model rule; whole configurations carry CJC and wiring for any type.
std::optional<std::string> CheckInputTypeForModel(std::uint8_t model, std::uint8_t inputType);

void Apply(const Assignment& assignment, Block& block);
// True when the block holds exactly the assignment's bytes.
bool Holds(const Assignment& assignment, const Block& block);
// The field of `setting` read back from a block, as the command line spells it.
Assignment FieldOf(const SettingInfo& setting, const Block& block);

// The command-line spelling of a setting's value in a block ("tc-k",
// "internal", "1300"), and the unit it is measured in ("" for none).
std::string ValueText(Setting setting, const Block& block);
std::string UnitOf(Setting setting, const Block& block);
// The command-line name of an input type code, or nothing for a code no type uses.
std::optional<std::string_view> InputTypeName(std::uint8_t code);

// Range ends as the window shows them: decimals follow the range's span.
std::string FormatInRange(double value, const Block& block);

}  // namespace orv::cli
