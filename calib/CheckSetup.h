#pragma once
// What a calibration check runs with: the test points, the tolerance, how
// many readings make a point, and who checked the device with what. The same
// set-up serves every run of one record, so the as-found and the as-left
// tables compare the same points against the same limit.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::calib {

struct ReferenceInstrument {
    std::string name;
    std::string serial;
    std::string dueDate;  // of its own calibration certificate, YYYY-MM-DD, or empty
};

struct CheckSetup {
    std::vector<float> points{0.0f, 25.0f, 50.0f, 75.0f, 100.0f};  // percent of the configured range
    bool downwards = false;  // then the same points from the top down again, the top once
    float tolerance = 0.25f;  // percent of span, for the measured value and the output current alike
    int readings = 5;         // averaged for a point; also how many must agree to call it steady
    // The longest wait, counted in the poll's once-a-second readings, for
    // steady readings once a reference is accepted; then the last readings
    // are taken as they are and the point says it did not settle.
    int settleSeconds = 60;
    ReferenceInstrument reference;
    std::string technician;
    std::string tag;  // the device keeps none: free text for the plant's records
    std::string location;
};

inline constexpr int kMaxReadings = 100;
inline constexpr int kMaxSettleSeconds = 3600;
inline constexpr std::size_t kMaxPoints = 50;

// The percentages in the order they are measured.
std::vector<float> PlannedPoints(const CheckSetup& setup);

// Everything that keeps a set-up from running, one sentence each; empty when
// it can run.
std::vector<std::string> SetupProblems(const CheckSetup& setup);

// Whether the reference's certificate ran out before today (YYYY-MM-DD...).
bool ReferenceOverdue(const CheckSetup& setup, std::string_view today);

// A number as a person types it: decimal, optional sign, fraction and
// exponent, blanks around it. Read straight into single precision; text that
// is not one finite number gives nothing.
std::optional<float> ParseNumber(std::string_view text);

// "0, 25, 50, 75, 100": percentages separated by commas. error says what is
// wrong with the text (a part that is not a number, an empty list); the range
// of each value is SetupProblems' business.
struct ParsedPoints {
    std::vector<float> points;
    std::string error;
};
ParsedPoints ParsePointList(std::string_view text);

// The shortest text that reads back as the same float ("0.1", "25", "-1e-45").
std::string FloatText(float value);

}  // namespace orv::calib
