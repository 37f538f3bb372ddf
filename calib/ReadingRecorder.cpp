#include "calib/ReadingRecorder.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace orv::calib {

namespace {

std::string Shortest(float f) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, f).ptr;
    return std::string(buf, end);
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm), so the
// time needs neither the C library's time zone nor its thread-unsafe calls.
void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

}  // namespace

std::string FormatIsoTime(std::int64_t msSinceEpoch, int offsetMinutes) {
    const std::int64_t localMs = msSinceEpoch + std::int64_t{offsetMinutes} * 60000;
    std::int64_t days = localMs / 86400000;
    std::int64_t msOfDay = localMs % 86400000;
    if (msOfDay < 0) {
        msOfDay += 86400000;
        --days;
    }
    int y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    const int off = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02uT%02d:%02d:%02d.%03d%c%02d:%02d", y, m, d,
                  static_cast<int>(msOfDay / 3600000), static_cast<int>(msOfDay / 60000 % 60),
                  static_cast<int>(msOfDay / 1000 % 60), static_cast<int>(msOfDay % 1000),
                  offsetMinutes < 0 ? '-' : '+', off / 60, off % 60);
    return buf;
}

std::string CsvLine(std::string_view isoTime, const protocol::MeasureBlock& block, std::string_view unit) {
    std::string line(isoTime);
    for (const std::string& field : {Shortest(block.measured), Shortest(block.ambient), CsvField(unit)}) {
        line += ',';
        line += field;
    }
    for (std::int16_t raw : block.raw) {
        line += ',';
        line += std::to_string(raw);
    }
    return line;
}

ReadingRecorder::ReadingRecorder(const std::filesystem::path& file) : file_(file) {
#if defined(_WIN32)
    out_ = _wfopen(file.c_str(), L"wb");  // the narrow call would read the name in the ANSI code page
#else
    out_ = std::fopen(file.c_str(), "wb");
#endif
    if (!out_) {
        error_ = std::strerror(errno);
        return;
    }
    Put(std::string(kHeader));
}

ReadingRecorder::~ReadingRecorder() {
    if (out_) std::fclose(out_);
}

bool ReadingRecorder::Put(const std::string& line) {
    if (!out_ || !error_.empty()) return false;
    const std::string text = line + "\n";
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::fflush(out_) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

void ReadingRecorder::Write(std::string_view isoTime, const protocol::MeasureBlock& block, std::string_view unit) {
    if (Put(CsvLine(isoTime, block, unit))) ++count_;
}

}  // namespace orv::calib
