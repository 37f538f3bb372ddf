#pragma once
// The certificate of a calibration check, printed from its record alone.
#include "app/win32/Win32Api.h"

#include <string>

#include "calib/CheckRecord.h"

namespace orv::app::win32 {

// Through the print dialog, owned by owner. Empty when printed or
// cancelled, else the message.
std::string PrintCertificate(HWND owner, const calib::CheckRecord& record);

}  // namespace orv::app::win32
