#include "link/serial/PortNaming.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace orv::link {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "COM";
// Far beyond any port list; keeps the number inside an int.
constexpr std::size_t kMaxDigits = 6;

// k of a folder entry named COMk, k of 1 or more.
std::optional<int> LinkNumber(const std::string& name) {
    if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) return std::nullopt;
    const std::string_view digits = std::string_view(name).substr(kPrefix.size());
    if (digits.size() > kMaxDigits || digits[0] == '0') return std::nullopt;
    int k = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        k = k * 10 + (c - '0');
    }
    return k;
}

}  // namespace

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

std::vector<PortLink> PortLinks(const fs::path& folder) {
    std::vector<PortLink> links;
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return links;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto k = LinkNumber(it->path().filename().string());
        if (!k || !it->is_symlink(ec)) continue;
        const fs::path target = fs::read_symlink(it->path(), ec);
        if (ec || target.empty()) continue;
        links.push_back({*k, (target.is_absolute() ? target : folder / target).string()});
    }
    std::sort(links.begin(), links.end(), [](const PortLink& a, const PortLink& b) { return a.port < b.port; });
    return links;
}

int PortNumberOf(const fs::path& folder, const fs::path& device, int unlinkedPort) {
    // Without a device node no link can lead to it; its unlinked name may
    // still be the right one.
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    const bool deviceExists = !ec;

    // A link counts as its name does when the port is opened: a dangling one
    // or one to another device sends its number elsewhere.
    int lowest = -1;
    bool unlinkedTaken = false;
    if (!folder.empty()) {
        fs::directory_iterator it(folder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            const auto k = LinkNumber(it->path().filename().string());
            std::error_code linkEc;
            if (!k || !fs::is_symlink(fs::symlink_status(it->path(), linkEc))) continue;
            if (*k == unlinkedPort) unlinkedTaken = true;
            std::error_code resolveEc;
            const fs::path resolved = fs::canonical(it->path(), resolveEc);
            if (deviceExists && !resolveEc && resolved == target && (lowest < 0 || *k < lowest)) lowest = *k;
        }
    }
    if (lowest > 0) return lowest;
    return unlinkedTaken || unlinkedPort < 1 ? -1 : unlinkedPort;
}

}  // namespace orv::link
