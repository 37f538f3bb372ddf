#pragma once
// What "read" prints: the settings by their command-line names, so a line of
// the text output is also a valid argument of "set".
#include <nlohmann/json.hpp>
#include <string>

#include "cli/SettingNames.h"
#include "protocol/MeasureBlock.h"

namespace orv::cli {

using Json = nlohmann::ordered_json;

// Aligned "name value unit" lines, model first.
std::string SettingsText(const Block& block);
// {"model": {...}, "settings": {name: value}, "units": {...}, "calibration": {...}, "block": "hex"}
Json SettingsJson(const Block& block);

// A float as the shortest decimal that reads back as the same float, so a
// script that copies a value back writes exactly what the device holds; a
// value that is no finite number as the text config/FloatText.h gives it.
Json FloatJson(float value);
std::string ShortestFloat(float value);

// "2026-12-09T01:02:03.456Z"
std::string UtcTimestampNow();

// One reading for measure's text, CSV and JSON outputs.
struct Reading {
    std::string time;
    protocol::MeasureBlock values;
};
std::string ReadingText(const std::string& port, const Reading& r, const Block& block);
std::string CsvHeader();
std::string ReadingCsv(const std::string& port, const Reading& r, const Block& block);
Json ReadingJson(const Reading& r);

}  // namespace orv::cli
