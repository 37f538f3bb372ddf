#pragma once
// The resource table (res/dialogs.txt) as compiled into the program; the
// build generates its definition from the file.
#include <string_view>

namespace orv::app::win32 {

std::string_view BuiltinResourceText();

}  // namespace orv::app::win32
