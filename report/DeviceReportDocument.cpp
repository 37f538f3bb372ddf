#include "report/DeviceReportDocument.h"

#include <array>

#include "config/InputTypeCatalogue.h"
#include "config/SettingText.h"
#include "config/SettingCatalogue.h"
#include "report/SettingText.h"

namespace orv::report {

using config::InfoOf;
using config::Setting;
using config::SettingGroup;

namespace {

Table SettingsTable(SettingGroup group, std::span<const std::uint8_t, config::kParamBlockSize> block, bool withUnit) {
    // A device of one output has no second output's trims to show.
    const config::ModelRow* model = config::FindModel(block[InfoOf(Setting::Model).offset]);
    const bool secondOutput = !model || model->outputs > 1;
    Table t;
    t.columns = {{"Setting", 3.0, Align::Left}, {"Value", 2.0, Align::Right}};
    if (withUnit) t.columns.push_back({"Unit", 1.0, Align::Left});
    for (const config::SettingInfo& s : config::kSettings) {
        if (s.group != group) continue;
        if (!secondOutput && (s.id == Setting::Out2ZeroTrim || s.id == Setting::Out2FullTrim)) continue;
        std::vector<std::string> row{std::string(s.label), SettingValueText(s, block)};
        if (withUnit) row.push_back(config::UnitIn(s, block));
        t.rows.push_back(std::move(row));
    }
    return t;
}

}  // namespace

Document DeviceReportDocument(const config::ConfigRecord& record, const std::deque<calib::StampedReading>& readings) {
    std::array<std::uint8_t, config::kParamBlockSize> block{};
    record.fields.Write(block);
    const std::string code = std::to_string(record.fields.model);
    const std::string typeCode = std::to_string(record.fields.inputType);
    const auto named = [&](Setting s) {
        const auto label = config::ValueLabel(InfoOf(s), block);
        return label ? *label + " (code " + std::to_string(block[InfoOf(s).offset]) + ")"
                     : SettingValueText(InfoOf(s), block);
    };

    Document d;
    d.name = text::kDeviceReportTitle;
    d.footer = std::string(text::kDeviceReportTitle) + " · " + record.savedAt;
    d.blocks.push_back(Title{text::kDeviceReportTitle});
    d.blocks.push_back(Fields{{{"Date", record.savedAt},
                               {std::string(InfoOf(Setting::Model).label), named(Setting::Model)},
                               {std::string(InfoOf(Setting::InputType).label), named(Setting::InputType)},
                               {"Written by", record.tool}}});
    d.blocks.push_back(Heading{"Settings"});
    d.blocks.push_back(SettingsTable(SettingGroup::Installation, block, true));
    d.blocks.push_back(Heading{"Calibration constants and trims"});
    d.blocks.push_back(SettingsTable(SettingGroup::Calibration, block, false));
    if (!readings.empty()) {
        Table t;
        t.columns = {{"Time", 2.5, Align::Left},
                     {"Measured value", 1.7, Align::Right},
                     {"Ambient temperature", 1.7, Align::Right},
                     {"RV0 to RV4", 3.5, Align::Left}};
        for (const calib::StampedReading& r : readings) {
            // Date and time to the second fit the column; the offset from
            // UTC is the report date's.
            std::string when = r.isoTime.substr(0, 19);
            if (when.size() > 10 && when[10] == 'T') when[10] = ' ';
            std::string raw;
            for (auto v : r.block.raw) raw += (raw.empty() ? "" : " ") + std::to_string(v);
            t.rows.push_back({when, config::InRangeText(r.block.measured, block) + " " + r.unit,
                              config::InRangeText(r.block.ambient, block) + " " + std::string(config::kAmbientUnit), raw});
        }
        d.blocks.push_back(Heading{"Last readings"});
        d.blocks.push_back(std::move(t));
    }
    d.blocks.push_back(Signatures{{{{"Technician's name:", 2.0}, {"Date:", 1.0}}, {{"Signature:", 2.0}, {"", 1.0}}}});
    return d;
}

}  // namespace orv::report
