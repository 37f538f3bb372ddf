#pragma once
// A setting's value as a person or a script types it and reads it: the
// catalogue's words ("internal", "4-20mA"), the input types' words ("pt100")
// and plain numbers within the setting's limits. The command line, its help
// and its messages all go through here, so they say what the files say.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/SettingCatalogue.h"

namespace orv::config {

// What the setting takes, for messages and help: "internal or external-cu50",
// "2 to 4", "a finite number", "an input type word (tc-k, pt100, ...) or its code".
std::string AcceptedValues(const SettingInfo& setting);

// The number the block holds for a typed value: a word's code (words in any
// case), an input type by word or code, a whole number within the limits, a
// finite number read straight into single precision. Nothing for anything
// else, so a value outside the setting's limits never reaches a block.
std::optional<double> ValueFromText(const SettingInfo& setting, std::string_view text);

// The block's value as ValueFromText takes it back: the word, or the number
// for a code that has none (shown as held, never as the nearest word); range
// ends with the decimals the window gives the block's range.
std::string ValueText(const SettingInfo& setting, std::span<const std::uint8_t, kParamBlockSize> block);

// The setting's unit for the block's input type ("" for none).
std::string UnitIn(const SettingInfo& setting, std::span<const std::uint8_t, kParamBlockSize> block);

// A number with the decimals the window gives the block's range: a reading,
// a range end, anything in the input's unit.
std::string InRangeText(double value, std::span<const std::uint8_t, kParamBlockSize> block);

}  // namespace orv::config
