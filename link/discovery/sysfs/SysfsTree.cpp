#include "link/discovery/sysfs/SysfsTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace orv::discovery::sysfs {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTtyPrefix = "ttyUSB";
// ttyUSB numbers are small; the limit keeps n + 1 far inside an int.
constexpr std::size_t kMaxTtyDigits = 6;

bool WithinRoot(const fs::path& root, const fs::path& path) {
    auto r = root.begin();
    auto p = path.begin();
    for (; r != root.end(); ++r, ++p) {
        // A trailing empty component ("/sys/") matches anything.
        if (r->empty()) continue;
        if (p == path.end() || *p != *r) return false;
    }
    return true;
}

std::optional<unsigned> TtyNumber(const std::string& name) {
    if (name.size() <= kTtyPrefix.size() || name.compare(0, kTtyPrefix.size(), kTtyPrefix) != 0) return std::nullopt;
    const std::string_view digits = std::string_view(name).substr(kTtyPrefix.size());
    if (digits.size() > kMaxTtyDigits) return std::nullopt;
    unsigned number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

// Resolves every link in path and accepts the result only inside root.
std::optional<fs::path> ResolveInside(const fs::path& root, const fs::path& path) {
    std::error_code ec;
    fs::path resolved = fs::canonical(path, ec);
    if (ec || !WithinRoot(root, resolved)) return std::nullopt;
    return resolved;
}

}  // namespace

std::optional<fs::path> CanonicalRoot(const std::string& root) {
    std::error_code ec;
    fs::path resolved = fs::canonical(root, ec);
    if (ec) return std::nullopt;
    return resolved;
}

std::vector<BridgeTty> ListBridgeTtys(const fs::path& root) {
    std::vector<BridgeTty> ttys;
    const auto driver = ResolveInside(root, root / "bus" / "usb-serial" / "drivers" / "cp210x");
    if (!driver) return ttys;

    std::error_code ec;
    fs::directory_iterator it(*driver, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const auto number = TtyNumber(it->path().filename().string());
        if (!number) continue;
        const auto tty = ResolveInside(root, it->path());
        if (!tty) continue;
        std::error_code typeEc;
        if (!fs::is_directory(*tty, typeEc)) continue;
        BridgeTty entry;
        entry.number = *number;
        entry.interfaceDir = tty->parent_path();
        entry.deviceDir = entry.interfaceDir.parent_path();
        // A tty sitting right under the root has no device directory inside it.
        if (entry.deviceDir == root || !WithinRoot(root, entry.deviceDir)) continue;
        ttys.push_back(std::move(entry));
    }
    std::sort(ttys.begin(), ttys.end(), [](const BridgeTty& a, const BridgeTty& b) { return a.number < b.number; });
    return ttys;
}

std::optional<std::string> ReadAttribute(const fs::path& root, const fs::path& file, std::size_t maxBytes) {
    const auto resolved = ResolveInside(root, file);
    if (!resolved) return std::nullopt;

    // Non-blocking and no-follow: a FIFO or a link swapped in after the check
    // must not stall start-up or lead elsewhere.
    const int fd = ::open(resolved->c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }

    std::string text(maxBytes, '\0');
    std::size_t used = 0;
    while (used < maxBytes) {
        const ssize_t got = ::read(fd, text.data() + used, maxBytes - used);
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    text.resize(used);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::optional<std::uint16_t> ReadHex16(const fs::path& root, const fs::path& file) {
    // Four digits and a newline; a longer file is not an id.
    const auto text = ReadAttribute(root, file, 8);
    if (!text || text->empty() || text->size() > 4) return std::nullopt;
    std::uint16_t value = 0;
    for (const char c : *text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
        else return std::nullopt;
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

}  // namespace orv::discovery::sysfs
