#pragma once
namespace orv::cli {
#ifdef ORVANE_VERSION
inline constexpr const char* kVersion = ORVANE_VERSION;
#else
inline constexpr const char* kVersion = "unknown";
#endif
}  // namespace orv::cli
