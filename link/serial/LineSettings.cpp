#include "link/serial/LineSettings.h"

#include <array>
#include <cctype>
#include <charconv>

#include "protocol/LineFormat.h"

namespace orv::link {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

std::optional<int> Number(std::string_view s) {
    if (s.empty() || s.size() > 9) {
        return std::nullopt;  // nine digits cannot overflow an int
    }
    for (char c : s) {
        if (c < '0' || c > '9') {
            return std::nullopt;  // no sign, no blanks inside
        }
    }
    int value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text) {
    std::array<std::string_view, 4> field;
    std::size_t count = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        if (count == field.size()) {
            return std::nullopt;  // a fifth field
        }
        field[count++] = Trim(text.substr(0, comma));
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (count != field.size()) {
        return std::nullopt;
    }

    LineSettings out;
    const auto baud = Number(field[0]);
    if (!baud || *baud == 0) {
        return std::nullopt;
    }
    out.baud = *baud;

    if (field[1].size() != 1) {
        return std::nullopt;
    }
    switch (std::tolower(static_cast<unsigned char>(field[1][0]))) {
    case 'n': out.parity = Parity::None; break;
    case 'e': out.parity = Parity::Even; break;
    case 'o': out.parity = Parity::Odd; break;
    case 'm': out.parity = Parity::Mark; break;
    case 's': out.parity = Parity::Space; break;
    default: return std::nullopt;
    }

    const auto data = Number(field[2]);
    if (!data || *data < 5 || *data > 8) {
        return std::nullopt;
    }
    out.dataBits = *data;

    if (field[3] == "1") {
        out.stopBits = StopBits::One;
    } else if (field[3] == "1.5") {
        out.stopBits = StopBits::OneAndHalf;
    } else if (field[3] == "2") {
        out.stopBits = StopBits::Two;
    } else {
        return std::nullopt;
    }
    return out;
}

LineSettings DeviceLineSettings() { return *ParseLineSettings(protocol::kLineSettingsText); }

std::string LineSettingsText(const LineSettings& settings) {
    static constexpr char kParity[] = {'N', 'E', 'O', 'M', 'S'};
    static constexpr const char* kStop[] = {"1", "1.5", "2"};
    return std::to_string(settings.baud) + ' ' + std::to_string(settings.dataBits) +
           kParity[static_cast<int>(settings.parity)] + kStop[static_cast<int>(settings.stopBits)];
}

}  // namespace orv::link
