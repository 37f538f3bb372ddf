#pragma once
// Walking the part of sysfs that shows cp210x bridges. Everything is resolved
// inside one root: links that lead out of it, or nowhere, are ignored, and
// attribute files are read with a size cap, so a strange tree can neither
// send discovery elsewhere nor make it read or wait for more than it needs.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orv::discovery::sysfs {

struct BridgeTty {
    unsigned number = 0;                   // n of ttyUSBn
    std::filesystem::path interfaceDir;    // holds bInterfaceNumber
    std::filesystem::path deviceDir;       // holds idVendor, idProduct, serial
};

// The ttys bound to the cp210x driver under root, ordered by tty number.
// root must already be canonical.
std::vector<BridgeTty> ListBridgeTtys(const std::filesystem::path& root);

// The canonical form of root, or nullopt when it does not exist.
std::optional<std::filesystem::path> CanonicalRoot(const std::string& root);

// The first maxBytes bytes of a regular file inside root, with one trailing
// newline removed; nullopt when it is missing, outside root, not a regular
// file or unreadable.
std::optional<std::string> ReadAttribute(const std::filesystem::path& root, const std::filesystem::path& file,
                                         std::size_t maxBytes);

// A sysfs number attribute in hexadecimal ("10c4"), at most 4 digits.
std::optional<std::uint16_t> ReadHex16(const std::filesystem::path& root, const std::filesystem::path& file);

// Longest serial attribute read; anything this long is far beyond what the
// library's area holds, so the rest of the file is never needed.
inline constexpr std::size_t kSerialReadLimit = 255;

}  // namespace orv::discovery::sysfs
