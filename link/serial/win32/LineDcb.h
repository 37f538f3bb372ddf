#pragma once
// The line settings as a Win32 device control block, for every program that
// opens a COM port: the window's serial component and the command line's line
// must set a port up the same way.
#include <windows.h>

#include "link/serial/LineSettings.h"

namespace orv::link {

// Fills in what the settings decide and turns every handshake off, raising
// DTR and RTS; the rest of dcb (as GetCommState gave it) is kept.
void PutLineSettings(DCB& dcb, const LineSettings& line);

}  // namespace orv::link
