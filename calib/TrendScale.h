#pragma once
// Value and time axes of the trend: what range an axis spans for the values
// it shows, and where its ticks go. Ticks fall on round numbers and on round
// local clock times, so a reader can interpolate between them.
#include <cstdint>
#include <string>
#include <vector>

namespace orv::calib {

struct ValueRange {
    double lo = 0, hi = 1;
    bool operator==(const ValueRange&) const = default;
};

// The range for values between min and max: 10 % of their spread on either
// side, and a flat run a small fixed band so it is a line in the middle of
// the plot rather than on its frame. Nothing finite gives 0 to 1.
ValueRange FitValues(double min, double max);

struct ValueTick {
    double value;
    std::string label;
};

// Ticks 1, 2 or 5 times a power of ten apart inside [lo, hi], at most
// maxTicks of them; labels carry as many decimals as the step needs.
std::vector<ValueTick> RoundTicks(double lo, double hi, int maxTicks);

struct TimeTick {
    std::int64_t ms;
    std::string label;
};

// Ticks on whole seconds, minutes, hours or days of local time (offset from
// UTC in minutes) inside [fromMs, toMs], at most maxTicks of them. Labels are
// HH:MM:SS below a minute's step, HH:MM above, and the date (MM-DD) where a
// tick falls on midnight.
std::vector<TimeTick> LocalTimeTicks(std::int64_t fromMs, std::int64_t toMs, int offsetMinutes, int maxTicks);

// "2026-12-09 13:04:05" in local time, for the cursor's readout.
std::string LocalDateTime(std::int64_t ms, int offsetMinutes);

}  // namespace orv::calib
