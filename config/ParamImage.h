#pragma once
// The device's 36-byte parameter block as the tool keeps it for writes.
#include <array>
#include <cstddef>
#include <cstdint>

namespace orv::config {

inline constexpr std::size_t kParamBlockSize = 36;

struct ParamImage {
    std::array<std::uint8_t, kParamBlockSize> bytes{};
};

}  // namespace orv::config
