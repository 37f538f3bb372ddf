#pragma once
// File names from the command line are UTF-8 on every platform (the Windows
// program converts its arguments); a std::string would be read in the ANSI
// code page there.
#include <filesystem>
#include <string>

namespace orv::cli {

inline std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace orv::cli
