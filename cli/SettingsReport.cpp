#include "cli/SettingsReport.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>

#include "config/InputTypeCatalogue.h"
#include "config/ParamFields.h"

namespace orv::cli {

namespace {

constexpr std::size_t kNameWidth = 18;

std::string Hex(const Block& block) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (i) out += ' ';
        out += digits[block[i] >> 4];
        out += digits[block[i] & 15];
    }
    return out;
}

std::string ModelText(std::uint8_t model) {
    const auto* row = config::FindModel(model);
    return row ? std::string(row->listText) : "unknown";
}

std::string AmbientUnit(const Block& block) {
    const int row = config::RowOfCode(block[config::offset::inputType]);
    return row == config::kNoRow ? std::string() : std::string(config::InputTypes()[static_cast<std::size_t>(row)].ambientUnit);
}

// CSV fields never hold a comma or quote of their own except the port,
// which a path could; quote it when needed.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string ShortestFloat(float value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string("nan");
}

Json FloatJson(float value) {
    // JSON has no NaN or infinity; a device holding one reports null.
    if (!std::isfinite(value)) return nullptr;
    double d = 0;
    const std::string text = ShortestFloat(value);
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

std::string SettingsText(const Block& block) {
    auto line = [](std::string_view name, const std::string& value, const std::string& unit) {
        std::string out(name);
        out.resize(std::max(out.size() + 1, kNameWidth), ' ');
        out += value;
        if (!unit.empty()) out += " " + unit;
        return out + "\n";
    };
    const std::uint8_t model = block[config::offset::model];
    std::string out = line("model", std::to_string(model), "(" + ModelText(model) + ")");
    for (const auto& s : AllSettings()) out += line(s.name, ValueText(s.id, block), UnitOf(s.id, block));
    return out;
}

Json SettingsJson(const Block& block) {
    const auto f = config::ParamFields::Read(block);
    Json settings = Json::object();
    Json units = Json::object();
    for (const auto& s : AllSettings()) {
        switch (s.id) {
            case Setting::RangeZero: settings[s.name] = FloatJson(f.rangeZero); break;
            case Setting::RangeFull: settings[s.name] = FloatJson(f.rangeFull); break;
            case Setting::Wiring: settings[s.name] = f.wireCount; break;
            case Setting::Offset: settings[s.name] = f.offsetCorrection; break;
            case Setting::Damping: settings[s.name] = f.dampingLevel; break;
            default: settings[s.name] = ValueText(s.id, block); break;
        }
        if (const auto unit = UnitOf(s.id, block); !unit.empty()) units[s.name] = unit;
    }
    Json calibration = {
        {"resistanceCal", FloatJson(f.resistanceCal)}, {"millivoltCal", f.millivoltCal},
        {"ambientCal", f.ambientCal},                  {"voltageCal", f.voltageCal},
        {"currentCal", f.currentCal},                  {"out1ZeroTrim", f.out1ZeroTrim},
        {"out1FullTrim", f.out1FullTrim},              {"out2ZeroTrim", f.out2ZeroTrim},
        {"out2FullTrim", f.out2FullTrim},
    };
    return Json{{"model", {{"code", f.model}, {"name", ModelText(f.model)}}},
                {"input-type-code", f.inputType},
                {"settings", settings},
                {"units", units},
                {"calibration", calibration},
                {"block", Hex(block)}};
}

std::string UtcTimestampNow() {
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
#if defined(_WIN32)
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
    return text;
}

std::string ReadingText(const std::string& port, const Reading& r, const Block& block) {
    std::string out = port + "  " + r.time + "  measured " + FormatInRange(r.values.measured, block);
    if (const auto unit = UnitOf(Setting::RangeZero, block); !unit.empty()) out += " " + unit;
    out += "  ambient " + FormatInRange(r.values.ambient, block);
    if (const auto unit = AmbientUnit(block); !unit.empty()) out += " " + unit;
    return out + "\n";
}

std::string CsvHeader() { return "port,time,measured,unit,ambient,rv0,rv1,rv2,rv3,rv4\n"; }

std::string ReadingCsv(const std::string& port, const Reading& r, const Block& block) {
    std::string out = CsvField(port) + "," + r.time + "," + ShortestFloat(r.values.measured) + "," +
                      UnitOf(Setting::RangeZero, block) + "," + ShortestFloat(r.values.ambient);
    for (const auto raw : r.values.raw) out += "," + std::to_string(raw);
    return out + "\n";
}

Json ReadingJson(const Reading& r) {
    Json raw = Json::array();
    for (const auto v : r.values.raw) raw.push_back(v);
    return Json{{"time", r.time}, {"measured", FloatJson(r.values.measured)}, {"ambient", FloatJson(r.values.ambient)}, {"raw", raw}};
}

}  // namespace orv::cli
