#include "calib/RecordingFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "calib/LiveReadings.h"

namespace orv::calib {

namespace {

constexpr std::size_t kLongestLine = 4096;

bool Digits(std::string_view s, std::size_t at, std::size_t n, int& out) {
    if (at + n > s.size()) return false;
    out = 0;
    for (std::size_t k = at; k < at + n; ++k) {
        if (s[k] < '0' || s[k] > '9') return false;
        out = out * 10 + (s[k] - '0');
    }
    return true;
}

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string Quoted(std::string_view s) {
    std::string shown(s.substr(0, 40));
    if (s.size() > 40) shown += "...";
    return "\"" + shown + "\"";
}

// Splits one CSV line; a quoted field may hold commas and doubled quotes.
bool SplitCsv(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false, wasQuoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (k + 1 < line.size() && line[k + 1] == '"') {
                field += '"';
                ++k;
            } else {
                quoted = false;
            }
        } else if (c == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            wasQuoted = false;
        } else {
            field += c;
        }
    }
    if (quoted) return false;
    fields.push_back(std::move(field));
    return true;
}

std::optional<double> Number(const std::string& text) {
    double v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc{} || ptr != end || text.empty()) return std::nullopt;
    return v;
}

class Parser {
public:
    // False when the file is refused; error_ then says why.
    bool Line(std::string_view line, bool complete) {
        ++lineNumber_;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (lineNumber_ == 1) return Header(line);
        if (line.empty()) return true;
        if (!SplitCsv(line, fields_) || fields_.size() != columns_) return Refuse(complete, "has " + std::to_string(fields_.size()) + " fields where the header names " + std::to_string(columns_));
        if (port_ != kNone) {
            if (shownPort_.empty()) shownPort_ = fields_[port_];
            if (fields_[port_] != shownPort_) {
                if (std::find(otherPorts_.begin(), otherPorts_.end(), fields_[port_]) == otherPorts_.end())
                    otherPorts_.push_back(fields_[port_]);
                return true;
            }
        }
        const auto time = ParseIsoTime(fields_[time_]);
        if (!time) return Refuse(complete, "has " + Quoted(fields_[time_]) + " where a time belongs");
        const auto measured = Number(fields_[measured_]);
        if (!measured) return Refuse(complete, "has " + Quoted(fields_[measured_]) + " where the measured value belongs");
        const auto ambient = Number(fields_[ambient_]);
        if (!ambient) return Refuse(complete, "has " + Quoted(fields_[ambient_]) + " where the ambient temperature belongs");
        if (points_.empty()) {
            recording_.offsetMinutes = time->offsetMinutes;
            if (unit_ != kNone) recording_.unit = fields_[unit_];
        }
        points_.push_back({time->ms, *measured, *ambient});
        return true;
    }

    RecordingLoad Finish() {
        if (!error_.empty()) return {std::nullopt, error_};
        if (lineNumber_ == 0) return {std::nullopt, "the file is empty"};
        if (points_.empty()) return {std::nullopt, "it holds no readings"};
        // A clock set back during the run still gives a line that runs forward.
        std::stable_sort(points_.begin(), points_.end(), [](const TrendPoint& a, const TrendPoint& b) { return a.ms < b.ms; });
        // Readings further apart than the run's usual interval allows were
        // not taken: the curve breaks there, as it does live at a missed poll.
        std::int64_t reach = LiveReadings::kLongestPollGapMs;
        if (points_.size() > 2) {
            std::vector<std::int64_t> steps(points_.size() - 1);
            for (std::size_t k = 1; k < points_.size(); ++k) steps[k - 1] = points_[k].ms - points_[k - 1].ms;
            std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
            reach = std::max(reach, steps[steps.size() / 2] * 5 / 2);
        }
        std::optional<std::int64_t> last;
        for (const TrendPoint& p : points_) {
            if (last && p.ms - *last > reach) recording_.series.BreakRun();
            recording_.series.Add(p);
            last = p.ms;
        }
        recording_.readings = points_.size();
        std::vector<TrendPoint>().swap(points_);
        std::string note = cutNote_;
        if (!otherPorts_.empty()) {
            std::string others;
            for (const auto& p : otherPorts_) others += (others.empty() ? "" : ", ") + p;
            note += std::string(note.empty() ? "" : "; ") + "it also holds readings of " + others + ", not shown (only " +
                    shownPort_ + " is)";
        }
        recording_.note = note;
        return {std::move(recording_), {}};
    }

private:
    static constexpr std::size_t kNone = SIZE_MAX;

    bool Header(std::string_view line) {
        if (line.size() >= 3 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);  // a spreadsheet's BOM
        SplitCsv(line, fields_);
        columns_ = fields_.size();
        for (std::size_t k = 0; k < fields_.size(); ++k) {
            const std::string& name = fields_[k];
            std::size_t* slot = name == "time"       ? &time_
                                : name == "measured" ? &measured_
                                : name == "ambient"  ? &ambient_
                                : name == "unit"     ? &unit_
                                : name == "port"     ? &port_
                                                     : nullptr;
            if (slot && *slot == kNone) *slot = k;
        }
        if (time_ == kNone || measured_ == kNone || ambient_ == kNone) {
            error_ = "it is not a recording of readings: its first line names no time, measured and ambient columns";
            return false;
        }
        return true;
    }

    // A bad last line that has no line end was cut off while being written.
    bool Refuse(bool complete, const std::string& what) {
        if (!complete) {
            cutNote_ = "its last line (" + std::to_string(lineNumber_) + ") was cut off and is left out";
            return true;
        }
        error_ = "line " + std::to_string(lineNumber_) + " " + what;
        return false;
    }

    std::size_t lineNumber_ = 0, columns_ = 0;
    std::size_t time_ = kNone, measured_ = kNone, ambient_ = kNone, unit_ = kNone, port_ = kNone;
    std::vector<std::string> fields_;
    std::vector<TrendPoint> points_;
    std::string shownPort_;
    std::vector<std::string> otherPorts_;
    std::string cutNote_;
    std::string error_;
    Recording recording_;
};

}  // namespace

std::optional<IsoTime> ParseIsoTime(std::string_view s) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (!Digits(s, 0, 4, y) || s.size() < 19 || s[4] != '-' || !Digits(s, 5, 2, mo) || s[7] != '-' ||
        !Digits(s, 8, 2, d) || (s[10] != 'T' && s[10] != ' ') || !Digits(s, 11, 2, h) || s[13] != ':' ||
        !Digits(s, 14, 2, mi) || s[16] != ':' || !Digits(s, 17, 2, sec))
        return std::nullopt;
    static constexpr int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo < 1 || mo > 12 || d < 1 || d > kDaysIn[mo - 1] || (mo == 2 && d == 29 && !leap) || h > 23 || mi > 59 || sec > 60)
        return std::nullopt;
    std::size_t at = 19;
    int ms = 0;
    if (at < s.size() && s[at] == '.') {
        std::size_t digits = 0;
        for (++at; at < s.size() && s[at] >= '0' && s[at] <= '9'; ++at, ++digits)
            if (digits < 3) ms = ms * 10 + (s[at] - '0');
        if (digits == 0) return std::nullopt;
        for (; digits < 3; ++digits) ms *= 10;
    }
    int offset = 0;
    if (at < s.size() && s[at] == 'Z') {
        ++at;
    } else if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
        int oh = 0, om = 0;
        if (!Digits(s, at + 1, 2, oh) || at + 3 >= s.size() || s[at + 3] != ':' || !Digits(s, at + 4, 2, om) || oh > 14 ||
            om > 59)
            return std::nullopt;
        offset = (oh * 60 + om) * (s[at] == '-' ? -1 : 1);
        at += 6;
    } else {
        return std::nullopt;  // a time without its offset names no moment
    }
    if (at != s.size()) return std::nullopt;
    const std::int64_t local =
        ((DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 24 + h) * 60 + mi) * 60 + sec;
    return IsoTime{(local - std::int64_t{offset} * 60) * 1000 + ms, offset};
}

RecordingLoad ParseRecording(std::string_view text) {
    Parser parser;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const bool complete = end != std::string_view::npos;
        const std::string_view line = text.substr(at, complete ? end - at : std::string_view::npos);
        if (line.size() > kLongestLine) return {std::nullopt, "it is not a recording of readings: a line is far too long"};
        if (!parser.Line(line, complete)) break;
        at = complete ? end + 1 : text.size();
    }
    return parser.Finish();
}

RecordingLoad ReadRecording(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return {std::nullopt, std::strerror(EISDIR)};
#if defined(_WIN32)
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(_wfopen(file.c_str(), L"rb"), std::fclose);
#else
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"), std::fclose);
#endif
    if (!in) return {std::nullopt, std::strerror(errno)};
    Parser parser;
    std::vector<char> chunk(1 << 16);
    std::string pending;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), in.get());
        if (got == 0) {
            if (std::ferror(in.get())) return {std::nullopt, std::strerror(errno)};
            break;
        }
        std::string_view data(chunk.data(), got);
        while (!data.empty()) {
            const std::size_t end = data.find('\n');
            if (end == std::string_view::npos) {
                pending.append(data);
                break;
            }
            std::string_view line = data.substr(0, end);
            if (!pending.empty()) {
                pending.append(line);
                line = pending;
            }
            if (line.size() > kLongestLine) return {std::nullopt, "it is not a recording of readings: a line is far too long"};
            if (!parser.Line(line, true)) return parser.Finish();
            pending.clear();
            data.remove_prefix(end + 1);
        }
        if (pending.size() > kLongestLine) return {std::nullopt, "it is not a recording of readings: a line is far too long"};
    }
    if (!pending.empty()) parser.Line(pending, false);
    return parser.Finish();
}

}  // namespace orv::calib
