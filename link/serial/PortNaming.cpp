#include "link/serial/PortNaming.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace orv::link {

namespace {

namespace fs = std::filesystem;

// A relative XDG_CONFIG_HOME is ignored, as the base directory convention
// asks: it would make the mapping depend on where the tool was started.
fs::path PortFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0' && fs::path(xdg).is_absolute()) {
        return fs::path(xdg) / "orvane" / "ports";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home) / ".config" / "orvane" / "ports";
    }
    return {};
}

}  // namespace

std::string DefaultPortPath(int port) {
    const fs::path folder = PortFolder();
    if (!folder.empty()) {
        const fs::path link = folder / ("COM" + std::to_string(port));
        std::error_code ec;
        // A dangling link still names its target: opening it then fails with
        // the system's own reason, which tells the technician more than a
        // silent fall-back to another device would.
        if (fs::is_symlink(fs::symlink_status(link, ec))) {
            const fs::path target = fs::read_symlink(link, ec);
            if (!ec && !target.empty()) {
                return (target.is_absolute() ? target : folder / target).string();
            }
        }
    }
    if (port >= 1) {
        return "/dev/ttyUSB" + std::to_string(port - 1);
    }
    return {};
}

}  // namespace orv::link
