#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "config/RangeFormat.h"

namespace orv::config {
namespace {

struct FormatCase {
    const char* what;
    double x;
    const char* zero;
    const char* full;
    const char* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.what; }

class FormatRangeValueCases : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatRangeValueCases, Formats) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatRangeValue(c.x, c.zero, c.full), c.expected) << c.what;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Decimals, FormatRangeValueCases,
    ::testing::Values(
        // The decimals step at each span boundary; the span is |zero - full|.
        FormatCase{"empty texts: span 0", 0.5, "", "", "0.5000"},
        FormatCase{"just below 2", 1.23456, "0", "1.99", "1.2346"},
        FormatCase{"2", 1.23456, "0", "2", "1.235"},
        FormatCase{"just below 20", 1.23456, "0", "19.99", "1.235"},
        FormatCase{"20", 1.23456, "0", "20", "1.23"},
        FormatCase{"just below 200", 1.23456, "0", "199.9", "1.23"},
        FormatCase{"200", 1.23456, "0", "200", "1.2"},
        FormatCase{"just below 2000", 1.23456, "0", "1999.9", "1.2"},
        FormatCase{"2000", 1.23456, "0", "2000", "1"},
        FormatCase{"reversed range", 12.25, "1300", "-200", "12.3"},
        FormatCase{"negative range", 12.25, "-200.0", "1300.0", "12.3"},
        FormatCase{"span rounds to 2 in single precision", 1.23456, "0", "1.99999999", "1.235"},
        FormatCase{"0..1.5", 0.75, "0", "1.5", "0.7500"},
        FormatCase{"texts with trailing letters", 1.23456, "0V", "25mA", "1.23"},
        FormatCase{"infinite span: 0 decimals", 12.7, "-1e39", "0", "13"},
        FormatCase{"NaN span (inf - inf): 0 decimals", 12.7, "1e39", "1e39", "13"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatRangeValueCases,
    ::testing::Values(
        // Exact halves go away from zero; printf would give 0.12, 2, 12.2.
        FormatCase{"0.125 to two places", 0.125, "0", "20", "0.13"},
        FormatCase{"0.375 to two places", 0.375, "0", "20", "0.38"},
        FormatCase{"2.5 to none", 2.5, "0", "2000", "3"},
        FormatCase{"-2.5 to none", -2.5, "0", "2000", "-3"},
        FormatCase{"0.5 to none", 0.5, "0", "2000", "1"},
        FormatCase{"12.25 to one", 12.25, "0", "1300", "12.3"},
        FormatCase{"1.0625 to three", 1.0625, "0", "2", "1.063"},
        // Not halves once the double's exact value is seen.
        FormatCase{"1.005 is below the half", 1.005, "0", "20", "1.00"},
        FormatCase{"2.675 is below the half", 2.675, "0", "20", "2.67"},
        FormatCase{"0.15 is below the half", 0.15, "0", "200", "0.1"},
        // Carries through every digit into a new one.
        FormatCase{"9.5 to none", 9.5, "0", "2000", "10"},
        FormatCase{"-9.5 to none", -9.5, "0", "2000", "-10"},
        FormatCase{"9.99995 to four", 9.99995, "", "", "10.0000"},
        FormatCase{"999.96 to one", 999.96, "0", "1300", "1000.0"},
        FormatCase{"whole values keep trailing zeros", -200, "0", "1300", "-200.0"},
        FormatCase{"zero", 0, "0", "1300", "0.0"},
        // The sign stays on negatives that round to zero; -0.0 is not negative.
        FormatCase{"tiny negative", -0.00001, "", "", "-0.0000"},
        FormatCase{"small negative, one place", -0.04, "0", "1300", "-0.0"},
        FormatCase{"negative zero", -0.0, "", "", "0.0000"},
        FormatCase{"smallest denormal", 5e-324, "", "", "0.0000"},
        FormatCase{"smallest negative denormal", -5e-324, "", "", "-0.0000"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Unusual, FormatRangeValueCases,
    ::testing::Values(
        FormatCase{"NaN", kNaN, "", "", "NaN"},
        FormatCase{"negative NaN", -kNaN, "", "", "NaN"},
        FormatCase{"infinity", kInf, "", "", "Inf"},
        FormatCase{"minus infinity", -kInf, "0", "1300", "-Inf"},
        FormatCase{"20 digits stay fixed", 1234567890123456.0, "", "", "1234567890123456.0000"},
        FormatCase{"21 digits go to exponent form", 1e16, "", "", "1e+16"},
        FormatCase{"21 integer digits", 99999999999999999999.6, "0", "2000", "1e+20"},
        FormatCase{"largest double", std::numeric_limits<double>::max(), "0", "1300",
                   "1.7976931348623157e+308"},
        FormatCase{"huge negative", -1.5e300, "0", "1300", "-1.5e+300"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
}  // namespace orv::config
