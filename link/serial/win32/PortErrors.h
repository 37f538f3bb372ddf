#pragma once
// The texts the Win32 serial component raises: the port's name and the kind
// of trouble first, in words a technician acts on, then the system's own
// description (FormatMessage), as UTF-8.
#include <windows.h>

#include <string>

namespace orv::link {

// The system's description of an error code, without the trailing newline.
std::string SystemErrorText(DWORD code);
// Opening or configuring `port` ("COM3") failed with `code`.
std::string PortErrorText(const std::string& port, DWORD code);
// The open port failed under the reader: the device or cable is gone.
std::string PortRemovedText(const std::string& port, DWORD code);

}  // namespace orv::link
