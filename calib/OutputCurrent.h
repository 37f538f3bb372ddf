#pragma once
// The current a transmitter drives for a measured value: its range maps
// linearly onto 4-20 mA (or 20-4 mA), and outside the range the output
// stops at its saturation limits instead of following the value further.
#include <optional>

namespace orv::calib {

// The limits a 4-20 mA loop saturates at (NAMUR NE 43): far enough outside
// 4-20 to show an over- or under-range, short of the alarm currents.
inline constexpr double kOutputLowestMa = 3.8;
inline constexpr double kOutputHighestMa = 20.5;
// The current at range zero, and how far it moves over the span.
inline constexpr double kOutputZeroMa = 4.0;
inline constexpr double kOutputSpanMa = 16.0;

struct OutputRange {
    double zero = 0, full = 0;  // range zero and range full, in the measured value's unit
    bool reverse = false;       // 20-4 mA
};

// Nothing for a range of no width or a value that is not a number.
std::optional<double> OutputMilliamps(double measured, const OutputRange& range);

}  // namespace orv::calib
