#include "app/core/features/FileFeatures.h"

#include <optional>

#include "app/core/CMyDlgPrivate.h"

namespace orv::app {

std::string PathText(const std::filesystem::path& file) {
    const std::u8string s = file.u8string();
    return std::string(s.begin(), s.end());
}

std::string SaveConfigurationTo(CMyDlg& dlg, const LastBlockRead& lastRead, const std::filesystem::path& file) {
    const CapturedConfig captured = CaptureConfig(dlg, lastRead);
    if (!captured.record) return "Cannot save the configuration: " + captured.error;
    config::ConfigRecord record = *captured.record;
    record.tool = kToolName;
    record.savedAt = config::IsoTimestampNow();
    return config::WriteFileAtomically(file, config::SerializeConfig(record));
}

std::string OpenConfigurationFrom(CMyDlg& dlg, const std::filesystem::path& file, bool withCalibration) {
    const config::ConfigLoad loaded = config::LoadConfigFile(file);
    if (!loaded.record) return loaded.error;
    std::optional<WindowApply> applied;
    dlg.Dispatch([&] { applied = ApplyConfigToWindow(CMyDlgPrivate::Of(dlg), *loaded.record, withCalibration); });
    if (!applied) return {};  // the dispatch has said what went wrong
    if (!applied->refusal.empty()) return "Cannot open the configuration \"" + PathText(file) + "\": " + applied->refusal;
    const std::string name = PathText(file.filename());
    std::string note;
    if (!applied->left.empty()) {
        std::string names;
        for (std::size_t k = 0; k < applied->left.size(); ++k)
            names += (k == 0 ? "" : k + 1 == applied->left.size() ? " and " : ", ") + applied->left[k].name;
        note = "The window keeps what it shows for " + names + ": in \"" + name + "\", " +
               config::DescribeLeft(applied->left) + ". Nothing outside a setting's range is written to the device.";
    }
    if (withCalibration)
        note += (note.empty() ? "" : "\n\n") + std::string("The calibration constants and trims of \"") + name +
                "\" are now in the factory panel. They reach the device only with their update buttons.";
    if (!note.empty()) dlg.Window().MessageBox(note, MessageIcon::Exclamation);
    return {};
}

std::string RecordCsvTo(calib::LiveReadings& live, const std::filesystem::path& file) {
    live.StartRecording(file);
    const std::string& error = live.Recorder()->Error();
    if (error.empty()) return {};
    std::string text = "Cannot record to \"" + PathText(file) + "\": " + error;
    live.StopRecording();
    return text;
}

}  // namespace orv::app
