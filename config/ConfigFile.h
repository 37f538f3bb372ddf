#pragma once
// A device's configuration kept in a file, so one transmitter's settings can
// be put on another and kept with the plant's records.
//
// The file is JSON, indented, one setting per line, so a person can read it
// and a diff shows what changed between two devices:
//
//   {
//     "format": "orvane-configuration",  // refused when different
//     "version": 1,                      // refused when newer than kConfigVersion
//     "tool": "Orvane Revuvuvi 3.02",    // the program that saved it
//     "saved": "2026-12-09T01:02:03+01:00",
//     "model": {"code": 5, "name": "QV-UN2：万能输入：双输出"},
//     "inputType": {"code": 0, "name": "TC- K"},
//     "settings": {
//       "cjcMode": "internal" | "external-cu50",
//       "wireCount": 2..4,
//       "rangeZero": {"value": 0.0, "unit": "℃"},
//       "rangeFull": {"value": 1300.0, "unit": "℃"},
//       "dampingLevel": 0..9,             // 0 is the pass filter
//       "breakAlarm": "low" | "high",
//       "outputDirection": "4-20mA" | "20-4mA",
//       "offsetCorrection": {"value": -128..127, "unit": "℃"}
//     },
//     "calibration": {                   // device values, as the block holds them
//       "resistanceCal": float (the shown value times 50),
//       "millivoltCal": int16, "ambientCal": uint16, "voltageCal": int16,
//       "currentCal": int16, "out1ZeroTrim": uint16, "out1FullTrim": uint16,
//       "out2ZeroTrim": uint16, "out2FullTrim": uint16
//     },
//     "block": "05 00 01 ..."            // the 36 bytes as read, hex
//   }
//
// The named values are what a file means: a person may edit them, and
// applying a file uses them. "block" is the record of what the device held
// when it was read; it must be well formed but is never written anywhere.
// Names ("name", "unit") are written for the reader and checked against the
// codes on reading, so a file edited by hand cannot say one thing and mean
// another.
//
// Typical use (the window's Save and Open, the command line's read -o and write):
//
//   ConfigRecord rec{.tool = "...", .savedAt = IsoTimestampNow(), .fields = f, .block = raw};
//   std::string err = WriteFileAtomically(path, SerializeConfig(rec));     // empty: saved
//
//   ConfigLoad got = LoadConfigFile(path);          // got.error names the file and the reason
//   if (got.record) err = CheckModelAccepts(connectedModel, *got.record); // empty: fits the device
//   ApplyConfig(*got.record, image, withCalibration);  // then write the block as usual
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/ParamFields.h"
#include "config/ParamImage.h"

namespace orv::config {

inline constexpr std::string_view kConfigFormat = "orvane-configuration";
inline constexpr int kConfigVersion = 1;
inline constexpr std::size_t kMaxConfigFileBytes = 1u << 20;  // 1 MiB

struct ConfigRecord {
    std::string tool;      // program and version that saved the file
    std::string savedAt;   // ISO 8601 with the offset from UTC
    ParamFields fields;    // model, input type, every setting, calibration and trims
    std::array<std::uint8_t, kParamBlockSize> block{};  // as read from the device
};

// The file's text. Fails only for a record no device could hold: a model
// outside 0..5 or an input type code the catalogue does not know (throws
// std::invalid_argument), since such a file could never be opened again.
std::string SerializeConfig(const ConfigRecord& record);

// Reads a file's text. On failure the result is empty and reason says why in
// words a technician understands ("it is truncated", "\"settings.wireCount\"
// is 7, outside 2 to 4"). Besides malformed JSON and missing or ill-typed
// fields it refuses another format, a newer version, values outside their
// field's range, an input type the file's own model does not offer, and more
// than kMaxConfigFileBytes of text.
struct ConfigParse {
    std::optional<ConfigRecord> record;
    std::string reason;
};
ConfigParse ParseConfig(std::string_view text);

// Reads and parses a file; error is the whole message for the user, naming
// the file and the reason. A file larger than 1 MiB is refused unread.
struct ConfigLoad {
    std::optional<ConfigRecord> record;
    std::string error;
};
ConfigLoad LoadConfigFile(const std::filesystem::path& file);

// Empty when the model (0..5, as the connected device reports it) offers the
// record's input type; otherwise the reason, naming both.
std::string CheckModelAccepts(int model, const ConfigRecord& record);

// Puts the record's settings into fields: input type, CJC, wiring, range,
// damping, break alarm, output direction and offset. The model stays the
// device's own. Calibration constants and trims only when asked: they belong
// to one device's sensor and outputs, not to a type of installation.
void ApplyConfig(const ConfigRecord& record, ParamFields& fields, bool withCalibration);
void ApplyConfig(const ConfigRecord& record, ParamImage& image, bool withCalibration);

// The unit of the range and offset for an input type code; empty for a code
// the catalogue does not know.
std::string_view UnitOfCode(int code);

// Now, local time, as 2026-12-09T01:02:03+01:00.
std::string IsoTimestampNow();

// Writes text to a temporary file beside target and renames it over target,
// so a crash or a full disk leaves either the old file or the new one, never
// half of one. Returns an empty string on success, else the reason. The
// writer is for tests that need a disk that fills up: it receives the
// temporary file's path and the text and returns the reason it failed, or an
// empty string.
using FileWriter = std::function<std::string(const std::filesystem::path&, std::string_view)>;
std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view text,
                                const FileWriter& writer = {});

}  // namespace orv::config
