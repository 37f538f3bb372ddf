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
        {{"set", "damping=1", "damping=2"}, "given twice"},
        {{"set", "colour=red"}, "unknown setting"},
        {{"set", "offset=128"}, "offset=128"},
        {{"measure", "--count", "0"}, "--count"},
        {{"measure", "--count", "2.5"}, "--count"},
        {{"measure", "--interval", "-1"}, "--interval"},
        {{"read", "--csv"}, "belongs to measure"},
        {{"--timeout-scale", "0", "read"}, "--timeout-scale"},
        {{"--port", "COM1", "--port", "COM2", "read", "-o", "x.json"}, "one --port"},
        {{"ports", "--port", "COM1"}, "no --port"},
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
    const auto parsed = ParseCommandLine({"measure", "--csv", "--port=COM3", "--count", "5", "--json"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->ports, std::vector<std::string>{"COM3"});
    EXPECT_EQ(parsed.options->count, 5);
    EXPECT_TRUE(parsed.options->csv && parsed.options->json);
    EXPECT_EQ(ParseCommandLine({"read"}).options->ports, std::vector<std::string>{"auto"});
}

TEST(CliSettings, ValuesAtTheirFieldsLimits) {
    struct Case {
        const char* text;
        std::vector<std::uint8_t> bytes;  // empty: refused
    };
    const Case cases[] = {
        {"offset=-128", {0x80}},       {"offset=127", {0x7F}},   {"offset=-129", {}},
        {"offset=12abc", {}},          {"damping=9", {9}},       {"damping=10", {}},
        {"wiring=2", {2}},             {"wiring=5", {}},         {"cjc=External", {0}},
        {"break-alarm=high", {1}},     {"output-direction=20-4", {0}}, {"output-direction=4-21", {}},
        {"input-type=PT100", {16}},    {"input-type=31", {31}},  {"input-type=8", {}},
        {"range-full=1300", {0x00, 0x80, 0xA2, 0x44}},
        {"range-zero=-200.5", {0x00, 0x80, 0x48, 0xC3}},
        {"range-zero=1e39", {}},       {"range-zero=nan", {}},   {"range-zero=", {}},
        // Straight to float: through double this one lands a step off.
        {"range-zero=7.038531e-26", {0xFD, 0x43, 0xAE, 0x15}}, {"range-zero=+-1", {}}, {"offset=+-1", {}},
        {"damping", {}},
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
        {0, 32, {"input-type=tc-k"}, "does not accept"},
        {2, 0, {"input-type=voltage"}, "does not accept"},
        {4, 0, {"input-type=current"}, nullptr},
        {9, 0, {"input-type=tc-k"}, "does not know"},
        {4, 16, {"cjc=internal"}, "thermocouple"},
        {4, 0, {"wiring=3"}, "RTD"},
        // The rule looks at the type the device will have, not the one it has.
        {4, 16, {"input-type=tc-j", "cjc=external"}, nullptr},
        {4, 0, {"input-type=pt100", "wiring=2"}, nullptr},
        {1, 33, {"range-full=20", "damping=2"}, nullptr},
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
            EXPECT_EQ(why->rfind(ParseAssignment(c.set.back()).assignment->setting->name, 0), 0u) << *why;
        }
    }
}

TEST(CliSettings, OnlyDifferingSettingsAreWrittenAndModelAndCalibrationNever) {
    Block device = DeviceWith(4, 0);
    Block wanted = device;
    wanted[0] = 5;                    // model
    wanted[15] = 0x12;                // calibration
    Apply(*ParseAssignment("damping=7").assignment, wanted);
    Apply(*ParseAssignment("input-type=pt100").assignment, wanted);
    const auto differing = DifferingSettings(device, wanted);
    ASSERT_EQ(differing.size(), 2u);
    EXPECT_EQ(differing[0].setting->name, "input-type");  // first: the others are read in its unit
    EXPECT_EQ(differing[1].setting->name, "damping");

    const auto wrong = Mismatches(differing, device);
    ASSERT_EQ(wrong.size(), 2u);
    EXPECT_EQ(wrong[1], "damping: wrote 7, the device holds 0");
    EXPECT_TRUE(Mismatches(differing, wanted).empty());
}

}  // namespace
}  // namespace orv::cli
