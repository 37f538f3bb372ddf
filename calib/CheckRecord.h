#pragma once
// The record of a calibration check: the set-up, then each run (as found,
// as left) with the parameter block the device held when the run began and
// every point measured. It is what the certificate prints and what the
// record file keeps, so everything in it is a value as it was decided at the
// time, in the precision it is shown and stored (single), never recomputed
// from a newer rule.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calib/CheckSetup.h"
#include "config/ParamImage.h"

namespace orv::calib {

enum class RunKind { AsFound, AsLeft };
enum class Verdict { Pass, Fail, Incomplete };
// How a point's readings were taken: steady (the last readings agreed within
// a quarter of the tolerance), when the settle time ran out, or when the user
// cut the wait short. Only the first says the device had settled.
enum class Settle { Steady, TimeUp, CutShort };

// The output current read on a meter against what the range and the output
// direction call for at the reference value.
struct CurrentCheck {
    float meter = 0.0f;         // mA
    float expected = 0.0f;      // mA
    float error = 0.0f;         // meter - expected, mA
    float errorPercent = 0.0f;  // of the 16 mA span
};

struct PointResult {
    float percent = 0.0f;    // of the range, as planned
    float nominal = 0.0f;    // the value to apply, in the input's unit
    float reference = 0.0f;  // the value the reference says was applied
    std::vector<float> readings;  // the measured values averaged, oldest first
    float measured = 0.0f;        // their mean
    float error = 0.0f;           // measured - reference
    float errorPercent = 0.0f;    // of span
    Settle settle = Settle::Steady;
    std::optional<CurrentCheck> current;
    bool pass = false;
};

struct CheckRun {
    RunKind kind = RunKind::AsFound;
    std::string started;  // ISO 8601 with the offset from UTC
    std::array<std::uint8_t, config::kParamBlockSize> block{};  // as read when the run began
    std::vector<PointResult> points;  // measured, in the planned order
    // Why the run ended before its last point ("the device stopped
    // answering"); empty while it runs and once it is complete.
    std::string stopped;
};

struct CheckRecord {
    std::string tool;     // program and version that saved it
    std::string savedAt;  // ISO 8601
    CheckSetup setup;
    std::vector<CheckRun> runs;  // in the order they were run
};

// Every planned point measured.
bool IsComplete(const CheckRun& run, const CheckSetup& setup);

// Fail as soon as one measured point failed; pass only when complete and
// every point passed; otherwise incomplete. A run cut off is never a pass.
Verdict RunVerdict(const CheckRun& run, const CheckSetup& setup);
// The verdict on the device as it was left: its last as-left run, or its
// last as-found run when none was run as left; incomplete without runs.
Verdict RecordVerdict(const CheckRecord& record);

// The last run of a kind, or none.
const CheckRun* LastRun(const CheckRecord& record, RunKind kind);

std::string_view VerdictWord(Verdict verdict);  // "pass", "fail", "incomplete"
std::string_view RunKindWord(RunKind kind);     // "as-found", "as-left"
std::string_view SettleWord(Settle settle);     // "steady", "settle-time", "cut-short"

}  // namespace orv::calib
