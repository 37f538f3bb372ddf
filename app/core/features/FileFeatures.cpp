#include "app/core/features/FileFeatures.h"

#include <stdexcept>

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
    std::string text;
    try {
        text = config::SerializeConfig(record);
    } catch (const std::invalid_argument& e) {
        return std::string("Cannot save the configuration: ") + e.what();
    }
    return config::WriteFileAtomically(file, text);
}

std::string OpenConfigurationFrom(CMyDlg& dlg, const std::filesystem::path& file, bool withCalibration) {
    const config::ConfigLoad loaded = config::LoadConfigFile(file);
    if (!loaded.record) return loaded.error;
    std::string why;
    dlg.Dispatch([&] { why = ApplyConfigToWindow(CMyDlgPrivate::Of(dlg), *loaded.record, withCalibration); });
    if (!why.empty()) return "Cannot open the configuration \"" + PathText(file) + "\": " + why;
    if (withCalibration)
        dlg.Window().MessageBox("The calibration constants and trims of \"" + PathText(file.filename()) +
                                    "\" are now in the factory panel. They reach the device only with their update "
                                    "buttons.",
                                MessageIcon::Exclamation);
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
