// The check's arithmetic against values worked out by hand. Readings and
// references are exact in binary, so the expected errors are exact too.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "calib/CheckMath.h"

namespace orv::calib {
namespace {

TEST(CheckMath, PointsWorkedByHand) {
    struct Case {
        const char* name;
        CheckRange range;
        float percent, reference;
        std::vector<float> readings;
        std::optional<float> meter;
        float nominal, measured, error, errorPercent;
        double expectedMa;  // only with a meter
        bool pass;
    };
    constexpr CheckRange k0to100{0.0f, 100.0f, true};
    constexpr CheckRange k0to100Reversed{0.0f, 100.0f, false};
    const Case cases[] = {
        // 0.25 on a span of 100 is 0.25 %: the limit itself passes.
        {"4-20 at the limit", k0to100, 50, 50, {50.125f, 50.375f}, 12.0f, 50, 50.25f, 0.25f, 0.25f, 12.0, true},
        {"just past the limit", k0to100, 50, 50, {50.25f, 50.5f}, {}, 50, 50.375f, 0.375f, 0.375f, 0, false},
        // 20 - 16 * 0.25 = 16 mA; 0.0625 mA off is 0.390625 % of 16 mA.
        {"20-4 output off", k0to100Reversed, 25, 25, {25.0f}, 16.0625f, 25, 25, 0, 0, 16.0, false},
        // -200 + 0.75 * 160 = -80; 0.25 / 160 = 0.15625 %; 4 + 16 * 0.75 = 16 mA.
        {"negative range", {-200.0f, -40.0f, true}, 75, -80, {-79.75f}, 16.0f, -80, -79.75f, 0.25f, 0.15625f, 16.0,
         true},
        // TC K 0..1300: 975 to apply; 979.5 - 975.5 = 4, 4 / 1300 = 0.3077 %;
        // the current follows the reference: 4 + 16 * 975.5 / 1300.
        {"TC range", {0.0f, 1300.0f, true}, 75, 975.5f, {979.5f}, 16.0f, 975, 979.5f, 4, 0.307692f, 16.006154, false},
        // PT100 -50..150: 25 % is 0 degC; mean 0.5, 0.5 / 200 = 0.25 %; 8 mA expected.
        {"RTD range", {-50.0f, 150.0f, true}, 25, 0, {0.25f, 0.5f, 0.75f}, 8.03f, 0, 0.5f, 0.5f, 0.25f, 8.0, true},
        // Reversed range: 25 % of 100..0 is 75, and 75 gives 8 mA on a 4-20 output.
        {"zero above full", {100.0f, 0.0f, true}, 25, 75, {74.75f}, 8.0f, 75, 74.75f, -0.25f, -0.25f, 8.0, true},
        // 20 - 16 * 1.1 = 2.4 mA, held at 3.8; 20 + 16 * 0.1 = 21.6, held at 20.5.
        {"20-4 over range held at 3.8 mA", k0to100Reversed, 100, 110, {110.0f}, 3.8f, 100, 110, 0, 0, 3.8, true},
        {"20-4 under range held at 20.5 mA", k0to100Reversed, 0, -10, {-10.0f}, 20.5f, 0, -10, 0, 0, 20.5, true},
        {"4-20 under range held at 3.8 mA", k0to100, 0, -10, {-10.0f}, 3.8f, 0, -10, 0, 0, 3.8, true},
    };
    for (const auto& c : cases) {
        const PointResult p = EvaluatePoint(c.range, 0.25f, c.percent, c.reference, c.readings, Settle::Steady, c.meter);
        EXPECT_FLOAT_EQ(p.nominal, c.nominal) << c.name;
        EXPECT_FLOAT_EQ(p.measured, c.measured) << c.name;
        EXPECT_FLOAT_EQ(p.error, c.error) << c.name;
        EXPECT_NEAR(p.errorPercent, c.errorPercent, 1e-5) << c.name;
        ASSERT_EQ(p.current.has_value(), c.meter.has_value()) << c.name;
        if (c.meter) {
            EXPECT_NEAR(p.current->expected, c.expectedMa, 1e-5) << c.name;
            EXPECT_NEAR(p.current->errorPercent, (*c.meter - c.expectedMa) * 100.0 / 16.0, 1e-4) << c.name;
        }
        EXPECT_EQ(p.pass, c.pass) << c.name;
    }
}

}  // namespace
}  // namespace orv::calib
