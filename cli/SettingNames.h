#pragma once
// The settings a script may change and the one-field writes the window's
// update buttons make for them, by the catalogue's words: "set
// cjcMode=external-cu50" says what a configuration file says. Pure value
// code: a request is planned and checked here before any port is touched.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/ParamImage.h"
#include "config/SettingCatalogue.h"

namespace orv::cli {

using Block = std::array<std::uint8_t, config::kParamBlockSize>;

// The block's installation settings in the catalogue's order, which puts the
// input type first: the range and offset are read in its unit.
const std::vector<const config::SettingInfo*>& SettableSettings();

// A setting with its value encoded as the block stores it.
struct Assignment {
    const config::SettingInfo* setting = nullptr;
    std::vector<std::uint8_t> bytes;
};

// "NAME=VALUE" -> an assignment, or the reason it cannot be one (unknown name,
// malformed value, value outside the setting's limits).
struct ParseResult {
    std::optional<Assignment> assignment;
    std::string error;
};
ParseResult ParseAssignment(std::string_view text);

// Whether the device whose block is `current` can take these settings as the
// window would let them be written: its model must offer the input type, and
// the CJC and wiring choices must mean something for the input type the device
// will have afterwards (the window disables those buttons otherwise). Returns
// the reason for the first one it cannot take, naming the setting.
std::optional<std::string> CheckForDevice(const std::vector<Assignment>& assignments, const Block& current);

void Apply(const Assignment& assignment, Block& block);
// True when the block holds exactly the assignment's bytes.
bool Holds(const Assignment& assignment, const Block& block);
// The field of `setting` read back from a block.
Assignment FieldOf(const config::SettingInfo& setting, const Block& block);

}  // namespace orv::cli
