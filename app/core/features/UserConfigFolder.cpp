#include "app/core/features/UserConfigFolder.h"

#include <cstdlib>

namespace orv::app {

#if defined(_WIN32)
std::filesystem::path UserConfigFolder() {
    // The wide variable: a user name outside the ANSI code page stays whole.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData) return {};
    return std::filesystem::path(appData) / L"Orvane";
}
#else
std::filesystem::path UserConfigFolder() {
    // A relative XDG_CONFIG_HOME is to be ignored: it would depend on the
    // folder the program was started in.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "orvane";
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return {};
    return std::filesystem::path(home) / ".config" / "orvane";
}
#endif

}  // namespace orv::app
