#include <gtest/gtest.h>

#include <cmath>

#include "Frames.h"
#include "sim/Transmitter.h"

namespace orv::sim {
namespace {

using simtest::Bytes;

simtest::Measurement Read(Transmitter& t) {
    const Bytes a = t.Receive(simtest::kReadMeasure);
    EXPECT_EQ(a.size(), 22u);
    return simtest::ParseMeasure(a);
}

void Store(Transmitter& t, std::uint8_t start, const Bytes& data) { ASSERT_EQ(t.Receive(simtest::Write(start, data)).size(), 4u); }

// Writes the hidden true constants into the block: a perfectly calibrated device.
void StoreTruth(Transmitter& t) {
    Store(t, 15, simtest::F32LE(static_cast<float>(t.truth.referenceOhms * 50.0)));
    Store(t, 19, simtest::U16LE(static_cast<std::uint16_t>(t.truth.millivoltCounts)));
    Store(t, 21, simtest::U16LE(static_cast<std::uint16_t>(t.truth.ambientCountsAt0)));
    Store(t, 28, simtest::U16LE(static_cast<std::uint16_t>(t.truth.voltageCounts)));
    Store(t, 30, simtest::U16LE(static_cast<std::uint16_t>(t.truth.currentCounts)));
}

TEST(Measurement, CalibratedDeviceReadsTheBenchInTheInputsUnit) {
    struct Case {
        const char* name;
        std::uint8_t code;
        void (*apply)(Bench&);
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {"TC K degC", 0, [](Bench& b) { b.sensorCelsius = 412.0; }, 412.0, 0.3},
        {"TC S degC", 2, [](Bench& b) { b.sensorCelsius = 1000.0; }, 1000.0, 1.0},
        {"TC T below ambient", 6, [](Bench& b) { b.sensorCelsius = -40.0; }, -40.0, 0.3},
        {"mV in uV", 15, [](Bench& b) { b.millivolts = -35.5; }, -35500.0, 10.0},
        {"PT100 degC", 16, [](Bench& b) { b.sensorCelsius = 250.0; }, 250.0, 0.1},
        {"PT100 below zero", 16, [](Bench& b) { b.sensorCelsius = -150.0; }, -150.0, 0.1},
        {"Cu50 degC", 17, [](Bench& b) { b.sensorCelsius = 80.0; }, 80.0, 0.2},
        {"R 0..400 ohm", 23, [](Bench& b) { b.ohms = 123.4; }, 123.4, 0.05},
        {"PT1000 degC", 26, [](Bench& b) { b.sensorCelsius = 600.0; }, 600.0, 0.3},
        {"R 0..4k ohm", 31, [](Bench& b) { b.ohms = 3210.0; }, 3210.0, 0.5},
        {"voltage V", 32, [](Bench& b) { b.volts = 7.5; }, 7.5, 0.002},
        {"current mA", 33, [](Bench& b) { b.milliamps = 4.2; }, 4.2, 0.005},
        {"unknown code reads 0", 40, [](Bench&) {}, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        Transmitter t;
        t.bench.drift = 0;
        t.bench.ambientCelsius = 21.0;
        c.apply(t.bench);
        StoreTruth(t);
        Store(t, 1, {c.code});
        const auto m = Read(t);
        EXPECT_NEAR(m.measured, c.expected, c.tolerance) << c.name;
        EXPECT_NEAR(m.ambient, 21.0, 0.03) << c.name;
    }
}

TEST(Measurement, AppliedInputAndAKnownErrorInTheInputsUnit) {
    struct Case {
        const char* name;
        std::uint8_t code;
        double applied;
        ReadingError error;
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {"TC K", 0, 650.0, {}, 650.0, 0.3},
        {"TC K with an offset", 0, 650.0, {13.0, 0.0}, 663.0, 0.3},
        {"TC K with a gain error", 0, 1300.0, {0.0, 0.3}, 1303.9, 0.3},
        {"mV in uV", 15, -40000.0, {}, -40000.0, 10.0},
        {"PT100 below zero, both errors", 16, -100.0, {0.5, 1.0}, -100.5, 0.1},
        {"R 0..4k", 31, 2500.0, {}, 2500.0, 0.5},
        {"voltage", 32, 2.5, {0.01, 0.0}, 2.51, 0.002},
        {"current", 33, 16.0, {0.0, -0.5}, 15.92, 0.005},
    };
    for (const auto& c : cases) {
        Transmitter t;
        t.bench.drift = 0;
        StoreTruth(t);
        Store(t, 1, {c.code});
        t.ApplyInput(c.applied);
        t.error = c.error;
        EXPECT_NEAR(Read(t).measured, c.expected, c.tolerance) << c.name;
    }
}

TEST(Measurement, StoredConstantsSteerTheReading) {
    // Each row nudges one stored constant and says how the reading must move:
    // the device trusts its constants, so a wrong one shows as a wrong value.
    struct Case {
        const char* name;
        std::uint8_t code;
        std::uint8_t at;
        Bytes stored;
        double factor;  // expected measured / calibrated measured (0 = use shift)
        double shift;   // expected measured - calibrated measured
    };
    Transmitter ref;
    const double mv = ref.truth.millivoltCounts, v = ref.truth.voltageCounts, i = ref.truth.currentCounts;
    const Case cases[] = {
        {"resistanceCal +1%", 23, 15, simtest::F32LE(static_cast<float>(ref.truth.referenceOhms * 50 * 1.01)), 1.01, 0},
        {"millivoltCal +1%", 15, 19, simtest::U16LE(static_cast<std::uint16_t>(std::lround(mv * 1.01))), 1 / 1.01, 0},
        {"voltageCal -2%", 32, 28, simtest::U16LE(static_cast<std::uint16_t>(std::lround(v * 0.98))), 1 / 0.98, 0},
        {"currentCal +2%", 33, 30, simtest::U16LE(static_cast<std::uint16_t>(std::lround(i * 1.02))), 1 / 1.02, 0},
        // 46.2753 counts per degC: 463 counts more means the board reads 10 K
        // warmer, and the cold-junction compensation carries that into the TC.
        {"ambientCal +463 on TC", 0, 21, simtest::U16LE(static_cast<std::uint16_t>(ref.truth.ambientCountsAt0 + 463)), 0, 10.005},
        {"offset -5", 23, 27, {0xFB}, 0, -5.0},
    };
    for (const auto& c : cases) {
        Transmitter t;
        t.bench.drift = 0;
        StoreTruth(t);
        Store(t, 1, {c.code});
        const double good = Read(t).measured;
        Store(t, c.at, c.stored);
        const double bad = Read(t).measured;
        if (c.factor != 0)
            EXPECT_NEAR(bad / good, c.factor, 0.002) << c.name;
        else
            EXPECT_NEAR(bad - good, c.shift, 0.05) << c.name;
    }
}

TEST(Measurement, CalibrationWalkedThroughFixesTheFactoryDevice) {
    Transmitter t;
    t.bench.drift = 0;
    auto measure = [&](std::uint8_t code, auto apply) {
        Store(t, 1, {code});
        apply(t.bench);
        return Read(t);
    };

    // Resistance: operator applies 400.5 ohm, r = -RV3 * R / RV0, stored times 50.
    auto m = measure(23, [](Bench& b) { b.ohms = 400.5; });
    const float r = static_cast<float>(-static_cast<double>(m.raw[3]) * 400.5f / m.raw[0]);
    Store(t, 15, simtest::F32LE(static_cast<float>(r * 50.0f)));
    // Millivolts: 80 mV from a calibrator on the TC terminals; the value is RV1.
    t.bench.thermocoupleFromTemperature = false;
    m = measure(0, [](Bench& b) { b.millivolts = 80.0; });
    Store(t, 19, simtest::U16LE(static_cast<std::uint16_t>(m.raw[1])));
    t.bench.thermocoupleFromTemperature = true;
    // Ambient: reference thermometer says 23.0 degC.
    m = measure(0, [](Bench& b) { b.ambientCelsius = 23.0; });
    const auto v = static_cast<float>(23.0f * 1.73 * 65535.0 / 2450.0 + m.raw[4]);
    Store(t, 21, simtest::U16LE(static_cast<std::uint16_t>(static_cast<std::int32_t>(v))));
    // Voltage at 10 V and current at 20 mA read RV1 and RV2.
    m = measure(32, [](Bench& b) { b.volts = 10.0; });
    Store(t, 28, simtest::U16LE(static_cast<std::uint16_t>(m.raw[1])));
    m = measure(33, [](Bench& b) { b.milliamps = 20.0; });
    Store(t, 30, simtest::U16LE(static_cast<std::uint16_t>(m.raw[2])));

    struct Check {
        std::uint8_t code;
        void (*apply)(Bench&);
        double expected, tolerance;
    };
    const Check checks[] = {
        {23, [](Bench& b) { b.ohms = 250.0; }, 250.0, 0.05},
        {0, [](Bench& b) { b.sensorCelsius = 800.0; }, 800.0, 0.3},
        {32, [](Bench& b) { b.volts = 2.5; }, 2.5, 0.002},
        {33, [](Bench& b) { b.milliamps = 16.0; }, 16.0, 0.005},
    };
    for (const auto& c : checks) {
        const auto after = measure(c.code, c.apply);
        EXPECT_NEAR(after.measured, c.expected, c.tolerance) << "code " << int(c.code);
        EXPECT_NEAR(after.ambient, 23.0, 0.03);
    }
    // And the factory constants were off by more than that: the walk mattered.
    Transmitter factory;
    factory.bench.drift = 0;
    factory.bench.ambientCelsius = 23.0;
    factory.bench.sensorCelsius = 800.0;
    EXPECT_GT(std::abs(Read(factory).measured - 800.0), 0.4);
}

TEST(Measurement, DriftIsSmallAndDeterministic) {
    Transmitter a, b;
    Store(a, 1, {16});
    Store(b, 1, {16});
    bool moved = false;
    float first = 0;
    for (int k = 0; k < 10; ++k) {
        const auto ma = Read(a), mb = Read(b);
        EXPECT_EQ(ma.measured, mb.measured);
        EXPECT_NEAR(ma.measured, 100.0, 0.3);
        if (k == 0) first = ma.measured;
        moved = moved || ma.measured != first;
    }
    EXPECT_TRUE(moved);
}

TEST(Outputs, TrimCodesAgainstTheOutputStage) {
    struct Case {
        const char* name;
        std::uint8_t model;
        Bytes command;
        double out1, out2;
        bool dual;
    };
    Transmitter ref;
    const auto& tr = ref.truth;
    const auto u = [](int v) { return static_cast<std::uint16_t>(v); };
    const Case cases[] = {
        {"true zero trims", 5, simtest::Command(1, u(tr.out1Zero), u(tr.out2Zero)), 4.0, 4.0, true},
        {"true full trims", 5, simtest::Command(2, u(tr.out1Full), u(tr.out2Full)), 20.0, 20.0, true},
        // 915 is 3 codes above output 1's true zero (3801 codes per 16 mA) and
        // 6 below output 2's (3767 per 16 mA), worked out by hand.
        {"factory zero trims are off", 5, simtest::Command(1, 915, 915), 4.0126283, 3.9745155, true},
        {"single-output model", 4, simtest::Command(2, u(tr.out1Full), u(tr.out2Full)), 20.0, 0.0, false},
    };
    for (const auto& c : cases) {
        Transmitter t;
        Store(t, 0, {c.model});
        ASSERT_EQ(t.Receive(c.command).size(), 5u);
        const auto o = t.Outputs();
        EXPECT_NEAR(o.out1, c.out1, 1e-6) << c.name;
        EXPECT_NEAR(o.out2, c.out2, 1e-6) << c.name;
        EXPECT_EQ(o.dual, c.dual) << c.name;
    }
}

TEST(Outputs, FollowTheMeasurementOverTheRange) {
    struct Case {
        const char* name;
        double ohms;
        float zero;
        std::uint8_t direction;
        double expected;
    };
    const Case cases[] = {
        {"quarter range", 100.0, 0.0f, 1, 8.0},
        {"reversed", 100.0, 0.0f, 0, 16.0},
        {"range start", 50.0, 50.0f, 1, 4.0},
        {"over range saturates", 900.0, 0.0f, 1, 20.5},
        {"under range saturates", 10.0, 50.0f, 1, 3.8},
        // Reversed, the same band: never down to where a loop reads a failure.
        {"reversed over range saturates", 900.0, 0.0f, 0, 3.8},
        {"reversed under range saturates", 10.0, 50.0f, 0, 20.5},
    };
    for (const auto& c : cases) {
        Transmitter t;
        t.bench.drift = 0;
        t.bench.ohms = c.ohms;
        StoreTruth(t);
        Store(t, 1, {23});
        Store(t, 4, simtest::F32LE(c.zero));
        Store(t, 8, simtest::F32LE(400.0f));
        Store(t, 14, {c.direction});
        Store(t, 23, simtest::U16LE(static_cast<std::uint16_t>(t.truth.out1Zero)));
        Store(t, 25, simtest::U16LE(static_cast<std::uint16_t>(t.truth.out1Full)));
        EXPECT_NEAR(t.Outputs().out1, c.expected, 0.01) << c.name;
    }
}

}  // namespace
}  // namespace orv::sim
