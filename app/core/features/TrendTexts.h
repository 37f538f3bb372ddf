#pragma once
// The trend window's words as every front end shows them: its controls,
// its statistics and status lines, and what it says when a recording fails
// or a file cannot be opened. The Qt and the Win32 window read them here so
// that they never differ.
#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "app/core/WindowServices.h"
#include "calib/LiveReadings.h"
#include "calib/RecordingFile.h"
#include "calib/TrendView.h"

namespace orv::app {

namespace text {
inline constexpr char kTrend[] = "Trend...";
inline constexpr char kTrendCaption[] = "Trend - Orvane Revuvuvi";
inline constexpr char kPause[] = "Pause";
inline constexpr char kFollow[] = "Follow";
inline constexpr char kShowOutput[] = "Output (mA)";
inline constexpr char kOpenRecording[] = "Open Recording...";
inline constexpr char kLiveReadings[] = "Live Readings";
inline constexpr char kSaveImage[] = "Save Image...";
inline constexpr char kOpenRecordingCaption[] = "Open Recording";
inline constexpr char kSaveImageCaption[] = "Save Image";
inline constexpr char kPngFiles[] = "PNG images (*.png)";
// The spans offered, in the order of calib::TrendSpan.
inline constexpr std::array<const char*, 5> kSpans = {"1 min", "10 min", "1 h", "8 h", "Whole Run"};
}  // namespace text

// "Record to CSV..." or, while a recording runs, "Stop Recording".
const char* RecordItemText(const calib::LiveReadings& live);

// min, max, mean and standard deviation of what is shown, one line per quantity.
std::string TrendStatsText(const calib::TrendView& view, std::int64_t nowMs, const std::string& measuredUnit,
                           const std::string& ambientUnit);

// The recording that runs or ended, or the file shown.
std::string TrendStatusText(const calib::LiveReadings& live, const calib::TrendView& view,
                            const std::filesystem::path& shownFile);

// Said once when a running recording fails.
std::string RecordingFailedText(const calib::EndedRecording& ended);

// Shows that message in a stop box whenever a recording of live fails.
void ReportRecordingFailures(calib::LiveReadings& live, WindowServices& window);

// Reads a recording for the trend; on failure the message names the file and the reason.
std::string OpenRecordingFrom(const std::filesystem::path& file, std::optional<calib::Recording>& recording);

// Said when the picture cannot be written.
std::string SaveImageFailedText(const std::filesystem::path& file, const std::string& why);

// The configured range and output direction as the dialog shows them,
// when both range fields hold numbers.
std::optional<calib::OutputRange> ShownOutputRange(const WindowServices& window);

}  // namespace orv::app
