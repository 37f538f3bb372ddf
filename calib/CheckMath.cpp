#include "calib/CheckMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "config/RangeFormat.h"
#include "config/SettingCatalogue.h"

namespace orv::calib {

namespace {

using config::InfoOf;
using config::Setting;

// Results are kept in single precision; one too large for it (an error in
// percent of a minute span) is kept as the largest there is rather than as
// an infinity no file can hold.
float Stored(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -kMax, kMax));
}

}  // namespace

CheckRange RangeOf(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    CheckRange r;
    r.zero = static_cast<float>(config::ReadField(InfoOf(Setting::RangeZero), block));
    r.full = static_cast<float>(config::ReadField(InfoOf(Setting::RangeFull), block));
    const auto fourToTwenty = config::CodeOfWord(InfoOf(Setting::OutputDirection), "4-20mA");
    r.fourToTwenty = config::ReadField(InfoOf(Setting::OutputDirection), block) == *fourToTwenty;
    return r;
}

double Span(const CheckRange& range) {
    const double span = static_cast<double>(range.full) - static_cast<double>(range.zero);
    return std::isfinite(span) ? span : 0.0;
}

float NominalAt(const CheckRange& range, float percent) {
    return Stored(static_cast<double>(range.zero) + static_cast<double>(percent) * Span(range) / 100.0);
}

double ExpectedCurrent(const CheckRange& range, double value) {
    const OutputRange output{static_cast<double>(range.zero), static_cast<double>(range.full), !range.fourToTwenty};
    return OutputMilliamps(value, output).value_or(std::numeric_limits<double>::quiet_NaN());
}

std::string FormatInRange(const CheckRange& range, double value) {
    return config::FormatFixed(value, config::RangeDecimals(static_cast<float>(std::fabs(Span(range)))));
}

double PercentOfSpan(const CheckRange& range, double error) {
    // Multiplied first: an error of 0.25 on a span of 100 is exactly 0.25 %.
    return error * 100.0 / std::fabs(Span(range));
}

double PercentOfOutputSpan(double errorMa) { return errorMa * 100.0 / kOutputSpanMa; }

double SteadyBand(const CheckRange& range, float tolerancePercent) {
    return static_cast<double>(tolerancePercent) / 4.0 * std::fabs(Span(range)) / 100.0;
}

bool IsSteady(std::span<const float> readings, double band) {
    if (readings.empty()) return false;
    const auto [lo, hi] = std::minmax_element(readings.begin(), readings.end());
    return static_cast<double>(*hi) - static_cast<double>(*lo) <= band;
}

PointResult EvaluatePoint(const CheckRange& range, float tolerancePercent, float percent, float reference,
                          std::span<const float> readings, Settle settle, std::optional<float> meterCurrent) {
    PointResult p;
    p.percent = percent;
    p.nominal = NominalAt(range, percent);
    p.reference = reference;
    p.readings.assign(readings.begin(), readings.end());
    double sum = 0.0;
    for (float r : readings) sum += r;
    p.measured = Stored(readings.empty() ? 0.0 : sum / static_cast<double>(readings.size()));
    // From the stored mean, so the file's numbers agree with each other.
    const double error = static_cast<double>(p.measured) - static_cast<double>(reference);
    p.error = Stored(error);
    p.errorPercent = Stored(PercentOfSpan(range, error));
    p.settle = settle;
    if (meterCurrent) {
        CurrentCheck c;
        c.meter = *meterCurrent;
        c.expected = Stored(ExpectedCurrent(range, reference));
        const double currentError = static_cast<double>(c.meter) - static_cast<double>(c.expected);
        c.error = Stored(currentError);
        c.errorPercent = Stored(PercentOfOutputSpan(currentError));
        p.current = c;
    }
    p.pass = Passes(p, tolerancePercent);
    return p;
}

bool Passes(const PointResult& point, float tolerancePercent) {
    // Decided on the stored numbers, so a record read back says the same.
    return std::fabs(point.errorPercent) <= tolerancePercent &&
           (!point.current || std::fabs(point.current->errorPercent) <= tolerancePercent);
}

}  // namespace orv::calib
