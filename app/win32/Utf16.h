#pragma once
// The core speaks UTF-8; the Win32 edge speaks UTF-16.
#include <string>
#include <string_view>

namespace orv::app::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace orv::app::win32
