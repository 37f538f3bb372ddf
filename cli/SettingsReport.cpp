#include "cli/SettingsReport.h"

#include <charconv>
#include <cmath>

#include "calib/ReadingRecorder.h"
#include "config/BlockHex.h"
#include "config/FloatText.h"
#include "config/InputTypeCatalogue.h"
#include "config/SettingText.h"

namespace orv::cli {

namespace {

using config::InfoOf;
using config::Setting;
using config::SettingInfo;

constexpr std::size_t kNameWidth = 18;

std::string ModelText(int model) {
    const auto* row = config::FindModel(model);
    return row ? std::string(row->listText) : "unknown";
}

std::string TypeText(int code) {
    const int row = config::RowOfCode(code);
    return row == config::kNoRow ? std::string() : std::string(config::InputTypes()[static_cast<std::size_t>(row)].modelText);
}

// A setting's value for a script: a word where the catalogue has one, else
// the number as held.
Json SettingJson(const SettingInfo& s, const Block& block) {
    if (s.encoding == config::Encoding::F32) return FloatJson(config::FloatField(s, block));
    const auto held = static_cast<std::int64_t>(config::ReadField(s, block));
    if (s.id == Setting::InputType) {
        const int row = config::RowOfCode(static_cast<int>(held));
        if (row != config::kNoRow) return std::string(config::InputTypes()[static_cast<std::size_t>(row)].word);
    } else if (const auto word = config::WordOf(s, static_cast<int>(held))) {
        return std::string(*word);
    }
    return held;
}

}  // namespace

Json FloatJson(float value) {
    // JSON has no NaN or infinity: such a value is text, as in a saved
    // configuration, so that a script sees every bit the device holds.
    if (!std::isfinite(value)) return config::NonFiniteFloatText(value);
    double d = 0;
    const std::string text = config::ShortestFloatText(value);
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
    const int model = static_cast<int>(config::ReadField(InfoOf(Setting::Model), block));
    std::string out = line(InfoOf(Setting::Model).word, std::to_string(model), "(" + ModelText(model) + ")");
    for (const SettingInfo* s : SettableSettings()) out += line(s->word, config::ValueText(*s, block), config::UnitIn(*s, block));
    return out;
}

Json SettingsJson(const Block& block) {
    const int model = static_cast<int>(config::ReadField(InfoOf(Setting::Model), block));
    const int type = static_cast<int>(config::ReadField(InfoOf(Setting::InputType), block));
    Json settings = Json::object();
    Json units = Json::object();
    for (const SettingInfo* s : SettableSettings()) {
        settings[std::string(s->word)] = SettingJson(*s, block);
        if (const auto unit = config::UnitIn(*s, block); !unit.empty()) units[std::string(s->word)] = unit;
    }
    Json calibration = Json::object();
    for (const SettingInfo& s : config::kSettings)
        if (s.group == config::SettingGroup::Calibration) calibration[std::string(s.word)] = SettingJson(s, block);
    return Json{{InfoOf(Setting::Model).word, {{"code", model}, {"name", ModelText(model)}}},
                {InfoOf(Setting::InputType).word, {{"code", type}, {"name", TypeText(type)}}},
                {"settings", settings},
                {"units", units},
                {"calibration", calibration},
                {"block", config::BlockHex(block)}};
}

std::string ReadingText(const std::string& port, const Reading& r, const Block& block) {
    std::string out = port + "  " + r.time + "  measured " + config::InRangeText(r.values.measured, block);
    if (const auto unit = config::UnitIn(InfoOf(Setting::RangeZero), block); !unit.empty()) out += " " + unit;
    return out + "  ambient " + config::InRangeText(r.values.ambient, block) + " " + std::string(config::kAmbientUnit) + "\n";
}

std::string ReadingCsv(const std::string& port, const Reading& r, const Block& block) {
    return calib::CsvLine(port, r.time, r.values, config::UnitIn(InfoOf(Setting::RangeZero), block)) + "\n";
}

Json ReadingJson(const Reading& r) {
    Json raw = Json::array();
    for (const auto v : r.values.raw) raw.push_back(v);
    return Json{{"time", r.time}, {"measured", FloatJson(r.values.measured)}, {"ambient", FloatJson(r.values.ambient)}, {"raw", raw}};
}

}  // namespace orv::cli
