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
//     "tool": "Orvane Revuvuvi 3.2.0",    // the program that saved it
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
// A file saved from a device means exactly what the device held, whatever
// that was. Floats are written as config/FloatText.h describes (non-finite
// ones as text). A device may hold a setting outside its range (erased
// memory, another firmware): a choice that is no word is saved as its byte
// ("cjcMode": 2), a number as it is, a model or input type code the tool does
// not know with an empty name. Reading keeps such values; applying a record
// leaves those settings as the device has them and names them, so nothing
// outside a setting's range is ever written and nothing is changed silently.
//
// Typical use (the window's Save and Open, the command line's read -o and write):
//
//   ConfigRecord rec{.tool = "...", .savedAt = IsoTimestampNow(), .fields = f, .block = raw};
//   std::string err = WriteFileAtomically(path, SerializeConfig(rec));     // empty: saved
//
//   ConfigLoad got = LoadConfigFile(path);          // got.error names the file and the reason
//   if (got.record) err = CheckModelAccepts(connectedModel, *got.record); // empty: fits the device
//   AppliedConfig a = ApplyConfig(*got.record, deviceFields, withCalibration);
//   // write a.fields as usual; tell the user about a.left
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The file's text. Every record can be saved, and the text reads back as the
// same record, bit for bit.
std::string SerializeConfig(const ConfigRecord& record);

// Reads a file's text. On failure the result is empty and reason says why in
// words a technician understands ("it is truncated", "\"settings.wireCount\"
// must be a whole number"). Besides malformed JSON and missing or ill-typed
// fields it refuses another format, a newer version, a key given twice, a
// value that no device field can hold (a byte of 300, a float beyond single
// precision), names or units that disagree with their codes, and more than
// kMaxConfigFileBytes of text. Values a field can hold but its setting does
// not allow are kept: see SettingsOutOfRange.
struct ConfigParse {
    std::optional<ConfigRecord> record;
    std::string reason;
};
ConfigParse ParseConfig(std::string_view text);

// Reads and parses a file; error is the whole message for the user, naming
// the file and the reason. Only a regular file is read, and opening one never
// waits (a named pipe is refused, not waited on). A file larger than 1 MiB is
// refused unread.
struct ConfigLoad {
    std::optional<ConfigRecord> record;
    std::string error;
};
ConfigLoad LoadConfigFile(const std::filesystem::path& file);

// A setting of a record that is not put on a device.
struct LeftSetting {
    std::string name;    // the file's name for it: "wireCount", "rangeZero", ...
    std::string reason;  // a phrase that names it: "wireCount is 0, outside 2 to 4"
};

// The record's settings whose values lie outside the setting's range: an
// input type its model does not offer (or no input type at all), a choice
// that is no word, a wiring or damping outside its list, a range end that is
// not a finite number. In the order the file lists them.
std::vector<LeftSetting> SettingsOutOfRange(const ConfigRecord& record);

// A record put onto the fields a device (or the window) holds now.
struct AppliedConfig {
    ParamFields fields;             // current with the record's settings in place
    std::vector<LeftSetting> left;  // settings left as current has them
};
// Takes the input type, CJC, wiring, range, damping, break alarm, output
// direction and offset; the model stays current's. Calibration constants and
// trims only when asked: they belong to one device's sensor and outputs, not
// to a type of installation. A setting outside its range is left, and so are
// the range ends and the offset when the input type is left and current's
// type measures in another unit. A setting current already holds exactly is
// never among the left ones: there is nothing to change.
AppliedConfig ApplyConfig(const ConfigRecord& record, const ParamFields& current, bool withCalibration);

// "wireCount is 0, outside 2 to 4; dampingLevel is 12, outside 0 to 9"
std::string DescribeLeft(const std::vector<LeftSetting>& left);

// Empty when the model (as the connected device reports it) offers the
// record's input type, or when that type is left anyway (outside its range);
// otherwise the reason, naming both.
std::string CheckModelAccepts(int model, const ConfigRecord& record);

// The unit of the range and offset for an input type code; empty for a code
// the catalogue does not know.
std::string_view UnitOfCode(int code);

// A moment in local time as 2026-12-09T01:02:03+01:00. The offset from UTC is
// worked out from the local and the UTC calendar time, so it needs no
// strftime %z (which some C libraries answer with the zone's name).
std::string IsoTimestamp(std::time_t when);
std::string IsoTimestampNow();
// The local time's offset from UTC at that moment, in minutes.
int UtcOffsetMinutes(std::time_t when);

// Writes text to a temporary file beside target and renames it over target,
// so a crash, a kill or a full disk leaves either the old file or the new
// one, never half of one, and no temporary file behind. A symbolic link is
// saved through, to the file it names, and a file replaced keeps its
// permissions. Returns an empty string on success, else the whole message
// ("Cannot save \"FILE\": REASON").
std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view text);

}  // namespace orv::config
