#include "calib/CheckRecordFile.h"

#include <cmath>
#include <limits>

#include "calib/CheckJson.h"
#include "calib/CheckMath.h"
#include "config/BlockHex.h"
#include "config/ConfigFile.h"
#include "config/InputTypeCatalogue.h"
#include "config/RegularFile.h"
#include "config/SettingCatalogue.h"

namespace orv::calib {

namespace {

using namespace checkjson;

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
    CheckFormat(root, kCheckRecordFormat, kCheckRecordVersion, "an Orvane check record");
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
    Parsed parsed = ParseJson(text);
    if (!parsed.reason.empty()) return {std::nullopt, parsed.reason};
    const Json& root = parsed.root;
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
    // A named pipe chosen in a file dialog would otherwise hold the window until someone writes to it.
    config::RegularFileText read = config::ReadRegularFile(file, kMaxCheckRecordBytes);
    if (!read.error.empty()) return {std::nullopt, prefix + read.error};
    const std::string& text = read.text;
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
