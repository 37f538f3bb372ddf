#pragma once
// The check window's words as every front end shows them: its captions,
// labels, buttons and table columns, the set-up form read from what was
// typed, and the points table in text. The Qt and the Win32 window take them
// from here so that they never differ.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calib/CheckRecord.h"
#include "calib/CheckSetup.h"

namespace orv::app {

namespace text {
inline constexpr char kCheckCaption[] = "Calibration Check - Orvane Revuvuvi";
inline constexpr char kCheckSetupGroup[] = "Set-up";
inline constexpr char kCheckPointGroup[] = "Point";
inline constexpr char kDownwards[] = "The same points downwards again";
inline constexpr char kAsFound[] = "As Found";
inline constexpr char kAsLeft[] = "As Left";
inline constexpr char kAccept[] = "Accept";
inline constexpr char kCutShort[] = "Cut Short";
inline constexpr char kAbort[] = "Abort";
inline constexpr char kNewCheck[] = "New Check";
inline constexpr char kSaveRecord[] = "Save Record...";
inline constexpr char kOpenRecord[] = "Open Record...";
inline constexpr char kSaveRecordCaption[] = "Save Check Record";
inline constexpr char kOpenRecordCaption[] = "Open Check Record";
inline constexpr char kApplyLabel[] = "Apply:";
inline constexpr char kMeasuredLabel[] = "Measured:";
inline constexpr char kMeterLabel[] = "Output current (mA):";
}  // namespace text

// The set-up form's text fields, in the order the form shows them.
enum class FormField : std::size_t {
    Points,
    Tolerance,
    Readings,
    SettleTime,
    ReferenceName,
    ReferenceSerial,
    ReferenceDue,
    Technician,
    Tag,
    Location,
};
inline constexpr std::size_t kFormFields = 10;
inline constexpr std::array<const char*, kFormFields> kFormLabels = {
    "Test points (% of range):", "Tolerance (% of span):", "Readings per point:", "Settle time (s):",
    "Reference instrument:",     "Serial number:",         "Certificate due (YYYY-MM-DD):",
    "Technician:",               "Tag:",                   "Location:",
};

// The form as typed, UTF-8.
struct CheckForm {
    std::array<std::string, kFormFields> fields;
    bool downwards = false;

    std::string& operator[](FormField f) { return fields[static_cast<std::size_t>(f)]; }
    const std::string& operator[](FormField f) const { return fields[static_cast<std::size_t>(f)]; }
    bool operator==(const CheckForm&) const = default;
};

CheckForm FormOf(const calib::CheckSetup& setup);

// The set-up the form describes, and everything that keeps it from running
// (empty when it can run), one sentence each.
struct FormReading {
    calib::CheckSetup setup;
    std::vector<std::string> problems;
};
FormReading ReadForm(const CheckForm& form);

// How a verdict is shown: its word and its colour, the same on both front ends.
enum class Shade { Plain, Pass, Fail, Incomplete };
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};
Rgb ShadeColour(Shade shade);
Shade ShadeOf(calib::Verdict verdict);

// The points table: one row per point measured, the runs in order.
inline constexpr std::array<const char*, 9> kCheckColumns = {
    "Run", "Point", "Apply", "Reference", "Measured", "Error", "Error (% of span)", "Output error (mA)", "Result",
};
struct CheckRow {
    std::array<std::string, kCheckColumns.size()> cells;
    Shade shade = Shade::Plain;  // of the whole row's verdict, shown in the last cell
    bool operator==(const CheckRow&) const = default;
};
std::vector<CheckRow> CheckRows(const calib::CheckRecord& record);

// "Result: fail (as found: fail, as left: incomplete, 2 of 5 points)".
std::string ResultText(const calib::CheckRecord& record);

// What the last run checked, from the block it read: "QV-UN2：万能输入：双输出,
// TC- K, 0.0 to 1300.0 ℃, 4-20mA"; empty without a run.
std::string DeviceText(const calib::CheckRecord& record);

// "As found", "As left".
std::string RunName(calib::RunKind kind);

}  // namespace orv::app
