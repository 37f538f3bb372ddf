// Everything refused before a port is opened: command-line shape, setting
// values at their field's limits, and the model and type rules.
#include <gtest/gtest.h>

#include "cli/CliOptions.h"
#include "cli/PortJobs.h"
#include "cli/SettingNames.h"

namespace orv::cli {
namespace {

TEST(CliCommandLine, RefusesWhatCannotRun) {
    struct Case {
        std::vector<std::string> args;
        const char* error;  // nullptr: accepted
    };
    const Case cases[] = {
        {{"read"}, nullptr},
        {{}, "no command"},
        {{"--port", "COM1", "frobnicate"}, "unknown command"},
        {{"factory-reset"}, "--yes"},
        {{"restart", "--yes"}, "--yes belongs to factory-reset"},
        {{"write"}, "one configuration file"},
        {{"write", "a.json", "b.json"}, "one configuration file"},
        {{"set"}, "at least one"},
        {{"set", "dampingLevel=1", "dampingLevel=2"}, "given twice"},
        {{"set", "colour=red"}, "unknown setting"},
        {{"set", "offsetCorrection=128"}, "offsetCorrection=128"},
        {{"set", "cjc=internal"}, "the settings are inputType, cjcMode, wireCount"},
        {{"measure", "--count", "0"}, "--count"},
        {{"measure", "--count", "2.5"}, "--count"},
        {{"measure", "--interval", "-1"}, "--interval"},
        {{"read", "--csv"}, "belongs to measure"},
        {{"--timeout-scale", "0", "read"}, "--timeout-scale"},
        {{"--port", "COM1", "--port", "COM2", "read", "-o", "x.json"}, "one --port"},
        {{"ports", "--port", "COM1"}, "no --port"},
        {{"measure", "--csv", "--json"}, "do not go together"},
        {{"check", "--points", "0,50,100", "--tolerance", "0.5", "--readings", "3", "--record", "r.json"}, nullptr},
        {{"check", "--points", "0,x"}, "is not a number"},
        {{"check", "--points", "0,120"}, "outside 0 to 100 %"},
        {{"check", "--tolerance", "0"}, "above 0"},
        {{"check", "--readings", "0"}, "--readings"},
        {{"--port", "COM1", "--port", "COM2", "check"}, "one port"},
        {{"read", "--points", "0"}, "belongs to check"},
        {{"read", "extra"}, "unexpected argument"},
        {{"--port"}, "--port needs"},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseCommandLine(c.args);
        std::string joined;
        for (const auto& a : c.args) joined += a + " ";
        if (!c.error) {
            EXPECT_TRUE(parsed.options) << joined << parsed.error;
            continue;
        }
        EXPECT_FALSE(parsed.options) << joined;
        EXPECT_NE(parsed.error.find(c.error), std::string::npos) << joined << "-> " << parsed.error;
    }
}

TEST(CliCommandLine, DefaultsToAutoAndKeepsOptionsAfterTheCommand) {
    const auto parsed = ParseCommandLine({"measure", "--csv", "--port=COM3", "--count", "5", "--timeout-scale", "2"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->ports, std::vector<std::string>{"COM3"});
    EXPECT_EQ(parsed.options->count, 5);
    EXPECT_EQ(parsed.options->timeoutScale, 2.0);
    EXPECT_TRUE(parsed.options->csv);
    EXPECT_EQ(ParseCommandLine({"read"}).options->ports, std::vector<std::string>{"auto"});
}

TEST(CliSettings, ValuesAtTheirFieldsLimits) {
    struct Case {
        const char* text;
        std::vector<std::uint8_t> bytes;  // empty: refused
    };
    const Case cases[] = {
        {"offsetCorrection=-128", {0x80}}, {"offsetCorrection=127", {0x7F}}, {"offsetCorrection=-129", {}},
        {"offsetCorrection=12abc", {}},    {"dampingLevel=9", {9}},         {"dampingLevel=10", {}},
        {"wireCount=2", {2}},              {"wireCount=5", {}},             {"cjcMode=External-Cu50", {0}},
        {"cjcMode=external", {}},          {"breakAlarm=high", {1}},        {"outputDirection=20-4mA", {0}},
        {"outputDirection=4-20", {}},      {"inputType=PT100", {16}},       {"inputType=31", {31}},
        {"inputType=8", {}},               {"rangeFull=1300", {0x00, 0x80, 0xA2, 0x44}},
        {"rangeZero=-200.5", {0x00, 0x80, 0x48, 0xC3}},
        {"rangeZero=1e39", {}},            {"rangeZero=nan", {}},           {"rangeZero=", {}},
        // Straight to float: through double this one lands a step off.
        {"rangeZero=7.038531e-26", {0xFD, 0x43, 0xAE, 0x15}}, {"rangeZero=+-1", {}}, {"offsetCorrection=+-1", {}},
        {"dampingLevel", {}},              {"model=3", {}},                 {"ambientCal=1", {}},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseAssignment(c.text);
        if (c.bytes.empty()) {
            EXPECT_FALSE(parsed.assignment) << c.text;
            EXPECT_FALSE(parsed.error.empty()) << c.text;
        } else {
            ASSERT_TRUE(parsed.assignment) << c.text << ": " << parsed.error;
            EXPECT_EQ(parsed.assignment->bytes, c.bytes) << c.text;
        }
    }
}

Block DeviceWith(std::uint8_t model, std::uint8_t inputType) {
    Block b{};
    b[0] = model;
    b[1] = inputType;
    return b;
}

TEST(CliSettings, ModelAndTypeRulesBeforeAnyWrite) {
    struct Case {
        std::uint8_t model, inputType;
        std::vector<const char*> set;
        const char* refusal;  // nullptr: allowed
    };
    const Case cases[] = {
        {0, 32, {"inputType=tc-k"}, "does not accept"},
        {2, 0, {"inputType=voltage"}, "does not accept"},
        {4, 0, {"inputType=current"}, nullptr},
        {9, 0, {"inputType=tc-k"}, "does not know"},
        {4, 16, {"cjcMode=internal"}, "thermocouple"},
        {4, 0, {"wireCount=3"}, "RTD"},
        // The rule looks at the type the device will have, not the one it has.
        {4, 16, {"inputType=tc-j", "cjcMode=external-cu50"}, nullptr},
        {4, 0, {"inputType=pt100", "wireCount=2"}, nullptr},
        {1, 33, {"rangeFull=20", "dampingLevel=2"}, nullptr},
    };
    for (const auto& c : cases) {
        std::vector<Assignment> assignments;
        for (const char* text : c.set) assignments.push_back(*ParseAssignment(text).assignment);
        const auto why = CheckForDevice(assignments, DeviceWith(c.model, c.inputType));
        if (!c.refusal) {
            EXPECT_FALSE(why) << c.set.front() << ": " << why.value_or("");
        } else {
            ASSERT_TRUE(why) << c.set.front();
            EXPECT_NE(why->find(c.refusal), std::string::npos) << *why;
            EXPECT_EQ(why->rfind(ParseAssignment(c.set.back()).assignment->setting->word, 0), 0u) << *why;
        }
    }
}

TEST(CliSettings, OnlyDifferingSettingsAreWrittenAndModelAndCalibrationNever) {
    Block device = DeviceWith(4, 0);
    Block wanted = device;
    wanted[0] = 5;                    // model
    wanted[15] = 0x12;                // calibration
    Apply(*ParseAssignment("dampingLevel=7").assignment, wanted);
    Apply(*ParseAssignment("inputType=pt100").assignment, wanted);
    Apply(*ParseAssignment("rangeFull=150").assignment, wanted);
    const auto differing = DifferingSettings(device, wanted);
    ASSERT_EQ(differing.size(), 3u);
    EXPECT_EQ(differing[0].setting->word, "inputType");  // first: the others are read in its unit
    EXPECT_EQ(differing[1].setting->word, "rangeFull");
    EXPECT_EQ(differing[2].setting->word, "dampingLevel");

    const auto wrong = Mismatches(differing, device);
    ASSERT_EQ(wrong.size(), 3u);
    EXPECT_EQ(wrong[0], "inputType: wrote pt100, the device holds tc-k");
    // Both numbers with the decimals of the range written, 0 to 150.
    EXPECT_EQ(wrong[1], "rangeFull: wrote 150.00, the device holds 0.00");
    EXPECT_EQ(wrong[2], "dampingLevel: wrote 7, the device holds 0");
    EXPECT_TRUE(Mismatches(differing, wanted).empty());
}

}  // namespace
}  // namespace orv::cli
