#pragma once
// The folder the program keeps the user's own settings in, the platform's
// usual place: $XDG_CONFIG_HOME/orvane (~/.config/orvane when that is unset)
// on Linux, %APPDATA%\Orvane on Windows. The Windows uninstaller removes
// what the program writes there by these names, so a file added here is
// added to it too (packaging/windows/NSIS.template.in).
#include <filesystem>

namespace orv::app {

inline constexpr char kCheckSetupFileName[] = "check-setup.json";

// Empty when the environment names no such place.
std::filesystem::path UserConfigFolder();

}  // namespace orv::app
