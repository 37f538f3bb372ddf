#include "calib/CalibrationMath.h"

#include <cmath>
#include <limits>

#include "config/TextConversions.h"

namespace orv::calib {

ResistanceStep ResistanceCalibration(float reference, std::int16_t rv0, std::int16_t rv3) {
    // A dead or disconnected reference channel reads 0; dividing by it would
    // put "inf" or "nan" into the field and, after an update, into the device.
    if (rv0 == 0) return {0.0f, StepFault::ZeroReading};
    const double r = (-static_cast<double>(rv3) * static_cast<double>(reference)) / static_cast<double>(rv0);
    // The rounding to single precision can overflow a finite double as well.
    const float rounded = config::RoundToFloat(r);
    if (!std::isfinite(rounded)) return {0.0f, StepFault::NotFinite};
    return {rounded, StepFault::None};
}

AmbientStep AmbientCalibration(float referenceTemperature, std::int16_t rv4) {
    const double scaled = static_cast<double>(referenceTemperature) * 1.73 * 65535.0 / 2450.0;
    const float v = config::RoundToFloat(scaled + static_cast<double>(rv4));
    if (!std::isfinite(v)) return {0, StepFault::NotFinite};
    // Converting a float outside the 32-bit range to an integer is undefined;
    // such a reference temperature is a typing error, not a calibration.
    const double truncated = std::trunc(static_cast<double>(v));
    if (truncated < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        truncated > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return {0, StepFault::OutOfRange};
    const auto whole = static_cast<std::int32_t>(truncated);
    return {static_cast<std::uint16_t>(static_cast<std::uint32_t>(whole) & 0xFFFFu), StepFault::None};
}

std::string StepFaultText(int step, StepFault fault) {
    const std::string kind = step == 1 ? "Resistance calibration" : step == 3 ? "Ambient calibration" : "Calibration";
    switch (fault) {
        case StepFault::None:
            return {};
        case StepFault::ZeroReading:
            return kind + " failed: reading RV0 is 0.";
        case StepFault::NotFinite:
            return kind + " failed: the result is not a finite number.";
        case StepFault::OutOfRange:
            return kind + " failed: the result is out of range.";
    }
    return kind + " failed.";
}

}  // namespace orv::calib
