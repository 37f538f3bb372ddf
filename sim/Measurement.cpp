// The simulated device's analog side. Kept deliberately simple: linear
// converters, a constant Seebeck coefficient per thermocouple type, the
// standard RTD curves. What matters is that each raw reading depends on the
// hidden true constants in exactly the way the tool's calibration arithmetic
// inverts, and that the measured value uses only the stored constants.
//
// Raw readings (signed 16-bit converter counts):
//   RV0  resistance channel, sensor side:    +gain * R(terminals)
//   RV3  resistance channel, reference side: -gain * Rref(true)
//        so Rref = -RV3 * R / RV0, the resistance calibration step.
//   RV1  signal channel: millivolts * mvCounts / 80 (TC and mV inputs, and
//        everything else but voltage), or volts * vCounts / 10 (voltage input);
//        at the calibration signal (80 mV, 10 V) it reads the constant itself.
//   RV2  current channel: milliamps * iCounts / 20; at 20 mA the constant.
//   RV4  ambient sensor, a junction falling 1.73 mV/degC on a 2450 mV 16-bit
//        converter: counts0 - T * 1.73 * 65535 / 2450, so
//        counts0 = T * 1.73 * 65535 / 2450 + RV4, the ambient calibration step.
#include <algorithm>
#include <cmath>
#include <optional>

#include "sim/BlockFields.h"
#include "sim/Transmitter.h"

namespace orv::sim {

namespace {

constexpr double kAmbientCountsPerDegree = 1.73 * 65535.0 / 2450.0;
constexpr double kMillivoltSpan = 80.0;  // mV at millivoltCal counts
constexpr double kVoltSpan = 10.0;       // V at voltageCal counts
constexpr double kMilliampSpan = 20.0;   // mA at currentCal counts

constexpr std::uint8_t kCodeMillivolt = 15, kCodeR400 = 23, kCodeR4k = 31, kCodeVoltage = 32, kCodeCurrent = 33;

// uV per degC for TC K, E, S, B, R, J, T, N (codes 0..7), near their middle range.
constexpr double kSeebeck[8] = {41.0, 68.0, 10.0, 9.0, 12.0, 55.0, 43.0, 39.0};

struct Rtd {
    double r0;
    bool copper;
};

std::optional<Rtd> RtdOf(std::uint8_t code) {
    switch (code) {
        case 16: return Rtd{100.0, false};
        case 17: return Rtd{50.0, true};
        case 24: return Rtd{200.0, false};
        case 25: return Rtd{500.0, false};
        case 26: return Rtd{1000.0, false};
        default: return std::nullopt;
    }
}

// Platinum: IEC 60751 Callendar-Van Dusen; copper: linear alpha 0.00428.
constexpr double kA = 3.9083e-3, kB = -5.775e-7, kC = -4.183e-12, kCopperAlpha = 4.28e-3;

double RtdOhms(const Rtd& rtd, double t) {
    if (rtd.copper) return rtd.r0 * (1.0 + kCopperAlpha * t);
    double ratio = 1.0 + kA * t + kB * t * t;
    if (t < 0.0) ratio += kC * (t - 100.0) * t * t * t;
    return rtd.r0 * ratio;
}

double RtdCelsius(const Rtd& rtd, double ohms) {
    const double ratio = ohms / rtd.r0;
    if (rtd.copper) return (ratio - 1.0) / kCopperAlpha;
    if (ratio >= 1.0) {
        const double disc = std::max(0.0, kA * kA - 4.0 * kB * (1.0 - ratio));
        return (-kA + std::sqrt(disc)) / (2.0 * kB);
    }
    // Below 0 degC the curve has the quartic term: a few Newton steps from
    // the linear guess converge well within the converter's resolution.
    double t = (ratio - 1.0) / kA;
    for (int i = 0; i < 8; ++i) {
        const double f = RtdOhms(rtd, t) / rtd.r0 - ratio;
        const double df = kA + 2.0 * kB * t + kC * (4.0 * t * t * t - 300.0 * t * t);
        t -= f / df;
    }
    return t;
}

// Converter gain in counts per ohm, switched by range so the largest sensor
// value of the type still fits 16 bits next to the 402-ohm reference.
double ResistanceGain(std::uint8_t code) {
    switch (code) {
        case 24: return 40.0;       // PT200, up to about 780 ohm
        case 25: return 16.0;       // PT500, up to about 1950 ohm
        case 26:
        case kCodeR4k: return 8.0;  // PT1000 and 0..4 kohm
        default: return 60.0;       // PT100, Cu50, 0..400 ohm, and the other inputs
    }
}

std::int16_t Counts(double value) {
    if (!std::isfinite(value)) return value < 0 ? INT16_MIN : INT16_MAX;
    return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

// A stored constant of 0 would divide by zero; the reading then is 0, which
// is as visibly wrong as a real device's saturated converter.
double Ratio(double num, double den) { return den != 0.0 ? num / den : 0.0; }

}  // namespace

protocol::MeasureBlock Transmitter::Evaluate(unsigned tick) const {
    using namespace field;
    const double wobble = bench.drift * std::sin(0.9 * tick);
    const double sensor = bench.sensorCelsius + 0.1 * wobble;
    const double ambient = bench.ambientCelsius + 0.05 * wobble;
    const double rel = 1.0 + 0.001 * wobble;

    const std::uint8_t code = block_[kInputType];
    const auto rtd = RtdOf(code);
    const double gain = ResistanceGain(code);
    const double terminalOhms = rtd ? RtdOhms(*rtd, sensor) : bench.ohms * rel;

    double signalCounts;
    if (code == kCodeVoltage) {
        signalCounts = bench.volts * rel * truth.voltageCounts / kVoltSpan;
    } else {
        const bool thermocouple = code < 8 && bench.thermocoupleFromTemperature;
        const double mv = thermocouple ? kSeebeck[code] * (sensor - ambient) / 1000.0 : bench.millivolts * rel;
        signalCounts = mv * truth.millivoltCounts / kMillivoltSpan;
    }

    protocol::MeasureBlock m;
    m.raw[0] = Counts(gain * terminalOhms);
    m.raw[1] = Counts(signalCounts);
    m.raw[2] = Counts(bench.milliamps * rel * truth.currentCounts / kMilliampSpan);
    m.raw[3] = Counts(-gain * truth.referenceOhms);
    m.raw[4] = Counts(truth.ambientCountsAt0 - ambient * kAmbientCountsPerDegree);

    // From here on only the raw readings and the stored constants count.
    const double seenAmbient = (U16(block_, kAmbientCal) - m.raw[4]) / kAmbientCountsPerDegree;
    const double referenceOhms = F32(block_, kResistanceCal) / 50.0;
    const double ohms = Ratio(m.raw[0] * referenceOhms, -static_cast<double>(m.raw[3]));
    const double millivolts = Ratio(m.raw[1] * kMillivoltSpan, S16(block_, kMillivoltCal));

    double value = 0.0;  // unknown input codes read 0
    if (code < 8) {
        // Cold-junction compensation with the device's own ambient reading;
        // an external Cu50 sits at the same terminals, so it reads the same.
        value = millivolts * 1000.0 / kSeebeck[code] + seenAmbient;
    } else if (code == kCodeMillivolt) {
        value = millivolts * 1000.0;  // reported in uV
    } else if (rtd) {
        value = RtdCelsius(*rtd, ohms);
    } else if (code == kCodeR400 || code == kCodeR4k) {
        value = ohms;
    } else if (code == kCodeVoltage) {
        value = Ratio(m.raw[1] * kVoltSpan, S16(block_, kVoltageCal));
    } else if (code == kCodeCurrent) {
        value = Ratio(m.raw[2] * kMilliampSpan, S16(block_, kCurrentCal));
    }
    value += error.offset + value * error.gainPercent / 100.0;
    // The offset correction is in whole units of the measured value.
    value += static_cast<std::int8_t>(block_[kOffset]);

    m.ambient = static_cast<float>(seenAmbient);
    m.measured = static_cast<float>(value);
    return m;
}

protocol::MeasureBlock Transmitter::Measure() { return Evaluate(++tick_); }

void Transmitter::ApplyInput(double value) {
    const std::uint8_t code = block_[field::kInputType];
    if (code < 8 || RtdOf(code)) {
        bench.sensorCelsius = value;
        bench.thermocoupleFromTemperature = true;
    } else if (code == kCodeMillivolt) {
        bench.millivolts = value / 1000.0;  // the device reports microvolts
    } else if (code == kCodeR400 || code == kCodeR4k) {
        bench.ohms = value;
    } else if (code == kCodeVoltage) {
        bench.volts = value;
    } else if (code == kCodeCurrent) {
        bench.milliamps = value;
    }
}

OutputCurrents Transmitter::Outputs() const {
    using namespace field;
    OutputCurrents c;
    c.dual = (block_[kModel] & 1) != 0;

    double code1 = simulated1_, code2 = simulated2_;
    if (mode_ == OutputMode::FollowMeasurement) {
        const double pv = Evaluate(tick_).measured;
        const double zero = F32(block_, kRangeZero), full = F32(block_, kRangeFull);
        double fraction = Ratio(pv - zero, full - zero);
        if (!std::isfinite(fraction)) fraction = 0.0;
        if (block_[kOutputDirection] == 0) fraction = 1.0 - fraction;
        // Over- and under-range saturate at 3.8 and 20.5 mA as loop devices
        // do, in either direction: a reversed output beyond its range must
        // not sink to 3.5 mA, where a loop reads a failed device.
        fraction = std::clamp(fraction, -0.0125, 1.03125);
        const auto dac = [&](std::size_t zeroAt, std::size_t fullAt) {
            const double z = U16(block_, zeroAt), f = U16(block_, fullAt);
            return std::round(z + fraction * (f - z));
        };
        code1 = dac(kOut1Zero, kOut1Full);
        code2 = dac(kOut2Zero, kOut2Full);
    }
    // The true trims define the output stage: they give exactly 4 and 20 mA,
    // and any other code is proportionally off.
    const auto milliamps = [](double dacCode, int trueZero, int trueFull) {
        return 4.0 + 16.0 * Ratio(dacCode - trueZero, static_cast<double>(trueFull - trueZero));
    };
    c.out1 = milliamps(code1, truth.out1Zero, truth.out1Full);
    c.out2 = c.dual ? milliamps(code2, truth.out2Zero, truth.out2Full) : 0.0;
    return c;
}

}  // namespace orv::sim
