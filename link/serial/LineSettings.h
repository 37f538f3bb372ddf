#pragma once
// The serial component's settings text, "1200, n, 8, 1": baud, parity, data
// bits, stop bits. Kept apart from the port so it can be checked on its own.
#include <optional>
#include <string>
#include <string_view>

namespace orv::link {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
    int baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Parses "baud,parity,data,stop" (spaces around the fields allowed, parity
// letter n/e/o/m/s in either case, data bits 5 to 8, stop bits 1, 1.5 or 2).
// Anything else gives no value.
std::optional<LineSettings> ParseLineSettings(std::string_view text);

// The transmitter's line, from the settings text the window gives its port.
LineSettings DeviceLineSettings();

// "1200 8N1", for messages.
std::string LineSettingsText(const LineSettings& settings);

}  // namespace orv::link
