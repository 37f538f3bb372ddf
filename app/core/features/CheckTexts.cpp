#include "app/core/features/CheckTexts.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "calib/CheckMath.h"
#include "config/InputTypeCatalogue.h"
#include "config/SettingCatalogue.h"

namespace orv::app {

namespace {

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value == 0 ? 0.0 : value);
    return text;
}

std::string UnitOfRun(const calib::CheckRun& run) {
    const int code = static_cast<int>(config::ReadField(config::InfoOf(config::Setting::InputType), run.block));
    return std::string(config::UnitOf(config::InfoOf(config::Setting::RangeZero), code));
}

// A count as typed into the form: a whole number, nothing after it.
std::optional<int> Whole(const std::string& text) {
    const std::optional<float> v = calib::ParseNumber(text);
    if (!v || *v != std::floor(*v) || std::fabs(*v) > 1e9f) return std::nullopt;
    return static_cast<int>(*v);
}

}  // namespace

std::string RunName(calib::RunKind kind) { return kind == calib::RunKind::AsFound ? "As found" : "As left"; }

CheckForm FormOf(const calib::CheckSetup& s) {
    CheckForm f;
    std::string points;
    for (float p : s.points) points += (points.empty() ? "" : ", ") + calib::FloatText(p);
    f[FormField::Points] = points;
    f[FormField::Tolerance] = calib::FloatText(s.tolerance);
    f[FormField::Readings] = std::to_string(s.readings);
    f[FormField::SettleTime] = std::to_string(s.settleSeconds);
    f[FormField::ReferenceName] = s.reference.name;
    f[FormField::ReferenceSerial] = s.reference.serial;
    f[FormField::ReferenceDue] = s.reference.dueDate;
    f[FormField::Technician] = s.technician;
    f[FormField::Tag] = s.tag;
    f[FormField::Location] = s.location;
    f.downwards = s.downwards;
    return f;
}

FormReading ReadForm(const CheckForm& f) {
    // What does not parse keeps its default, so the set-up's own check
    // names only what is wrong beyond the typing.
    FormReading r;
    calib::CheckSetup& s = r.setup;
    if (calib::ParsedPoints points = calib::ParsePointList(f[FormField::Points]); points.error.empty())
        s.points = std::move(points.points);
    else
        r.problems.push_back(points.error);
    if (const auto tolerance = calib::ParseNumber(f[FormField::Tolerance]))
        s.tolerance = *tolerance;
    else
        r.problems.push_back("The tolerance \"" + f[FormField::Tolerance] + "\" is not a number in % of span.");
    if (const auto readings = Whole(f[FormField::Readings]))
        s.readings = *readings;
    else
        r.problems.push_back("The readings per point \"" + f[FormField::Readings] + "\" is not a whole number.");
    if (const auto settle = Whole(f[FormField::SettleTime]))
        s.settleSeconds = *settle;
    else
        r.problems.push_back("The settle time \"" + f[FormField::SettleTime] + "\" is not a whole number of seconds.");
    s.downwards = f.downwards;
    s.reference.name = f[FormField::ReferenceName];
    s.reference.serial = f[FormField::ReferenceSerial];
    s.reference.dueDate = f[FormField::ReferenceDue];
    s.technician = f[FormField::Technician];
    s.tag = f[FormField::Tag];
    s.location = f[FormField::Location];
    for (std::string& p : calib::SetupProblems(s)) r.problems.push_back(std::move(p));
    return r;
}

Rgb ShadeColour(Shade shade) {
    switch (shade) {
        case Shade::Pass: return {0, 128, 0};
        case Shade::Fail: return {200, 0, 0};
        case Shade::Incomplete: return {176, 96, 0};
        case Shade::Plain: break;
    }
    return {0, 0, 0};
}

Shade ShadeOf(calib::Verdict verdict) {
    switch (verdict) {
        case calib::Verdict::Pass: return Shade::Pass;
        case calib::Verdict::Fail: return Shade::Fail;
        case calib::Verdict::Incomplete: break;
    }
    return Shade::Incomplete;
}

std::vector<CheckRow> CheckRows(const calib::CheckRecord& record) {
    std::vector<CheckRow> rows;
    for (const calib::CheckRun& run : record.runs) {
        const calib::CheckRange range = calib::RangeOf(run.block);
        const std::string unit = " " + UnitOfRun(run);
        const auto value = [&](float v) { return calib::FormatInRange(range, v) + unit; };
        for (const calib::PointResult& p : run.points) {
            CheckRow row;
            row.cells = {RunName(run.kind),
                         calib::FloatText(p.percent) + " %",
                         value(p.nominal),
                         value(p.reference),
                         value(p.measured),
                         value(p.error),
                         Fixed(p.errorPercent, 3) + " %",
                         p.current ? Fixed(p.current->error, 3) : std::string("-"),
                         p.pass ? "Pass" : "Fail"};
            if (p.settle != calib::Settle::Steady) row.cells[8] += " (" + std::string(calib::SettleWord(p.settle)) + ")";
            row.shade = p.pass ? Shade::Pass : Shade::Fail;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::string DeviceText(const calib::CheckRecord& record) {
    if (record.runs.empty()) return {};
    const auto& block = record.runs.back().block;
    const auto field = [&](config::Setting s) { return static_cast<int>(config::ReadField(config::InfoOf(s), block)); };
    const config::ModelRow* model = config::FindModel(field(config::Setting::Model));
    const int row = config::RowOfCode(field(config::Setting::InputType));
    const calib::CheckRange range = calib::RangeOf(block);
    const auto direction = config::WordOf(config::InfoOf(config::Setting::OutputDirection), field(config::Setting::OutputDirection));
    std::string text = model ? std::string(model->listText) : "model " + std::to_string(field(config::Setting::Model));
    if (row != config::kNoRow) text += ", " + std::string(config::InputTypes()[static_cast<std::size_t>(row)].modelText);
    text += ", " + calib::FormatInRange(range, range.zero) + " to " + calib::FormatInRange(range, range.full) + " " +
            UnitOfRun(record.runs.back());
    if (direction) text += ", " + std::string(*direction);
    return text;
}

std::string ResultText(const calib::CheckRecord& record) {
    if (record.runs.empty()) return "Result: no run yet";
    const std::size_t planned = calib::PlannedPoints(record.setup).size();
    std::string runs;
    for (const calib::CheckRun& run : record.runs) {
        std::string name = RunName(run.kind);
        name[0] = static_cast<char>(name[0] - 'A' + 'a');
        runs += (runs.empty() ? "" : ", ") + name + ": " + std::string(calib::VerdictWord(calib::RunVerdict(run, record.setup)));
        if (!calib::IsComplete(run, record.setup))
            runs += ", " + std::to_string(run.points.size()) + " of " + std::to_string(planned) + " points";
    }
    return "Result: " + std::string(calib::VerdictWord(calib::RecordVerdict(record))) + " (" + runs + ")";
}

}  // namespace orv::app
