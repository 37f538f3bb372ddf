#pragma once
// The arithmetic of a calibration check, apart from any device or window:
// the value to apply at a point of the range, the current an ideal
// transmitter drives for a value, when readings count as steady, and a
// point's errors and verdict.
//
// Errors are in percent of the span |full - zero|, so a reversed range
// (zero above full) is checked like any other. The expected current is the
// one the trend plots (OutputMilliamps): 4 mA at zero to 20 mA at full (20
// to 4 mA for a reversed output), held to the band loop transmitters
// saturate at beyond their range, so an over- or under-range reference
// expects what a sound device drives.
#include <optional>
#include <span>
#include <string>

#include "calib/CheckRecord.h"
#include "calib/OutputCurrent.h"
#include "config/ParamImage.h"

namespace orv::calib {

struct CheckRange {
    float zero = 0.0f;
    float full = 0.0f;
    bool fourToTwenty = true;  // false: 20 mA at zero, 4 mA at full
};

// The range and output direction the block configures.
CheckRange RangeOf(std::span<const std::uint8_t, config::kParamBlockSize> block);

// full - zero; 0 for a range nothing can be checked against.
double Span(const CheckRange& range);

// zero + percent of the span, rounded to single precision as the device's
// numbers are.
float NominalAt(const CheckRange& range, float percent);

// Not a number for a range of no span, which no run is started on.
double ExpectedCurrent(const CheckRange& range, double value);

// A value in the input's unit with the decimals the window shows for this
// range, so the windows, the command line and the certificate agree.
std::string FormatInRange(const CheckRange& range, double value);

// Errors in percent of span and of the 16 mA output span.
double PercentOfSpan(const CheckRange& range, double error);
double PercentOfOutputSpan(double errorMa);

// The band steady readings stay within: a quarter of the tolerance.
double SteadyBand(const CheckRange& range, float tolerancePercent);
bool IsSteady(std::span<const float> readings, double band);

// A point from its readings (at least one) and what the user entered. It
// passes when the measured error, and the output error when a meter
// current is given, are both within the tolerance (the limit itself passes).
PointResult EvaluatePoint(const CheckRange& range, float tolerancePercent, float percent, float reference,
                          std::span<const float> readings, Settle settle, std::optional<float> meterCurrent);
bool Passes(const PointResult& point, float tolerancePercent);

}  // namespace orv::calib
