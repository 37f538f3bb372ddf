#pragma once
// The main settings as they stood at the last encode; "Load Buffer" restores them.
#include <string>

namespace orv::config {

struct SettingsBuffer {
    int inputType = -1;        // input type list selection
    int cjc = -1;              // CJC radio index
    int wiring = -1;           // wiring radio index
    std::string zeroText;      // text of the range low edit
    std::string fullText;      // text of the range high edit
    int damping = 0;           // damping selection clamped to 0..15
    int breakAlarm = -1;       // break-alarm radio index
    int outputDirection = -1;  // current-output radio index
};

}  // namespace orv::config
