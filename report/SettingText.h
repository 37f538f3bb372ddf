#pragma once
// A setting's value as a printed page shows it, read from a parameter block
// through the settings catalogue: the window's caption for a named value, a
// number with the decimals the window gives the range, and a value the
// device holds outside the setting's range said to be so, never guessed.
#include <cstdint>
#include <span>
#include <string>

#include "config/ParamImage.h"
#include "config/SettingCatalogue.h"

namespace orv::report {

std::string SettingValueText(const config::SettingInfo& setting,
                             std::span<const std::uint8_t, config::kParamBlockSize> block);

}  // namespace orv::report
