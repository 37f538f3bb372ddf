#pragma once
// The platform version word as GetVersion reports it: what picks the
// registry lookup (the answer depends on the program's manifest).
#include <cstdint>

namespace orv::discovery {

std::uint32_t PlatformVersionWord();

}  // namespace orv::discovery
