#pragma once
// What "read" and "measure" print: the settings by the catalogue's words, so
// a line of the text output is also a valid argument of "set", and the
// readings as text, CSV (the recording's one layout) and JSON.
#include <nlohmann/json.hpp>
#include <string>

#include "cli/SettingNames.h"
#include "protocol/MeasureBlock.h"

namespace orv::cli {

using Json = nlohmann::ordered_json;

// Aligned "word value unit" lines, model first.
std::string SettingsText(const Block& block);
// {"model": {...}, "inputType": {...}, "settings": {word: value}, "units": {...},
//  "calibration": {...}, "block": "hex"}, in the configuration file's words.
Json SettingsJson(const Block& block);

// A float as the shortest decimal that reads back as the same float, so a
// script that copies a value back writes exactly what the device holds; a
// value that is no finite number as the text config/FloatText.h gives it.
Json FloatJson(float value);

// One reading for measure's text, CSV and JSON outputs; the time is local
// with its offset from UTC, as the window's recordings have it.
struct Reading {
    std::string time;
    protocol::MeasureBlock values;
};
std::string ReadingText(const std::string& port, const Reading& r, const Block& block);
std::string ReadingCsv(const std::string& port, const Reading& r, const Block& block);
Json ReadingJson(const Reading& r);

}  // namespace orv::cli
