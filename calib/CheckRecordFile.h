#pragma once
// A calibration check's record kept in a file: for the plant's records
// system, and for printing the certificate again later. JSON, indented:
//
//   {
//     "format": "orvane-calibration-check",   // refused when different
//     "version": 1,                           // refused when newer than kCheckRecordVersion
//     "tool": "Orvane Revuvuvi 3.2.0", "saved": "2026-12-09T10:42:00+01:00",
//     "result": "pass" | "fail" | "incomplete",   // the device as left
//     "setup": {"points": [0, 25, 50, 75, 100], "downwards": false, "tolerance": 0.25,
//               "readings": 5, "settleTime": 60,
//               "reference": {"name": "...", "serial": "...", "due": "2027-06-30"},
//               "technician": "...", "tag": "...", "location": "..."},
//     "runs": [{
//       "kind": "as-found" | "as-left", "started": "2026-...", "result": "fail",
//       "stopped": "",                        // why it ended early; empty when it did not
//       "unit": "℃",
//       "settings": {"model": 5, "inputType": "tc-k", "cjcMode": "internal", ...},
//       "block": "05 00 01 ...",               // the 36 bytes as read at the run's start
//       "points": [{"percent": 25, "nominal": 325, "reference": 325, "measured": 325.02,
//                   "error": 0.02, "errorPercent": 0.0015, "readings": [...],
//                   "settled": "steady" | "settle-time" | "cut-short",
//                   "output": {"meter": 8.01, "expected": 8, "error": 0.01, "errorPercent": 0.0625},
//                   "pass": true}]
//     }]
//   }
//
// Numbers are single precision, written in their shortest form and read
// straight from the text into single precision, so a record saved and opened
// again holds the same bits. "settings", "unit" and the verdicts follow from
// the block and the points; a file whose words say otherwise (edited by hand)
// is refused rather than printed with a verdict its numbers do not bear.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "calib/CheckRecord.h"

namespace orv::calib {

inline constexpr std::string_view kCheckRecordFormat = "orvane-calibration-check";
inline constexpr int kCheckRecordVersion = 1;
inline constexpr std::size_t kMaxCheckRecordBytes = 4u << 20;  // 4 MiB

// The file's text; never throws. Larger than kMaxCheckRecordBytes only for a
// record of dozens of runs at the largest set-up, which SaveCheckRecord refuses.
std::string SerializeCheckRecord(const CheckRecord& record);

struct CheckRecordParse {
    std::optional<CheckRecord> record;
    std::string reason;  // why it is refused, in words for the user
};
CheckRecordParse ParseCheckRecord(std::string_view text);

struct CheckRecordLoad {
    std::optional<CheckRecord> record;
    std::string error;  // the whole message, naming the file and the reason
};
CheckRecordLoad LoadCheckRecord(const std::filesystem::path& file);

// Writes atomically (a temporary file renamed over the target). Returns an
// empty string on success, else the message.
std::string SaveCheckRecord(const std::filesystem::path& file, const CheckRecord& record);

}  // namespace orv::calib
