#pragma once
// The JSON document as printed. A file name, port path or word from the
// command line may be any bytes; JSON text is UTF-8. Each byte that is not
// part of valid UTF-8 is written as the four characters \xHH (a backslash,
// x and two lowercase hexadecimal digits), so the document is always printed
// and a script can still tell which bytes the name held.
#include <string>
#include <string_view>

#include "cli/SettingsReport.h"

namespace orv::cli {

// The text with each byte outside valid UTF-8 written as \xHH.
std::string ValidUtf8(std::string_view text);

// The document, indented by two, every string and key made valid UTF-8.
std::string DumpJson(const Json& document);

}  // namespace orv::cli
