#pragma once
// The values bound to the window's controls: four radio-group indices and
// thirty-one texts, moved to and from the controls all at once.
#include <array>
#include <map>
#include <string>

namespace orv::app {

struct WindowSettings {
    int cjc = -1;              // 1006, 1007
    int wiring = -1;           // 1008, 1009, 1010
    int breakAlarm = -1;       // 1011, 1012
    int outputDirection = -1;  // 1045, 1046

    // Every bound edit and label by control id; all start empty.
    std::map<int, std::string> texts;

    WindowSettings();
    std::string& Text(int id);              // throws std::out_of_range for an unbound id
    const std::string& Text(int id) const;
};

// The bound text controls, in exchange order.
extern const std::array<int, 31> kBoundTextIds;

}  // namespace orv::app
