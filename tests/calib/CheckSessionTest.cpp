// When a point is taken, and what the check refuses to start or accept.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "calib/CheckSession.h"
#include "config/ParamFields.h"

namespace orv::calib {
namespace {

constexpr std::uint8_t kVoltage = 32;

std::array<std::uint8_t, config::kParamBlockSize> Block(float zero, float full, std::uint8_t type = kVoltage) {
    config::ParamFields f;
    f.model = 5;
    f.inputType = type;
    f.rangeZero = zero;
    f.rangeFull = full;
    f.outputDirection = 1;
    std::array<std::uint8_t, config::kParamBlockSize> block{};
    f.Write(block);
    return block;
}

TEST(CheckSession, TakesAPointWhenSteadyOrWhenTheWaitEnds) {
    // Three readings a point, at most six seconds; tolerance 1 % of 0..100 V,
    // so steady means within 0.25 V.
    struct Case {
        const char* name;
        std::vector<float> before, after;  // readings before and after the accept
        int cutShortAfter;                 // readings after the accept before "cut short"; -1: never
        std::size_t takenAt;               // the reading after the accept that took the point
        Settle settle;
        float measured;
    };
    const Case cases[] = {
        {"steady at once", {}, {50.0f, 50.125f, 50.25f, 60}, -1, 3, Settle::Steady, 50.125f},
        {"a step starts the wait again", {}, {49, 50, 50.125f, 50.25f}, -1, 4, Settle::Steady, 50.125f},
        {"readings from before the accept do not count", {60, 60}, {60, 60, 60}, -1, 3, Settle::Steady, 60},
        {"never steady: the settle time ends it", {}, {50, 51, 50, 51, 50, 51, 50}, -1, 6, Settle::TimeUp, 50.666666f},
        {"cut short takes the next readings", {}, {50, 51, 50, 51}, 0, 3, Settle::CutShort, 50.333333f},
        {"cut short later takes the last ones at once", {}, {50, 51, 50, 51}, 4, 4, Settle::CutShort, 50.666666f},
    };
    for (const auto& c : cases) {
        CheckSetup setup;
        setup.points = {50};
        setup.readings = 3;
        setup.settleSeconds = 6;
        setup.tolerance = 1;
        CheckSession s;
        ASSERT_TRUE(s.SetSetup(setup).empty()) << c.name;
        ASSERT_EQ(s.BeginRun(RunKind::AsFound, Block(0, 100), "t0"), "") << c.name;
        for (float r : c.before) s.OnReading(r);
        ASSERT_EQ(s.Accept("", ""), "") << c.name;
        std::size_t takenAt = 0;
        for (std::size_t k = 0; k < c.after.size() && !takenAt; ++k) {
            if (static_cast<int>(k) == c.cutShortAfter) s.CutShort();
            if (!s.Running()) takenAt = k;
            if (takenAt) break;
            s.OnReading(c.after[k]);
            if (!s.Running()) takenAt = k + 1;
        }
        if (!takenAt && c.cutShortAfter == static_cast<int>(c.after.size())) {
            s.CutShort();
            if (!s.Running()) takenAt = c.after.size();
        }
        EXPECT_EQ(takenAt, c.takenAt) << c.name;
        const auto& points = s.Record().runs.at(0).points;
        ASSERT_EQ(points.size(), 1u) << c.name;
        EXPECT_EQ(points[0].settle, c.settle) << c.name;
        EXPECT_FLOAT_EQ(points[0].measured, c.measured) << c.name;
        EXPECT_EQ(points[0].readings.size(), 3u) << c.name;
        EXPECT_FLOAT_EQ(points[0].reference, 50.0f) << c.name;  // left empty: the nominal value
    }
}

TEST(CheckSession, SaysWhyItCannotRun) {
    const auto problem = [](auto change) {
        CheckSetup s;
        change(s);
        const auto problems = SetupProblems(s);
        return problems.empty() ? std::string() : problems.front();
    };
    const struct {
        std::string problem;
        const char* says;
    } cases[] = {
        {problem([](CheckSetup& s) { s.points.clear(); }), "list of test points is empty"},
        {problem([](CheckSetup& s) { s.points = {0, 50, 100.5f}; }), "100.5 % is outside 0 to 100 %"},
        {problem([](CheckSetup& s) { s.points = {-1}; }), "-1 % is outside"},
        {problem([](CheckSetup& s) { s.tolerance = 0; }), "tolerance must be above 0"},
        {problem([](CheckSetup& s) { s.readings = 0; }), "readings per point must be 1 to 100, not 0"},
        {problem([](CheckSetup& s) { s.settleSeconds = 4; }), "settle time must be from 5 s"},
        {problem([](CheckSetup& s) { s.reference.dueDate = "2027-02-29"; }), "\"2027-02-29\" is not a date"},
        {problem([](CheckSetup& s) { s.tag = "TT\xff" "101"; }), "tag is not valid UTF-8"},
        {ParsePointList("0, 25,fifty").error, "\"fifty\" in the list of test points is not a number"},
        {ParsePointList(" ").error, "list of test points is empty"},
    };
    for (const auto& c : cases) EXPECT_NE(c.problem.find(c.says), std::string::npos) << c.problem << " / " << c.says;
    EXPECT_EQ(problem([](CheckSetup& s) { s.reference.dueDate = "2028-02-29"; }), "");
    EXPECT_EQ(ParsePointList("0, +25,50 ,1e2").points, (std::vector<float>{0, 25, 50, 100}));

    const struct {
        std::array<std::uint8_t, config::kParamBlockSize> block;
        const char* says;
    } starts[] = {
        {Block(100, 100), "zero span (zero and full are both 100 V)"},
        {Block(0, NAN), "range is not a number"},
        {Block(0, 100, 200), "input type (code 200) is not one the tool knows"},
    };
    for (const auto& c : starts) {
        CheckSession s;
        const std::string why = s.BeginRun(RunKind::AsFound, c.block, "t0");
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
        EXPECT_FALSE(s.Running());
        EXPECT_TRUE(s.Record().runs.empty());
    }

    CheckSession s;
    ASSERT_EQ(s.BeginRun(RunKind::AsFound, Block(0, 100), "t0"), "");
    for (const char* text : {"12,5", "abc", "1e39", "nan", "inf"})
        EXPECT_NE(s.Accept(text, "").find("is not a number in V"), std::string::npos) << text;
    EXPECT_NE(s.Accept("0", "4mA").find("output current \"4mA\" is not a number"), std::string::npos);
    EXPECT_FALSE(s.Settling());
    EXPECT_EQ(s.Accept(" +0.5e1 ", " 4.02 "), "");
    EXPECT_TRUE(s.Settling());
}

}  // namespace
}  // namespace orv::calib
