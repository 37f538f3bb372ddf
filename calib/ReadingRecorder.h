#pragma once
// Live readings to a CSV file, one line per reading as it arrives, written
// through at once: a pulled plug or a crash loses at most the line being
// written, and a write that fails (a full disk) takes back what it wrote of
// its line, so the file ends on a whole line.
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/MeasureBlock.h"

namespace orv::calib {

// Where the lines go. Append writes all of text or, failing, none of it
// stays behind, and says why (empty when written).
class LineWriter {
public:
    virtual ~LineWriter() = default;
    virtual std::string Append(std::string_view text) = 0;
};

// A file created or replaced; Open's error is empty when it is open.
std::unique_ptr<LineWriter> OpenLineFile(const std::filesystem::path& file, std::string& error);

class ReadingRecorder {
public:
    static constexpr std::string_view kHeader = "time,measured,ambient,unit,rv0,rv1,rv2,rv3,rv4";

    // Creates or replaces the file and writes the header; check Error().
    explicit ReadingRecorder(const std::filesystem::path& file);
    // The same on a writer of the caller's; file names it in messages.
    ReadingRecorder(std::unique_ptr<LineWriter> writer, const std::filesystem::path& file);
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
    std::unique_ptr<LineWriter> out_;
    std::size_t count_ = 0;
    std::string error_;
};

// The one layout of a recording, the window's and the command line's: the
// command line, which may record several ports into one file, adds a first
// column naming the port ("port,time,measured,ambient,unit,rv0,...").
std::string CsvHeader(bool withPort);

// The CSV line for one reading, without the line end. Floats in their
// shortest exact form, '.' as decimal point whatever the locale; a unit (or
// port) with a comma or quote is quoted.
std::string CsvLine(std::string_view isoTime, const protocol::MeasureBlock& block, std::string_view unit);
std::string CsvLine(std::string_view port, std::string_view isoTime, const protocol::MeasureBlock& block,
                    std::string_view unit);

// 2026-12-09T01:02:03.456+01:00 for msSinceEpoch at the given offset from UTC.
std::string FormatIsoTime(std::int64_t msSinceEpoch, int offsetMinutes);
// The same for now, by the system's clock and local time zone.
std::string IsoTimeNow();

}  // namespace orv::calib
