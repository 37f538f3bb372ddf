#pragma once
// Reading a small file the user named, safely: only a regular file is read,
// and opening one never waits (a named pipe or a device is refused at once,
// not waited on), so a wrong choice in a file dialog cannot hang a window.
#include <cstddef>
#include <filesystem>
#include <string>

namespace orv::config {

struct RegularFileText {
    std::string text;   // at most limit + 1 bytes: one more says the file is larger
    std::string error;  // why it was not read, as a phrase ("it is a folder, not a file"); empty when read
};

RegularFileText ReadRegularFile(const std::filesystem::path& file, std::size_t limit);

}  // namespace orv::config
