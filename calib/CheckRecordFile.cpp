#include "calib/CheckRecordFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>

#include "calib/CheckMath.h"
#include "config/BlockHex.h"
#include "config/ConfigFile.h"
#include "config/InputTypeCatalogue.h"
#include "config/SettingCatalogue.h"

namespace orv::calib {

namespace {

// Floats are single precision from the text on: the lexer reads a number
// with strtof, and the writer gives the shortest text strtof reads back as
// the same float. Nothing goes through double on the way.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t, std::uint64_t,
                                  float>;

struct Refusal {
    std::string reason;
};

[[noreturn]] void Refuse(std::string reason) { throw Refusal{std::move(reason)}; }

std::string Utf8(const std::filesystem::path& file) {
    const std::u8string s = file.u8string();
    return std::string(s.begin(), s.end());
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
std::string Join(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "." + name;
}
std::string Index(const std::string& parent, std::size_t k) { return parent + "[" + std::to_string(k) + "]"; }

// ---- writing ----------------------------------------------------------------

// The run's installation settings in the words the configuration files and
// the command line use, from the block.
Json SettingsJson(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    using config::Setting;
    Json s = Json::object();
    for (const config::SettingInfo& info : config::kSettings) {
        if (info.group == config::SettingGroup::Calibration) continue;
        const double v = config::ReadField(info, block);
        const std::string word(info.word);
        if (info.encoding == config::Encoding::F32) {
            s[word] = static_cast<float>(v);
            continue;
        }
        const int code = static_cast<int>(v);
        const int row = info.id == Setting::InputType ? config::RowOfCode(code) : config::kNoRow;
        if (row != config::kNoRow)
            s[word] = std::string(config::InputTypes()[static_cast<std::size_t>(row)].word);
        else if (const auto named = config::WordOf(info, code))
            s[word] = std::string(*named);
        else
            s[word] = static_cast<std::int64_t>(code);
    }
    return s;
}

std::string UnitOfBlock(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    const int code = static_cast<int>(config::ReadField(config::InfoOf(config::Setting::InputType), block));
    return std::string(config::UnitOf(config::InfoOf(config::Setting::RangeZero), code));
}

Json SetupJson(const CheckSetup& s) {
    Json j = Json::object();
    j["points"] = Json::array();
    for (float p : s.points) j["points"].push_back(p);
    j["downwards"] = s.downwards;
    j["tolerance"] = s.tolerance;
    j["readings"] = s.readings;
    j["settleTime"] = s.settleSeconds;
    j["reference"] = Json{{"name", s.reference.name}, {"serial", s.reference.serial}, {"due", s.reference.dueDate}};
    j["technician"] = s.technician;
    j["tag"] = s.tag;
    j["location"] = s.location;
    return j;
}

Json PointJson(const PointResult& p) {
    Json j = Json::object();
    j["percent"] = p.percent;
    j["nominal"] = p.nominal;
    j["reference"] = p.reference;
    j["measured"] = p.measured;
    j["error"] = p.error;
    j["errorPercent"] = p.errorPercent;
    j["readings"] = Json::array();
    for (float r : p.readings) j["readings"].push_back(r);
    j["settled"] = std::string(SettleWord(p.settle));
    if (p.current)
        j["output"] = Json{{"meter", p.current->meter},
                           {"expected", p.current->expected},
                           {"error", p.current->error},
                           {"errorPercent", p.current->errorPercent}};
    j["pass"] = p.pass;
    return j;
}

// ---- reading ------------------------------------------------------------------

const Json& Member(const Json& parent, const std::string& parentPath, const char* name) {
    const auto it = parent.find(name);
    if (it == parent.end()) Refuse("the field " + Quoted(Join(parentPath, name)) + " is missing");
    return *it;
}

const Json& Typed(const Json& parent, const std::string& parentPath, const char* name, Json::value_t type,
                  const char* what) {
    const Json& v = Member(parent, parentPath, name);
    if (v.type() != type) Refuse(Quoted(Join(parentPath, name)) + " must be " + what);
    return v;
}

std::string Text(const Json& parent, const std::string& path, const char* name) {
    return Typed(parent, path, name, Json::value_t::string, "text").get<std::string>();
}

bool Flag(const Json& parent, const std::string& path, const char* name) {
    return Typed(parent, path, name, Json::value_t::boolean, "true or false").get<bool>();
}

float Number(const Json& v, const std::string& path) {
    if (!v.is_number()) Refuse(Quoted(path) + " must be a number");
    const float f = v.get<float>();
    if (!std::isfinite(f)) Refuse(Quoted(path) + " is a number too large for the tool's numbers");
    return f;
}

float Number(const Json& parent, const std::string& path, const char* name) {
    return Number(Member(parent, path, name), Join(path, name));
}

int Whole(const Json& parent, const std::string& path, const char* name, int lo, int hi) {
    const Json& v = Member(parent, path, name);
    const std::string at = Join(path, name);
    if (!v.is_number_integer()) Refuse(Quoted(at) + " must be a whole number");
    const bool inRange = v.is_number_unsigned() ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(hi)
                                                : v.get<std::int64_t>() >= lo && v.get<std::int64_t>() <= hi;
    if (!inRange) Refuse(Quoted(at) + " is " + v.dump() + ", outside " + std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<int>(v.get<std::int64_t>());
}

template <typename T, std::size_t N>
T Word(const Json& parent, const std::string& path, const char* name, const std::array<T, N>& values,
       std::string_view (*word)(T)) {
    const std::string text = Text(parent, path, name);
    for (T v : values)
        if (word(v) == text) return v;
    Refuse(Quoted(Join(path, name)) + " is " + Quoted(text) + ", which is not one of its words");
}

std::array<std::uint8_t, config::kParamBlockSize> ParseHexBlock(const std::string& text, const std::string& path) {
    const auto block = config::BlockFromHex(text);
    if (!block) Refuse(Quoted(path) + " must be the 36 bytes of the parameter block in hex");
    return *block;
}

CheckSetup ReadSetup(const Json& root) {
    const std::string path = "setup";
    const Json& j = Typed(root, "", "setup", Json::value_t::object, "an object");
    CheckSetup s;
    const Json& points = Typed(j, path, "points", Json::value_t::array, "a list of numbers");
    s.points.clear();
    for (std::size_t k = 0; k < points.size(); ++k) s.points.push_back(Number(points[k], Index("setup.points", k)));
    s.downwards = Flag(j, path, "downwards");
    s.tolerance = Number(j, path, "tolerance");
    s.readings = Whole(j, path, "readings", 1, kMaxReadings);
    s.settleSeconds = Whole(j, path, "settleTime", 1, kMaxSettleSeconds);
    const Json& ref = Typed(j, path, "reference", Json::value_t::object, "an object");
    s.reference.name = Text(ref, "setup.reference", "name");
    s.reference.serial = Text(ref, "setup.reference", "serial");
    s.reference.dueDate = Text(ref, "setup.reference", "due");
    s.technician = Text(j, path, "technician");
    s.tag = Text(j, path, "tag");
    s.location = Text(j, path, "location");
    if (const auto problems = SetupProblems(s); !problems.empty())
        Refuse("its set-up is not one a check runs with: " + problems.front());
    return s;
}

PointResult ReadPoint(const Json& j, const std::string& path, const CheckSetup& setup, float planned) {
    if (!j.is_object()) Refuse(Quoted(path) + " must be an object");
    PointResult p;
    p.percent = Number(j, path, "percent");
    if (p.percent != planned)
        Refuse(Quoted(path + ".percent") + " is " + FloatText(p.percent) + ", where the set-up plans " + FloatText(planned));
    p.nominal = Number(j, path, "nominal");
    p.reference = Number(j, path, "reference");
    p.measured = Number(j, path, "measured");
    p.error = Number(j, path, "error");
    p.errorPercent = Number(j, path, "errorPercent");
    const Json& readings = Typed(j, path, "readings", Json::value_t::array, "a list of numbers");
    if (readings.size() != static_cast<std::size_t>(setup.readings))
        Refuse(Quoted(path + ".readings") + " holds " + std::to_string(readings.size()) + " readings, not the " +
               std::to_string(setup.readings) + " of the set-up");
    for (std::size_t k = 0; k < readings.size(); ++k) p.readings.push_back(Number(readings[k], Index(path + ".readings", k)));
    p.settle = Word(j, path, "settled", std::array{Settle::Steady, Settle::TimeUp, Settle::CutShort}, &SettleWord);
    if (j.contains("output")) {
        const Json& o = Typed(j, path, "output", Json::value_t::object, "an object");
        const std::string at = path + ".output";
        p.current = CurrentCheck{Number(o, at, "meter"), Number(o, at, "expected"), Number(o, at, "error"),
                                 Number(o, at, "errorPercent")};
    }
    p.pass = Flag(j, path, "pass");
    if (p.pass != Passes(p, setup.tolerance))
        Refuse(Quoted(path + ".pass") + " is " + (p.pass ? "true" : "false") + ", but its errors are " +
               (p.pass ? "outside" : "within") + " the tolerance");
    return p;
}

CheckRun ReadRun(const Json& j, const std::string& path, const CheckSetup& setup) {
    if (!j.is_object()) Refuse(Quoted(path) + " must be an object");
    CheckRun run;
    run.kind = Word(j, path, "kind", std::array{RunKind::AsFound, RunKind::AsLeft}, &RunKindWord);
    run.started = Text(j, path, "started");
    run.stopped = Text(j, path, "stopped");
    run.block = ParseHexBlock(Text(j, path, "block"), path + ".block");
    const std::string unit = UnitOfBlock(run.block);
    const CheckRange range = RangeOf(run.block);
    if (unit.empty() || !std::isfinite(range.zero) || !std::isfinite(range.full) || Span(range) == 0.0)
        Refuse(Quoted(path + ".block") + " holds no input type and range a check can run on");
    if (Text(j, path, "unit") != unit) Refuse(Quoted(path + ".unit") + " is not " + Quoted(unit) + ", the unit of its block");
    if (Member(j, path, "settings") != SettingsJson(run.block))
        Refuse(Quoted(path + ".settings") + " do not agree with the run's \"block\"");
    const std::vector<float> planned = PlannedPoints(setup);
    const Json& points = Typed(j, path, "points", Json::value_t::array, "a list of points");
    if (points.size() > planned.size())
        Refuse(Quoted(path + ".points") + " holds " + std::to_string(points.size()) + " points; the set-up plans " +
               std::to_string(planned.size()));
    for (std::size_t k = 0; k < points.size(); ++k)
        run.points.push_back(ReadPoint(points[k], Index(path + ".points", k), setup, planned[k]));
    const std::string verdict(VerdictWord(RunVerdict(run, setup)));
    if (Text(j, path, "result") != verdict)
        Refuse(Quoted(path + ".result") + " is not " + Quoted(verdict) + ", which its points give");
    return run;
}

CheckRecord ReadRecord(const Json& root) {
    const auto format = root.is_object() ? root.find("format") : root.end();
    if (!root.is_object() || format == root.end() || !format->is_string() ||
        format->get<std::string>() != kCheckRecordFormat)
        Refuse("it is not an Orvane check record (the format is not \"" + std::string(kCheckRecordFormat) + "\")");
    const Json& version = Member(root, "", "version");
    if (version.is_number_integer() && !version.is_number_unsigned() && version.get<std::int64_t>() < 1)
        Refuse("\"version\" is " + version.dump() + ", which no program wrote");
    if (!version.is_number_integer()) Refuse("\"version\" must be a whole number");
    if (version.get<std::uint64_t>() > static_cast<std::uint64_t>(kCheckRecordVersion))
        Refuse("it was written in format version " + version.dump() + " by a newer program; this one reads version " +
               std::to_string(kCheckRecordVersion));
    CheckRecord rec;
    rec.tool = Text(root, "", "tool");
    rec.savedAt = Text(root, "", "saved");
    rec.setup = ReadSetup(root);
    const Json& runs = Typed(root, "", "runs", Json::value_t::array, "a list of runs");
    for (std::size_t k = 0; k < runs.size(); ++k) rec.runs.push_back(ReadRun(runs[k], Index("runs", k), rec.setup));
    const std::string verdict(VerdictWord(RecordVerdict(rec)));
    if (Text(root, "", "result") != verdict) Refuse("\"result\" is not " + Quoted(verdict) + ", which its runs give");
    return rec;
}

}  // namespace

std::string SerializeCheckRecord(const CheckRecord& record) {
    Json root = Json::object();
    root["format"] = std::string(kCheckRecordFormat);
    root["version"] = kCheckRecordVersion;
    root["tool"] = record.tool;
    root["saved"] = record.savedAt;
    root["result"] = std::string(VerdictWord(RecordVerdict(record)));
    root["setup"] = SetupJson(record.setup);
    root["runs"] = Json::array();
    for (const CheckRun& run : record.runs) {
        Json r = Json::object();
        r["kind"] = std::string(RunKindWord(run.kind));
        r["started"] = run.started;
        r["result"] = std::string(VerdictWord(RunVerdict(run, record.setup)));
        r["stopped"] = run.stopped;
        r["unit"] = UnitOfBlock(run.block);
        r["settings"] = SettingsJson(run.block);
        r["block"] = config::BlockHex(run.block);
        r["points"] = Json::array();
        for (const PointResult& p : run.points) r["points"].push_back(PointJson(p));
        root["runs"].push_back(std::move(r));
    }
    // Texts are checked as UTF-8 with the set-up; should one slip through,
    // it is mended rather than lost with the whole record.
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

CheckRecordParse ParseCheckRecord(std::string_view text) {
    if (text.size() > kMaxCheckRecordBytes) return {std::nullopt, "it is larger than 4 MiB"};
    Json root;
    try {
        root = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& e) {
        if (e.byte >= text.size()) return {std::nullopt, "it is truncated (the text ends inside the JSON)"};
        return {std::nullopt, "it is not JSON in UTF-8 (error at byte " + std::to_string(e.byte) + ")"};
    } catch (const Json::exception&) {
        // The parser's only other complaint: a number beyond double's range.
        return {std::nullopt, "it holds a number too large for the tool's numbers"};
    }
    try {
        return {ReadRecord(root), {}};
    } catch (const Refusal& r) {
        return {std::nullopt, r.reason};
    } catch (const Json::exception& e) {
        return {std::nullopt, std::string("it holds an unreadable value (") + e.what() + ")"};
    }
}

CheckRecordLoad LoadCheckRecord(const std::filesystem::path& file) {
    const std::string prefix = "Cannot open the check record \"" + Utf8(file) + "\": ";
    std::ifstream in(file, std::ios::binary);
    if (!in) return {std::nullopt, prefix + "the file cannot be read (" + std::strerror(errno) + ")"};
    std::string text(kMaxCheckRecordBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return {std::nullopt, prefix + "the file cannot be read"};
    text.resize(static_cast<std::size_t>(in.gcount()));
    CheckRecordParse parsed = ParseCheckRecord(text);
    if (!parsed.record) return {std::nullopt, prefix + parsed.reason};
    return {std::move(parsed.record), {}};
}

std::string SaveCheckRecord(const std::filesystem::path& file, const CheckRecord& record) {
    const std::string text = SerializeCheckRecord(record);
    if (text.size() > kMaxCheckRecordBytes)
        return "Cannot save \"" + Utf8(file) + "\": the record holds more runs than a file can (over 4 MiB)";
    return config::WriteFileAtomically(file, text);
}

}  // namespace orv::calib
