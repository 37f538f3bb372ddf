#pragma once
// The window menu's file items as every front end offers them: their texts,
// what each does with the file the user chose and what it says when it
// cannot. A front end only asks for the file and shows the message that
// comes back, so the Qt and the Win32 window refuse the same files with the
// same words.
#include <filesystem>
#include <string>

#include "OrvaneVersion.h"
#include "app/core/CMyDlg.h"
#include "app/core/features/ConfigTransfer.h"
#include "calib/LiveReadings.h"

namespace orv::app {

// Written into every saved configuration as the program that saved it.
inline constexpr const char* kToolName = kProductVersion;

namespace text {
inline constexpr char kOpenConfiguration[] = "Open Configuration...";
inline constexpr char kSaveConfiguration[] = "Save Configuration...";
inline constexpr char kRecordCsv[] = "Record to CSV...";
inline constexpr char kStopRecording[] = "Stop Recording";
// File dialog captions and the names of their filters.
inline constexpr char kOpenConfigurationCaption[] = "Open Configuration";
inline constexpr char kSaveConfigurationCaption[] = "Save Configuration";
inline constexpr char kRecordCsvCaption[] = "Record to CSV";
inline constexpr char kConfigurationFiles[] = "Configurations (*.json)";
inline constexpr char kCsvFiles[] = "CSV files (*.csv)";
inline constexpr char kAllFiles[] = "All files (*)";
}  // namespace text

// A path as UTF-8 whatever the platform's narrow encoding, for messages.
std::string PathText(const std::filesystem::path& file);

// Each returns an empty string when it worked, else the message to show.

// The settings the window shows now, with the block last read.
std::string SaveConfigurationTo(CMyDlg& dlg, const LastBlockRead& lastRead, const std::filesystem::path& file);

// Puts the file's settings into the window (its calibration constants and
// trims too when withCalibration), sending nothing. A refused file leaves the
// window untouched. Having taken calibration, it tells the user where it went.
std::string OpenConfigurationFrom(CMyDlg& dlg, const std::filesystem::path& file, bool withCalibration);

// Starts a recording, replacing one that runs; a failed start leaves none.
std::string RecordCsvTo(calib::LiveReadings& live, const std::filesystem::path& file);

}  // namespace orv::app
