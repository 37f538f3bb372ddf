#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "config/ParamFields.h"
#include "config/TextConversions.h"

namespace orv::config {
namespace {

TEST(TextToInt32, FollowsTheDecimalConversionAndSaturates) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {" - 5", 0},
        {"12abc", 12},
        {"  \t-5", -5},
        {"+7", 7},
        {"007", 7},
        {"0x1F", 0},
        {"1.9", 1},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", -2147483647 - 1},
        {"99999999999999999999999999999999", 2147483647},
        {"-99999999999999999999999999999999", -2147483647 - 1},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToInt32(c.text), c.expected) << '"' << c.text << '"';
}

TEST(TextToInt32, KeepsTheLowBitsOfTheField) {
    struct Case {
        const char* text;
        std::uint16_t low16;
        std::uint8_t low8;
    };
    const Case cases[] = {
        {"-1", 0xFFFF, 0xFF},       {"65535", 0xFFFF, 0xFF}, {"65536", 0x0000, 0x00},
        {"70000", 4464, 0x70},      {"200", 200, 0xC8},      {"-128", 0xFF80, 0x80},
        {"-129", 0xFF7F, 0x7F},     {"2147483648", 0xFFFF, 0xFF}, {"-2147483649", 0x0000, 0x00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToLow16(c.text), c.low16) << c.text;
        EXPECT_EQ(TextToLow8(c.text), c.low8) << c.text;
    }
}

TEST(TextToFloat, FollowsTheDecimalConversionInSinglePrecision) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* text;
        float expected;
    };
    const Case cases[] = {
        {"", 0.0f},
        {".", 0.0f},
        {"-", 0.0f},
        {"abc", 0.0f},
        {"12.5", 12.5f},
        {"  -200.0", -200.0f},
        {"+3.25xyz", 3.25f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"1e3", 1000.0f},
        {"-.5E1", -5.0f},
        {"1e", 1.0f},      // an exponent needs digits, else it is not taken
        {"1.5e+", 1.5f},
        {"1,5", 1.0f},     // never the locale's decimal comma
        {"0x10", 0.0f},    // no hexadecimal
        {"inf", 0.0f},     // only decimal numbers
        {"nan", 0.0f},
        {"0.1", 0.1f},
        {"3.4028235e38", std::numeric_limits<float>::max()},
        {"1e39", kInf},
        {"-1e39", -kInf},
        {"1e400", kInf},
        {"0.000000000000000000000000000000000000000000000000001e400", kInf},
        {"1e-50", 0.0f},
        {"1e-400", 0.0f},
        {"1000000000000000000000000000000000000000000000000e-400", 0.0f},
        {"1e99999999999999999999", kInf},
    };
    for (const auto& c : cases) {
        const float got = TextToFloat(c.text);
        EXPECT_EQ(got, c.expected) << '"' << c.text << '"';
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << '"' << c.text << '"';
    }
}

TEST(RoundToFloat, OverflowsOnlyFromTheHalfwayPointUp) {
    const double justBelowHalfway = std::nextafter(std::ldexp(0x1.ffffffp0, 127), 0.0);
    EXPECT_EQ(RoundToFloat(justBelowHalfway), std::numeric_limits<float>::max());
    EXPECT_EQ(RoundToFloat(-justBelowHalfway), -std::numeric_limits<float>::max());
    EXPECT_TRUE(std::isinf(RoundToFloat(std::ldexp(0x1.ffffffp0, 127))));
    EXPECT_TRUE(std::isnan(RoundToFloat(std::nan(""))));
    EXPECT_EQ(RoundToFloat(16777217.0), 16777216.0f);  // ties to even
}

// A block written out by hand, byte by byte, little-endian.
constexpr std::array<std::uint8_t, 36> kBlock{
    0x05, 0x10, 0x01, 0x03,  // model, inputType, cjcMode, wireCount
    0x00, 0x00, 0x48, 0xC3,  // rangeZero -200.0
    0x00, 0x80, 0xA2, 0x44,  // rangeFull 1300.0
    0x09, 0x00, 0x01,        // damping, breakAlarm, outputDirection
    0x00, 0x00, 0x7A, 0x44,  // resistanceCal 1000.0
    0xFF, 0xFF,              // millivoltCal -1
    0xFF, 0xFF,              // ambientCal 65535
    0x93, 0x03,              // out1ZeroTrim 915
    0x5C, 0x12,              // out1FullTrim 4700
    0xFB,                    // offsetCorrection -5
    0x00, 0x80,              // voltageCal -32768
    0xFF, 0x7F,              // currentCal 32767
    0x34, 0x12,              // out2ZeroTrim 0x1234
    0x00, 0xF0,              // out2FullTrim 0xF000
};

TEST(ParamFields, ReadsEveryFieldAtItsOffsetAndWritesTheSameBytes) {
    const auto f = ParamFields::Read(kBlock);
    EXPECT_EQ(f.model, 5);
    EXPECT_EQ(f.inputType, 0x10);
    EXPECT_EQ(f.cjcMode, 1);
    EXPECT_EQ(f.wireCount, 3);
    EXPECT_EQ(f.rangeZero, -200.0f);
    EXPECT_EQ(f.rangeFull, 1300.0f);
    EXPECT_EQ(f.dampingLevel, 9);
    EXPECT_EQ(f.breakAlarm, 0);
    EXPECT_EQ(f.outputDirection, 1);
    EXPECT_EQ(f.resistanceCal, 1000.0f);
    EXPECT_EQ(f.millivoltCal, -1);
    EXPECT_EQ(f.ambientCal, 65535);
    EXPECT_EQ(f.out1ZeroTrim, 915);
    EXPECT_EQ(f.out1FullTrim, 4700);
    EXPECT_EQ(f.offsetCorrection, -5);
    EXPECT_EQ(f.voltageCal, -32768);
    EXPECT_EQ(f.currentCal, 32767);
    EXPECT_EQ(f.out2ZeroTrim, 0x1234);
    EXPECT_EQ(f.out2FullTrim, 0xF000);

    std::array<std::uint8_t, 36> out{};
    out.fill(0xAA);
    f.Write(out);
    EXPECT_EQ(out, kBlock);
}

}  // namespace
}  // namespace orv::config
