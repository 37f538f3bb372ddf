#pragma once
// The serial line of the platform the program runs on: termios on POSIX
// systems, the Win32 communications API on Windows.
#include <memory>

#include "link/line/SerialLine.h"

namespace orv::link {

std::unique_ptr<SerialLine> MakeSerialLine();

}  // namespace orv::link
