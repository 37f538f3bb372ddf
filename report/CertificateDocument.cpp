#include "report/CertificateDocument.h"

#include <algorithm>
#include <cctype>

#include "calib/CheckMath.h"
#include "config/SettingText.h"
#include "config/RangeFormat.h"
#include "config/SettingCatalogue.h"
#include "report/SettingText.h"

namespace orv::report {

using calib::CheckRecord;
using calib::CheckRun;
using calib::RunKind;
using calib::Verdict;
using config::InfoOf;
using config::Setting;

namespace {

// Runs shown side by side in one settings table; more go into another.
constexpr std::size_t kRunsPerSettingsTable = 4;
constexpr char kNone[] = "—";
constexpr char kNotSteady[] = " *";

std::string Upper(std::string_view word) {
    std::string s(word);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Date(const std::string& iso) { return iso.substr(0, 10); }

// "As found", or "As left (2)" when a record holds more than one run of a kind.
std::vector<std::string> RunNames(const CheckRecord& record) {
    std::vector<std::string> names;
    const auto count = [&](RunKind kind) {
        return std::count_if(record.runs.begin(), record.runs.end(), [&](const CheckRun& r) { return r.kind == kind; });
    };
    int found = 0, left = 0;
    for (const CheckRun& r : record.runs) {
        const bool asFound = r.kind == RunKind::AsFound;
        std::string name = asFound ? "As found" : "As left";
        const int n = asFound ? ++found : ++left;
        if (count(r.kind) > 1) name += " (" + std::to_string(n) + ")";
        names.push_back(std::move(name));
    }
    return names;
}

std::string RunResult(const CheckRun& run, const calib::CheckSetup& setup) {
    std::string s = Upper(calib::VerdictWord(calib::RunVerdict(run, setup)));
    if (!run.stopped.empty()) s += " — stopped: " + run.stopped;
    return s;
}

std::string RangeText(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    const calib::CheckRange range = calib::RangeOf(block);
    std::string s = calib::FormatInRange(range, range.zero) + " to " + calib::FormatInRange(range, range.full);
    const std::string unit = config::UnitIn(InfoOf(Setting::RangeZero), block);
    return unit.empty() ? s : s + " " + unit;
}

std::string ValueWithUnit(const config::SettingInfo& s, std::span<const std::uint8_t, config::kParamBlockSize> block) {
    const std::string value = SettingValueText(s, block);
    const std::string unit = config::UnitIn(s, block);
    return unit.empty() ? value : value + " " + unit;
}

std::string PointList(const calib::CheckSetup& setup) {
    std::string s;
    for (float p : setup.points) s += (s.empty() ? "" : ", ") + calib::FloatText(p);
    s += " % of span";
    if (setup.downwards) s += ", then the same points downwards";
    return s;
}

Table SettingsTable(const CheckRecord& record, const std::vector<std::string>& names, std::size_t first,
                    std::size_t count) {
    Table t;
    t.columns.push_back({"Setting", 2.0, Align::Left});
    for (std::size_t r = first; r < first + count; ++r) t.columns.push_back({names[r], 1.5, Align::Right});
    for (const config::SettingInfo& s : config::kSettings) {
        if (s.group == config::SettingGroup::Calibration) continue;
        std::vector<std::string> row{std::string(s.label)};
        for (std::size_t r = first; r < first + count; ++r) row.push_back(ValueWithUnit(s, record.runs[r].block));
        t.rows.push_back(std::move(row));
    }
    return t;
}

Table PointsTable(const CheckRun& run, const calib::CheckSetup& setup, bool& anyNotSteady) {
    const calib::CheckRange range = calib::RangeOf(run.block);
    std::string unit = config::UnitIn(InfoOf(Setting::RangeZero), run.block);
    unit = unit.empty() ? std::string() : " (" + unit + ")";
    Table t;
    t.columns = {{"Point (%)", 0.8, Align::Right},       {"Reference" + unit, 1.1, Align::Right},
                 {"Measured" + unit, 1.1, Align::Right}, {"Error" + unit, 1.0, Align::Right},
                 {"Error (% of span)", 1.0, Align::Right}, {"Output error (mA)", 1.7, Align::Right},
                 {"Result", 1.4, Align::Center}};
    for (const calib::PointResult& p : run.points) {
        std::string point = calib::FloatText(p.percent);
        if (p.settle != calib::Settle::Steady) {
            point += kNotSteady;
            anyNotSteady = true;
        }
        std::string output = kNone;
        if (p.current)
            output = config::FormatFixed(p.current->error, 3) + " (" + config::FormatFixed(p.current->errorPercent, 3) +
                     " %)";
        t.rows.push_back({point, calib::FormatInRange(range, p.reference), calib::FormatInRange(range, p.measured),
                          calib::FormatInRange(range, p.error), config::FormatFixed(p.errorPercent, 3), output,
                          p.pass ? "pass" : "FAIL"});
    }
    // What a run cut off did not reach is listed, so the table shows the gap.
    const std::vector<float> planned = calib::PlannedPoints(setup);
    for (std::size_t k = run.points.size(); k < planned.size(); ++k)
        t.rows.push_back({calib::FloatText(planned[k]), kNone, kNone, kNone, kNone, kNone, "not measured"});
    return t;
}

}  // namespace

Document CertificateDocument(const CheckRecord& record) {
    const calib::CheckSetup& setup = record.setup;
    const CheckRun* last = record.runs.empty() ? nullptr : &record.runs.back();
    const std::string date = Date(last ? last->started : record.savedAt);
    const std::vector<std::string> names = RunNames(record);

    Document d;
    d.name = text::kCertificateTitle;
    d.footer = text::kCertificateTitle;
    if (!setup.tag.empty()) d.footer += " · " + setup.tag;
    if (!date.empty()) d.footer += " · " + date;
    d.blocks.push_back(Title{text::kCertificateTitle});

    std::string result = "Result: " + Upper(calib::VerdictWord(calib::RecordVerdict(record)));
    if (record.runs.empty())
        result += " — no run was recorded";
    else
        result += calib::LastRun(record, RunKind::AsLeft) ? " (as left)" : " (as found)";
    d.blocks.push_back(Paragraph{result, Emphasis::Strong});

    Fields device;
    device.rows = {{"Date", date}, {"Technician", setup.technician}, {"Tag", setup.tag}, {"Location", setup.location}};
    if (last) {
        device.rows.push_back({std::string(InfoOf(Setting::Model).label), SettingValueText(InfoOf(Setting::Model), last->block)});
        device.rows.push_back(
            {std::string(InfoOf(Setting::InputType).label), SettingValueText(InfoOf(Setting::InputType), last->block)});
        device.rows.push_back({"Range", RangeText(last->block)});
        device.rows.push_back({std::string(InfoOf(Setting::OutputDirection).label),
                               SettingValueText(InfoOf(Setting::OutputDirection), last->block)});
    }
    d.blocks.push_back(std::move(device));

    d.blocks.push_back(Heading{"Reference instrument"});
    std::string due = setup.reference.dueDate.empty() ? std::string(kNone) : setup.reference.dueDate;
    if (!date.empty() && calib::ReferenceOverdue(setup, date)) due += " — past due at the check";
    d.blocks.push_back(Fields{{{"Name", setup.reference.name},
                               {"Serial number", setup.reference.serial},
                               {"Certificate due", due}}});

    d.blocks.push_back(Heading{"Check set-up"});
    d.blocks.push_back(
        Fields{{{"Test points", PointList(setup)},
                {"Tolerance", "±" + calib::FloatText(setup.tolerance) + " % of span, the output current ±" +
                                  config::FormatFixed(calib::kOutputSpanMa * setup.tolerance / 100.0, 3) + " mA"},
                {"Readings per point", std::to_string(setup.readings)},
                {"Settle time", std::to_string(setup.settleSeconds) + " s"}}});

    if (!record.runs.empty()) {
        d.blocks.push_back(Heading{"Settings read at the start of each run"});
        for (std::size_t first = 0; first < record.runs.size(); first += kRunsPerSettingsTable)
            d.blocks.push_back(
                SettingsTable(record, names, first, std::min(kRunsPerSettingsTable, record.runs.size() - first)));
    }

    for (std::size_t r = 0; r < record.runs.size(); ++r) {
        const CheckRun& run = record.runs[r];
        d.blocks.push_back(Heading{names[r]});
        d.blocks.push_back(Fields{{{"Started", run.started}, {"Result", RunResult(run, setup)}}});
        bool anyNotSteady = false;
        d.blocks.push_back(PointsTable(run, setup, anyNotSteady));
        if (anyNotSteady)
            d.blocks.push_back(Paragraph{
                "* Not on steady readings: taken when the settle time ran out or the wait was cut short."});
    }

    if (!record.savedAt.empty())
        d.blocks.push_back(Paragraph{"Printed from the check record saved " + record.savedAt +
                                     (record.tool.empty() ? "" : " by " + record.tool) + "."});
    d.blocks.push_back(Signatures{{{{"Technician's signature:", 2.0}, {"Date:", 1.0}},
                                   {{"Reviewed by:", 2.0}, {"Date:", 1.0}},
                                   {{"Reviewer's signature:", 2.0}, {"", 1.0}}}});
    return d;
}

}  // namespace orv::report
