#include "calib/ReadingRecorder.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "config/ConfigFile.h"

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

std::string IsoTimeNow() {
    const auto now = std::chrono::system_clock::now();
    const std::int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return FormatIsoTime(ms, config::UtcOffsetMinutes(std::chrono::system_clock::to_time_t(now)));
}

std::string CsvHeader(bool withPort) {
    return withPort ? "port," + std::string(ReadingRecorder::kHeader) : std::string(ReadingRecorder::kHeader);
}

std::string CsvLine(std::string_view port, std::string_view isoTime, const protocol::MeasureBlock& block,
                    std::string_view unit) {
    return CsvField(port) + "," + CsvLine(isoTime, block, unit);
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

namespace {

class FileLineWriter : public LineWriter {
public:
    explicit FileLineWriter(std::FILE* out) : out_(out) {
        // Unbuffered: each line goes out in one write, and a failed one
        // leaves nothing in a buffer that closing would write after it.
        std::setvbuf(out_, nullptr, _IONBF, 0);
    }
    ~FileLineWriter() override { std::fclose(out_); }

    std::string Append(std::string_view text) override {
        errno = 0;
        const std::size_t put = std::fwrite(text.data(), 1, text.size(), out_);
        if (put == text.size() && std::fflush(out_) == 0) {
            whole_ += static_cast<long long>(text.size());
            return {};
        }
        const std::string why = std::strerror(errno ? errno : EIO);
        // What reached the disk of a cut line goes again; cutting a file
        // short needs no space.
        std::clearerr(out_);
#if defined(_WIN32)
        _chsize_s(_fileno(out_), whole_);
#else
        if (::ftruncate(fileno(out_), static_cast<off_t>(whole_)) != 0) { /* the cut line stays: nothing better to do */ }
#endif
        return why;
    }

private:
    std::FILE* out_;
    long long whole_ = 0;  // bytes of whole lines in the file
};

}  // namespace

std::unique_ptr<LineWriter> OpenLineFile(const std::filesystem::path& file, std::string& error) {
#if defined(_WIN32)
    std::FILE* out = _wfopen(file.c_str(), L"wb");  // the narrow call would read the name in the ANSI code page
#else
    std::FILE* out = std::fopen(file.c_str(), "wb");
#endif
    if (!out) {
        error = std::strerror(errno);
        return nullptr;
    }
    error.clear();
    return std::make_unique<FileLineWriter>(out);
}

ReadingRecorder::ReadingRecorder(const std::filesystem::path& file) : file_(file) {
    out_ = OpenLineFile(file, error_);
    if (out_) Put(std::string(kHeader));
}

ReadingRecorder::ReadingRecorder(std::unique_ptr<LineWriter> writer, const std::filesystem::path& file)
    : file_(file), out_(std::move(writer)) {
    Put(std::string(kHeader));
}

ReadingRecorder::~ReadingRecorder() = default;

bool ReadingRecorder::Put(const std::string& line) {
    if (!out_ || !error_.empty()) return false;
    error_ = out_->Append(line + "\n");
    if (!error_.empty()) {
        out_.reset();  // closed at once: the file is whole and may be looked at
        return false;
    }
    return true;
}

void ReadingRecorder::Write(std::string_view isoTime, const protocol::MeasureBlock& block, std::string_view unit) {
    if (Put(CsvLine(isoTime, block, unit))) ++count_;
}

}  // namespace orv::calib
