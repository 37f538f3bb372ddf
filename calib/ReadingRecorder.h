#pragma once
// Live readings to a CSV file, one line per reading as it arrives, flushed
// at once: a pulled plug or a crash loses at most the line being written.
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "protocol/MeasureBlock.h"

namespace orv::calib {

class ReadingRecorder {
public:
    static constexpr std::string_view kHeader = "time,measured,ambient,unit,rv0,rv1,rv2,rv3,rv4";

    // Creates or replaces the file and writes the header; check Error().
    explicit ReadingRecorder(const std::filesystem::path& file);
    ~ReadingRecorder();
    ReadingRecorder(const ReadingRecorder&) = delete;
    ReadingRecorder& operator=(const ReadingRecorder&) = delete;

    // isoTime as FormatIsoTime gives it. After a failure nothing more is
    // written: the file keeps the lines that were whole.
    void Write(std::string_view isoTime, const protocol::MeasureBlock& block, std::string_view unit);

    const std::filesystem::path& File() const { return file_; }
    std::size_t Count() const { return count_; }
    // Empty while all is well.
    const std::string& Error() const { return error_; }

private:
    bool Put(const std::string& line);

    std::filesystem::path file_;
    std::FILE* out_ = nullptr;
    std::size_t count_ = 0;
    std::string error_;
};

// The CSV line for one reading, without the line end. Floats in their
// shortest exact form, '.' as decimal point whatever the locale; a unit with
// a comma or quote is quoted.
std::string CsvLine(std::string_view isoTime, const protocol::MeasureBlock& block, std::string_view unit);

// 2026-12-09T01:02:03.456+01:00 for msSinceEpoch at the given offset from UTC.
std::string FormatIsoTime(std::int64_t msSinceEpoch, int offsetMinutes);

}  // namespace orv::calib
