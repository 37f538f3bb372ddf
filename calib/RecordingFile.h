#pragma once
// A CSV recording read back for the trend: the window's own recordings
// (time,measured,ambient,unit,...) and the command line's measure --csv,
// which leads with a port column (port,time,measured,ambient,unit,...; its
// older files have port,time,measured,unit,ambient,...). Columns are found
// by their names in the header, so every one of these layouts reads. The
// file is read a line at a time, so a week of readings costs the readings
// and not the text. A line cut off by a crash at the very end is left out
// and said so; anything else that does not parse refuses the file, naming
// the line.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "calib/TrendSeries.h"

namespace orv::calib {

struct Recording {
    TrendSeries series;
    std::size_t readings = 0;
    std::string unit;       // of the measured value, as its first reading names it
    int offsetMinutes = 0;  // of its first time from UTC: the clock it was recorded by
    std::string note;       // what was left out, for the user; empty when nothing
};

struct RecordingLoad {
    std::optional<Recording> recording;
    std::string error;  // why not, when there is no recording
};

RecordingLoad ReadRecording(const std::filesystem::path& file);
// The same from text in memory.
RecordingLoad ParseRecording(std::string_view text);

struct IsoTime {
    std::int64_t ms;
    int offsetMinutes;
};
// 2026-12-09T01:02:03[.456](Z|+01:00|-05:30); a space may stand for the T.
std::optional<IsoTime> ParseIsoTime(std::string_view text);

}  // namespace orv::calib
