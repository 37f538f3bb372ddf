#pragma once
// The parameter block as text, the way files, JSON documents and reports
// show it: 36 bytes, each as two lowercase hexadecimal digits, separated by
// single spaces ("05 00 01 03 ...").
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/ParamImage.h"

namespace orv::config {

std::string BlockHex(std::span<const std::uint8_t, kParamBlockSize> block);

// Reads it back in either case, with any spaces between bytes (files are
// edited by hand). Nothing unless the text holds exactly 36 bytes.
std::optional<std::array<std::uint8_t, kParamBlockSize>> BlockFromHex(std::string_view text);

}  // namespace orv::config
