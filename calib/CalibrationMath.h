#pragma once
// The arithmetic of the input calibration view steps, as functions of the raw
// readings and the operator's reference values, apart from any window.
#include <cstdint>
#include <string>

namespace orv::calib {

// Why a step produced nothing worth writing into its field. The device would
// store whatever text the field holds, so a step that cannot produce a real
// number leaves the field alone and says why.
enum class StepFault {
    None,
    ZeroReading,  // the divisor reading is 0
    NotFinite,    // overflow, or an infinite reference
    OutOfRange,   // too large for the device's 16-bit field to mean anything
};

struct ResistanceStep {
    float value = 0.0f;  // in the unit of the reference resistance
    StepFault fault = StepFault::None;
};

struct AmbientStep {
    std::uint16_t value = 0;  // the device's unsigned 16-bit constant
    StepFault fault = StepFault::None;
};

// r = -RV3 * R / RV0, in double precision, rounded to single precision.
ResistanceStep ResistanceCalibration(float reference, std::int16_t rv0, std::int16_t rv3);

// v = T * 1.73 * 65535 / 2450 + RV4 (double, left to right), rounded to single
// precision, truncated toward zero; the low 16 bits are the constant.
AmbientStep AmbientCalibration(float referenceTemperature, std::int16_t rv4);

// What the operator reads when `step` (1 to 5) fails with `fault`.
std::string StepFaultText(int step, StepFault fault);

}  // namespace orv::calib
