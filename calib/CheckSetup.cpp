#include "calib/CheckSetup.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace orv::calib {

namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing past U+10FFFF. A record is JSON, which holds nothing else.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t len;
        std::uint32_t cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2, cp = b & 0x1Fu;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3, cp = b & 0x0Fu;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4, cp = b & 0x07u;
        } else {
            return false;
        }
        if (i + len > text.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3Fu);
        }
        constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kShortest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

bool IsDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    int parts[3] = {};
    const std::string_view fields[3] = {text.substr(0, 4), text.substr(5, 2), text.substr(8, 2)};
    for (int k = 0; k < 3; ++k) {
        for (char c : fields[k])
            if (c < '0' || c > '9') return false;
        std::from_chars(fields[k].data(), fields[k].data() + fields[k].size(), parts[k]);
    }
    const int year = parts[0], month = parts[1], day = parts[2];
    if (month < 1 || month > 12 || day < 1) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

std::vector<float> PlannedPoints(const CheckSetup& setup) {
    std::vector<float> planned = setup.points;
    if (setup.downwards && setup.points.size() > 1)
        for (std::size_t k = setup.points.size() - 1; k-- > 0;) planned.push_back(setup.points[k]);
    return planned;
}

std::vector<std::string> SetupProblems(const CheckSetup& s) {
    std::vector<std::string> problems;
    if (s.points.empty()) problems.push_back("The list of test points is empty: give at least one, in % of the range.");
    if (s.points.size() > kMaxPoints)
        problems.push_back("The list holds " + std::to_string(s.points.size()) + " test points; at most " +
                           std::to_string(kMaxPoints) + " are allowed.");
    for (float p : s.points)
        if (!(p >= 0.0f && p <= 100.0f)) {
            problems.push_back("The test point " + FloatText(p) + " % is outside 0 to 100 % of the range.");
            break;
        }
    if (!(s.tolerance > 0.0f && s.tolerance <= 100.0f))
        problems.push_back("The tolerance must be above 0 and at most 100 % of span, not " + FloatText(s.tolerance) +
                           " %.");
    if (s.readings < 1 || s.readings > kMaxReadings)
        problems.push_back("The readings per point must be 1 to " + std::to_string(kMaxReadings) + ", not " +
                           std::to_string(s.readings) + ".");
    else if (s.settleSeconds < s.readings || s.settleSeconds > kMaxSettleSeconds)
        problems.push_back("The settle time must be from " + std::to_string(s.readings) + " s (one reading a second) to " +
                           std::to_string(kMaxSettleSeconds) + " s, not " + std::to_string(s.settleSeconds) + " s.");
    if (!s.reference.dueDate.empty() && !IsDate(s.reference.dueDate))
        problems.push_back("The reference's certificate due date \"" +
                           std::string(IsUtf8(s.reference.dueDate) ? s.reference.dueDate : "?") +
                           "\" is not a date written as YYYY-MM-DD.");
    const struct {
        const char* what;
        const std::string* text;
    } texts[] = {{"reference instrument's name", &s.reference.name},
                 {"reference instrument's serial number", &s.reference.serial},
                 {"technician's name", &s.technician},
                 {"tag", &s.tag},
                 {"location", &s.location}};
    for (const auto& t : texts)
        if (!IsUtf8(*t.text)) problems.push_back(std::string("The ") + t.what + " is not valid UTF-8 text.");
    return problems;
}

bool ReferenceOverdue(const CheckSetup& setup, std::string_view today) {
    // Dates written YYYY-MM-DD compare as text.
    return !setup.reference.dueDate.empty() && today.substr(0, 10) > setup.reference.dueDate;
}

std::optional<float> ParseNumber(std::string_view text) {
    text = Trim(text);
    // from_chars takes no plus sign; a person may type one.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    float value = 0.0f;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

ParsedPoints ParsePointList(std::string_view text) {
    ParsedPoints out;
    if (Trim(text).empty()) {
        out.error = "The list of test points is empty: give at least one, in % of the range.";
        return out;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        const auto value = ParseNumber(part);
        if (!value) {
            const std::string_view shown = Trim(part);
            out.error = "\"" + std::string(IsUtf8(shown) ? shown : "?") +
                        "\" in the list of test points is not a number (write them as 0,25,50,75,100).";
            out.points.clear();
            return out;
        }
        out.points.push_back(*value);
        if (comma == std::string_view::npos) return out;
        text.remove_prefix(comma + 1);
    }
}

std::string FloatText(float value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    return std::string(buf, end);
}

}  // namespace orv::calib
