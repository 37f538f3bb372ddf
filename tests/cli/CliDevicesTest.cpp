// The whole program run in-process against simulated transmitters on
// pseudo-terminals, in real time. Time-outs are scaled down so a silent
// device costs a fraction of a second; every wait ends at a time-out.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cfloat>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>
#include <sstream>

#include "calib/CheckRecordFile.h"
#include "calib/ReadingRecorder.h"
#include "calib/RecordingFile.h"
#include "cli/CliOptions.h"
#include "cli/Runner.h"
#include "config/ConfigFile.h"
#include "config/ParamFields.h"
#include "sim/PtyDevice.h"

namespace orv::cli {
namespace {

using Json = nlohmann::json;

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::array<std::uint8_t, 36> ToBlockOf(const config::ParamFields& f) {
    std::array<std::uint8_t, 36> b{};
    f.Write(b);
    return b;
}

class CliDevices : public ::testing::Test {
protected:
    // Healthy devices answer after 5 ms instead of 20 to keep the run short.
    sim::PtyDevice& AddDevice(sim::Faults faults = {}) {
        sim::Transmitter t;
        t.faults = faults;
        t.answerDelayMs = 5;
        devices_.push_back(std::make_unique<sim::PtyDevice>(t));
        return *devices_.back();
    }

    static CliEnvironment Environment() {
        CliEnvironment env;
        env.discover = [] { return 0; };
        env.portPath = [](int) { return std::string(); };
        env.bridges = [] { return std::vector<BridgeRow>{}; };
        return env;
    }

    // The arguments as given, with every device's port first.
    CliRun Cli(std::vector<std::string> args) {
        std::vector<std::string> full;
        for (const auto& d : devices_) {
            full.push_back("--port");
            full.push_back(d->SlavePath());
        }
        full.insert(full.end(), args.begin(), args.end());
        return CliOn(Environment(), full);
    }

    // The arguments exactly as given.
    static CliRun CliOn(std::optional<CliEnvironment> env, const std::vector<std::string>& args) {
        std::ostringstream out, err;
        CliRun r;
        r.status = RunCli(args, out, err, false, env ? *env : Environment());
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    std::array<std::uint8_t, 36> DeviceBlock(std::size_t i) {
        std::array<std::uint8_t, 36> copy{};
        devices_[i]->WithDevice([&](sim::Transmitter& t) { copy = t.Block(); });
        return copy;
    }
    unsigned Answered(std::size_t i) {
        unsigned n = 0;
        devices_[i]->WithDevice([&](sim::Transmitter& t) { n = t.Stats().answered; });
        return n;
    }
    std::string Temp(const char* name) { return ::testing::TempDir() + "cli_" + name; }

    std::vector<std::unique_ptr<sim::PtyDevice>> devices_;
};

TEST_F(CliDevices, EveryCommandOnFourPortsNamesTheSilentAndTheGarbledOne) {
    // A file to write: the factory block with another damping and range.
    AddDevice();
    const std::string file = Temp("four.json");
    ASSERT_EQ(Cli({"set", "dampingLevel=6", "rangeFull=1000"}).status, 0);
    ASSERT_EQ(Cli({"read", "-o", file}).status, 0);
    devices_.clear();

    AddDevice();
    AddDevice();
    AddDevice({.silent = true});
    AddDevice({.corruptChecksum = true});
    const std::vector<std::vector<std::string>> commands = {
        {"read"}, {"set", "offsetCorrection=-3"}, {"write", file}, {"measure", "--count", "2", "--interval", "0"},
        {"restart"}, {"factory-reset", "--yes"},
    };
    for (const auto& command : commands) {
        std::vector<std::string> args{"--json", "--timeout-scale", "0.5"};
        args.insert(args.end(), command.begin(), command.end());
        const CliRun r = Cli(args);
        SCOPED_TRACE(command.front());
        EXPECT_EQ(r.status, 1);
        const Json doc = Json::parse(r.out);
        EXPECT_EQ(doc["command"], command.front());
        EXPECT_EQ(doc["exit"], 1);
        EXPECT_EQ(doc["summary"]["succeeded"], 2);
        ASSERT_EQ(doc["ports"].size(), 4u);
        EXPECT_TRUE(doc["ports"][0]["ok"]);
        EXPECT_TRUE(doc["ports"][1]["ok"]);
        EXPECT_EQ(doc["ports"][2]["error"]["kind"], "time-out");
        // The window's time-outs, halved: 2 s for a read, 5 s for a command.
        const bool isCommand = command.front() == "restart" || command.front() == "factory-reset";
        EXPECT_NE(doc["ports"][2]["error"]["message"].get<std::string>().find(isCommand ? "within 2.5 s" : "within 1 s"),
                  std::string::npos)
            << doc["ports"][2]["error"]["message"];
        EXPECT_EQ(doc["ports"][3]["error"]["kind"], "bad-answer");
        EXPECT_NE(r.err.find(devices_[2]->SlavePath() + ": time-out"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(devices_[3]->SlavePath() + ": bad-answer"), std::string::npos) << r.err;
        if (command.front() == "measure") {
            EXPECT_EQ(doc["ports"][0]["readings"].size(), 2u);
            EXPECT_TRUE(doc["ports"][1]["readings"][1]["measured"].is_number());
        }
    }
}

TEST_F(CliDevices, EachCommandOnOnePortReachesTheDevice) {
    AddDevice();
    const auto factory = sim::Transmitter::FactoryBlock();
    const std::string file = Temp("one.json");

    CliRun r = Cli({"set", "inputType=pt100", "wireCount=2", "rangeZero=-50", "offsetCorrection=-5"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto block = DeviceBlock(0);
    EXPECT_EQ(block[1], 16);
    EXPECT_EQ(block[3], 2);
    EXPECT_EQ(static_cast<std::int8_t>(block[27]), -5);

    r = Cli({"read", "-o", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("inputType         pt100"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("rangeZero         -50.0 ℃"), std::string::npos) << r.out;

    r = Cli({"factory-reset", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(DeviceBlock(0), factory);

    r = Cli({"write", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("wrote the 4 settings that differed from the file (inputType, wireCount, rangeZero, "
                         "offsetCorrection), each with its own write as the window's update buttons do; 5 already matched"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("verified"), std::string::npos) << r.out;
    EXPECT_EQ(DeviceBlock(0)[1], 16);
    r = Cli({"write", file});
    EXPECT_NE(r.out.find("nothing to write"), std::string::npos) << r.out;

    r = Cli({"restart"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(CliDevices, RestartSucceedsOnceTheDeviceAnswersAgainAcknowledgedOrNot) {
    // Both start again within 300 ms, deaf meanwhile: the read right after an
    // acknowledgement is lost and has to be asked again.
    AddDevice();
    AddDevice({.silentRestart = true});
    const CliRun r = Cli({"--json", "restart"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json doc = Json::parse(r.out);
    EXPECT_EQ(doc["ports"][0]["acknowledged"], true);
    EXPECT_EQ(doc["ports"][1]["acknowledged"], false);
    for (std::size_t i = 0; i < 2; ++i)
        devices_[i]->WithDevice([](sim::Transmitter& t) { EXPECT_EQ(t.Stats().restarts, 1u); });
}

// The recording's one layout with the port first, as the trend reads it back.
TEST_F(CliDevices, MeasureCsvIsTheWindowsRecordingWithAPortColumn) {
    AddDevice();
    const CliRun r = Cli({"measure", "--count", "3", "--interval", "0.05", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "port," + std::string(calib::ReadingRecorder::kHeader));
    const calib::RecordingLoad load = calib::ParseRecording(r.out);
    ASSERT_TRUE(load.recording) << load.error;
    EXPECT_EQ(load.recording->readings, 3u);
    EXPECT_EQ(load.recording->unit, "℃");
    const auto [measured, ambient] = [&] {
        std::getline(lines, line);
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
        EXPECT_EQ(fields.size(), 10u) << line;
        EXPECT_EQ(fields[0], devices_[0]->SlavePath());
        return std::pair{std::stod(fields.at(2)), std::stod(fields.at(3))};
    }();
    EXPECT_NEAR(measured, 100.0, 10.0) << line;  // TC K at 100 degC on the bench
    EXPECT_NEAR(ambient, 25.0, 3.0) << line;
}

TEST_F(CliDevices, VerifyCatchesADeviceThatKeepsItsOldValue) {
    AddDevice({.keepBlock = true});
    const CliRun r = Cli({"set", "rangeFull=1000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("mismatch: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("rangeFull: wrote 1000.0, the device holds 1300.0"), std::string::npos) << r.err;
}

config::ParamFields Factory() { return config::ParamFields::Read(sim::Transmitter::FactoryBlock()); }

std::string FileOf(const std::function<void(config::ParamFields&)>& change) {
    config::ConfigRecord rec;
    rec.tool = "test";
    rec.savedAt = "2026-12-09T01:02:03+01:00";
    rec.fields = Factory();
    change(rec.fields);
    rec.fields.Write(rec.block);
    return config::SerializeConfig(rec);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Crafted command lines, files and odd device contents, as a new user or a
// hostile file would bring them. Every refusal leaves the device's block as
// it was and says why; under --json every run prints exactly one document.
TEST_F(CliDevices, CraftedLinesFilesAndDeviceContents) {
    using Fields = config::ParamFields;
    using Change = std::function<void(Fields&)>;
    struct Row {
        const char* what;
        std::vector<std::string> args;  // {dev} {link} {file} {out} {dir} {fifo} are replaced
        int status;
        std::string says;                 // in stdout or stderr
        Change device = {};               // the device's contents before the run
        std::string file = {};            // the text of {file}
        bool keepsBlock = false;          // the device's block must stay as it was (always for status 2)
        std::function<void(const CliRun&, const Fields& after)> check = {};
    };
    const std::string goodFile = FileOf([](Fields&) {});
    const auto savedAs = [this](const Fields& expected) {
        return [this, expected](const CliRun& r, const Fields&) {
            const auto loaded = config::LoadConfigFile(Temp("table_out.json"));
            ASSERT_TRUE(loaded.record) << loaded.error << r.err;
            EXPECT_EQ(ToBlockOf(loaded.record->fields), ToBlockOf(expected));
        };
    };
    std::string deep = "{\"a\": ";
    for (int i = 0; i < 200000; ++i) deep += '[';
    std::string manyKeys = "{";
    for (int i = 0; manyKeys.size() < config::kMaxConfigFileBytes - 32; ++i) manyKeys += "\"k" + std::to_string(i) + "\": 0, ";
    manyKeys += "\"end\": 0}";
    const Change wire0 = [](Fields& f) { f.wireCount = 0; };
    const Change damping12 = [](Fields& f) { f.dampingLevel = 12; };
    const Change voltageOnSensorModel = [](Fields& f) { f.model = 2, f.inputType = 32; };
    const Change sensorModelOnPt100 = [](Fields& f) { f.model = 2, f.inputType = 16; };
    const Change erasedCalibration = [](Fields& f) { f.resistanceCal = std::bit_cast<float>(0xffffffffu); };

    const Row rows[] = {
        // ---- command lines -------------------------------------------------
        {"no command", {}, 2, "no command", {}, {}, true},
        {"unknown command", {"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {"unknown command, JSON asked after it", {"frobnicate", "--json"}, 2, "\"kind\": \"usage\""},
        {"a flag given a value", {"--json=yes", "read"}, 2, "--json takes no value"},
        {"--no-verify given a value", {"write", "{file}", "--no-verify=1"}, 2, "--no-verify takes no value", {}, goodFile},
        {"an option taking --json as its value", {"--port", "--json", "read"}, 1, "(/dev/--json): port: No such file"},
        {"set without settings", {"set"}, 2, "at least one"},
        {"damping past its list", {"set", "dampingLevel=10"}, 2, "dampingLevel=10: expected a whole number from 0 to 9"},
        {"offset past a byte", {"set", "offsetCorrection=128"}, 2, "offsetCorrection=128"},
        {"range beyond a float", {"set", "rangeZero=1e39"}, 2, "within single precision"},
        {"range not a number", {"set", "rangeZero=nan"}, 2, "rangeZero=nan"},
        {"range with two signs", {"set", "rangeZero=+-5"}, 2, "rangeZero=+-5"},
        {"offset with two signs", {"set", "offsetCorrection=+-5"}, 2, "offsetCorrection=+-5"},
        {"wiring as a fraction", {"set", "wireCount=2.0"}, 2, "wireCount=2.0"},
        {"input type code of no type", {"set", "inputType=9"}, 2, "inputType=9: expected an input type (tc-k"},
        {"a setting given twice", {"set", "dampingLevel=1", "dampingLevel=2"}, 2, "given twice"},
        {"unknown setting", {"set", "speed=3"}, 2, "speed: unknown setting"},
        {"CSV and JSON at once", {"--json", "measure", "--csv"}, 2, "--csv and --json do not go together"},
        {"auto finds no bridge: said once, not doubled", {"--port", "auto", "read"}, 1,
         "auto: FAILED (port)\norvane-cli: auto: port: no USB serial bridge with a port was found\n"},
        {"count of zero", {"measure", "--count", "0"}, 2, "--count"},
        {"negative interval", {"measure", "--interval", "-1"}, 2, "--interval"},
        {"time-out scale too large", {"--timeout-scale", "1000", "read"}, 2, "--timeout-scale"},
        {"an option of another command", {"read", "--csv"}, 2, "belongs to measure"},
        {"write without a file", {"write"}, 2, "one configuration file"},
        {"factory reset unconfirmed", {"factory-reset"}, 2, "--yes"},
        {"-o without a file", {"read", "-o"}, 2, "-o needs a file name"},
        {"ports with a port", {"ports", "--port", "COM1"}, 2, "no --port"},
        {"COM0", {"--port", "COM0", "read"}, 2, "COM0 names no device"},
        {"one device twice", {"--port", "{dev}", "--port", "{dev}", "read"}, 2, "are the same device"},
        {"one device through a link", {"--port", "{dev}", "--port", "{link}", "read"}, 2, "are the same device"},
        {"a regular file as a port", {"--port", "{file}", "read"}, 1, "not a serial device", {}, "x"},
        {"a port name that is no UTF-8", {"--json", "--port", "/dev/no\xff\xfeport", "read"}, 1, R"(/dev/no\\xff\\xfeport)"},
        {"a command that is no UTF-8", {"--json", "re\xe9" "ad"}, 2, R"(re\\xe9ad)"},
        // ---- files for write ------------------------------------------------
        {"not JSON", {"write", "{file}"}, 2, "it is not JSON", {}, "model=5\n"},
        {"empty", {"write", "{file}"}, 2, "it is empty", {}, "\n"},
        {"truncated", {"write", "{file}"}, 2, "it is truncated", {}, goodFile.substr(0, goodFile.size() / 2)},
        {"a number beyond double range", {"--json", "write", "{file}"}, 2, "it holds the number 1e400", {},
         Replaced(goodFile, "{", "{\"remark\": 1e400,")},
        {"a key given twice", {"write", "{file}"}, 2, "\"settings.wireCount\" is given twice", {},
         Replaced(goodFile, "\"wireCount\": 3,", "\"wireCount\": 2, \"wireCount\": 3,")},
        {"a newer version", {"write", "{file}"}, 2, "format version 2 by a newer program", {},
         Replaced(goodFile, "\"version\": 1", "\"version\": 2")},
        {"a version beyond 64 bits", {"write", "{file}"}, 2, "by a newer program", {},
         Replaced(goodFile, "\"version\": 1", "\"version\": 99999999999999999999")},
        {"a folder", {"write", "{dir}"}, 2, "it is a folder"},
        {"a named pipe nobody writes", {"write", "{fifo}"}, 2, "not a regular file"},
        {"a device", {"write", "/dev/null"}, 2, "not a regular file"},
        {"a missing file", {"write", "{dir}/missing.json"}, 2, "No such file"},
        {"bytes that are no UTF-8 in a text", {"write", "{file}"}, 2, "it is not JSON", {},
         Replaced(goodFile, "\"test\"", "\"te\xffst\"")},
        {"nesting 200000 deep", {"write", "{file}"}, 2, "truncated", {}, deep},
        {"a megabyte of keys", {"write", "{file}"}, 2, "not an Orvane configuration", {}, manyKeys},
        {"a unit that disagrees", {"write", "{file}"}, 2, "is not \"℃\"", {},
         Replaced(goodFile, "\"unit\": \"℃\"", "\"unit\": \"V\"")},
        {"a byte of 300", {"write", "{file}"}, 2, "is 300, outside 0 to 255", {},
         Replaced(goodFile, "\"dampingLevel\": 1", "\"dampingLevel\": 300")},
        {"a float beyond single precision", {"write", "{file}"}, 2, "is 1e39, outside", {},
         Replaced(goodFile, "\"value\": 1300.0", "\"value\": 1e39")},
        {"a type the device's model does not take", {"write", "{file}"}, 2, "does not accept the input type Voltage",
         sensorModelOnPt100, FileOf([](Fields& f) { f.inputType = 32; })},
        {"a device whose model is unknown", {"write", "{file}"}, 2, "model is not known", [](Fields& f) { f.model = 9; },
         goodFile},
        // ---- files with values outside their settings' range -----------------
        {"wiring 0 in the file", {"write", "{file}"}, 1, "left as the device has them: wireCount is 0, outside 2 to 4",
         {}, FileOf([](Fields& f) { f.wireCount = 0, f.dampingLevel = 5; }), false,
         [](const CliRun&, const Fields& after) {
             EXPECT_EQ(after.wireCount, 3);
             EXPECT_EQ(after.dampingLevel, 5) << "the other settings are written";
         }},
        {"a type its model does not offer in the file", {"--json", "write", "{file}"}, 1, "\"setting\": \"inputType\"",
         {}, FileOf(voltageOnSensorModel), false,
         [](const CliRun&, const Fields& after) { EXPECT_EQ(after.inputType, 0); }},
        {"a range end that is no number", {"write", "{file}"}, 1, "rangeFull is nan:ffffffff, not a finite number", {},
         FileOf([](Fields& f) { f.rangeFull = std::bit_cast<float>(0xffffffffu); })},
        {"the device already holds the odd value", {"write", "{file}"}, 0, "nothing to write", wire0, FileOf(wire0), true},
        {"a file the device was saved to", {"write", "{file}"}, 0, "nothing to write", {}, goodFile, true},
        // ---- odd device contents ----------------------------------------------
        {"CJC mode 2 is shown as held", {"read"}, 0, "cjcMode           2\n", [](Fields& f) { f.cjcMode = 2; }, {}, true},
        {"break alarm 7 is shown as held", {"--json", "read"}, 0, "\"breakAlarm\": 7,", [](Fields& f) { f.breakAlarm = 7; }, {}, true},
        {"an erased constant in JSON", {"--json", "read"}, 0, "\"resistanceCal\": \"nan:ffffffff\"", erasedCalibration, {}, true},
        {"an erased constant saved", {"read", "-o", "{out}"}, 0, "saved to", erasedCalibration, {}, true,
         savedAs([&] { Fields f = Factory(); erasedCalibration(f); return f; }())},
        {"wiring 0 saved", {"read", "-o", "{out}"}, 0, "saved to", wire0, {}, true,
         savedAs([&] { Fields f = Factory(); wire0(f); return f; }())},
        {"damping 12 saved", {"read", "-o", "{out}"}, 0, "saved to", damping12, {}, true,
         savedAs([&] { Fields f = Factory(); damping12(f); return f; }())},
        {"a type its model does not offer saved", {"read", "-o", "{out}"}, 0, "saved to", voltageOnSensorModel, {}, true,
         savedAs([&] { Fields f = Factory(); voltageOnSensorModel(f); return f; }())},
        {"an unknown model saved", {"read", "-o", "{out}"}, 0, "saved to", [](Fields& f) { f.model = 9; }, {}, true,
         savedAs([&] { Fields f = Factory(); f.model = 9; return f; }())},
        {"the largest floats saved", {"read", "-o", "{out}"}, 0, "saved to",
         [](Fields& f) { f.rangeZero = -FLT_MAX, f.rangeFull = FLT_MAX; }, {}, true,
         savedAs([&] { Fields f = Factory(); f.rangeZero = -FLT_MAX, f.rangeFull = FLT_MAX; return f; }())},
        {"a name that is no UTF-8 saved", {"--json", "read", "-o", "{dir}/\xff.json"}, 0, R"(\\xff.json)", {}, {}, true},
        {"CJC on a resistance input", {"set", "cjcMode=internal"}, 2, "cjcMode: applies to thermocouple", sensorModelOnPt100},
        {"voltage on a sensor model", {"set", "inputType=voltage"}, 2, "does not accept Voltage", sensorModelOnPt100},
        {"refused input is not called failed", {"set", "inputType=voltage"}, 2, ": REFUSED\n", sensorModelOnPt100},
        {"the ambient of a voltage input in its unit", {"measure"}, 0, " V  ambient ",
         [](Fields& f) { f.inputType = 32; }, {}, true,
         [](const CliRun& r, const Fields&) { EXPECT_EQ(r.out.substr(r.out.size() - 5), " ℃\n") << r.out; }},
        {"any type on an unknown model", {"set", "inputType=tc-k"}, 2, "does not know", [](Fields& f) { f.model = 9; }},
        {"saving into a folder", {"read", "-o", "{dir}"}, 1, "it is a folder", {}, {}, true,
         [](const CliRun& r, const Fields&) {
             const std::string last = r.err.substr(r.err.find("orvane-cli: "));
             EXPECT_EQ(Count(last, "save"), 1u) << "said once: " << last;
         }},
        {"saving into no folder", {"--json", "read", "-o", "{dir}/none/x.json"}, 1, "\"kind\": \"file\"", {}, {}, true},
    };
    ASSERT_GE(std::size(rows), 60u);

    AddDevice();
    const std::string dir = Temp("table");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string fifo = dir + "/pipe.json", link = dir + "/port-link";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(devices_[0]->SlavePath(), link);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Fields start = Factory();
        if (row.device) row.device(start);
        devices_[0]->WithDevice([&](sim::Transmitter& t) { start.Write(t.Block()); });
        const std::string file = Temp("table_file.json"), out = Temp("table_out.json");
        std::filesystem::remove(out);
        if (!row.file.empty()) std::ofstream(file, std::ios::binary) << row.file;
        std::vector<std::string> args;
        for (std::string a : row.args) {
            for (const auto& [from, to] : {std::pair<std::string, std::string>{"{dev}", devices_[0]->SlavePath()},
                                           {"{link}", link}, {"{file}", file}, {"{out}", out}, {"{dir}", dir},
                                           {"{fifo}", fifo}})
                a = Replaced(a, from, to);
            args.push_back(a);
        }
        // One device for every row: the rows that name ports name them themselves.
        const bool namesPort = std::find(args.begin(), args.end(), "--port") != args.end();
        const CliRun r = namesPort ? CliOn({}, args) : Cli(args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE((r.out + r.err).find(row.says), std::string::npos) << r.out << r.err;
        const Fields after = config::ParamFields::Read(DeviceBlock(0));
        if (row.status == 2 || row.keepsBlock) {
            EXPECT_EQ(ToBlockOf(after), ToBlockOf(start)) << "the device's block changed";
        }
        if (AsksForJson(args)) {
            const Json doc = Json::parse(r.out);  // exactly one document, or this throws
            EXPECT_EQ(doc["exit"], row.status);
        }
        if (row.check) row.check(r, after);
    }
}

// The calibration check against a simulated device whose input is set, at
// each point, to the value the command says to apply; the references come
// from standard input, one a line, an empty line taking the nominal value.
TEST_F(CliDevices, CheckRunsPointByPointOnTheReferencesStandardInputBrings) {
    using Device = std::function<void(sim::Transmitter&)>;
    struct Row {
        const char* what;
        Device device;       // before the run
        std::string input;   // standard input
        int status;
        std::string result;  // the record's, "" when no run started
        std::size_t points;  // measured
        std::string says;    // on stderr
        int silentAt = 0;    // the device stops answering once told to apply this point's value
    };
    const Device calibrated = [](sim::Transmitter& t) {
        // Its constants as its parts really are, so it reads true.
        config::ParamFields f = config::ParamFields::Read(t.Block());
        f.resistanceCal = static_cast<float>(t.truth.referenceOhms * 50.0);
        f.millivoltCal = static_cast<std::int16_t>(t.truth.millivoltCounts);
        f.ambientCal = static_cast<std::uint16_t>(t.truth.ambientCountsAt0);
        f.Write(t.Block());
    };
    const auto with = [&](Device then) {
        return [=](sim::Transmitter& t) { calibrated(t), then(t); };
    };
    const Row rows[] = {
        {"a device within tolerance", calibrated, "\n\n", 0, "pass", 2, ": point 2 of 2 (100 %): measured "},
        {"an offset of 1 % of span", with([](sim::Transmitter& t) { t.error.offset = 13.0; }), "\n\n", 1, "fail", 2,
         "check-failed: 2 of 2 points measured outside the tolerance of 0.25 % of span"},
        {"references typed as numbers", calibrated, "+0\n1300.0\n", 0, "pass", 2, "(100 %): apply 1300.0 ℃"},
        {"silent from the second point on", calibrated, "\n\n", 1, "incomplete", 1,
         "time-out: no answer", 2},
        {"a reference that is not a number", calibrated, "\nabc\n", 2, "incomplete", 1,
         "refused: The reference value \"abc\" is not a number in ℃, at point 2 of 2 (100 %); the run stopped at "
         "point 2 of 2, the 1 point measured is kept"},
        {"input that ends too early", calibrated, "\n", 2, "incomplete", 1,
         "standard input ended before the reference value of point 2 of 2 (100 %)"},
        {"a range of zero span", with([](sim::Transmitter& t) {
             config::ParamFields f = config::ParamFields::Read(t.Block());
             f.rangeFull = f.rangeZero;
             f.Write(t.Block());
         }),
         "\n\n", 2, "", 0, "zero span"},
    };
    AddDevice();
    const std::string record = Temp("check.json");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        devices_[0]->WithDevice([&](sim::Transmitter& t) {
            t = sim::Transmitter();
            t.answerDelayMs = 5;
            row.device(t);
        });
        std::filesystem::remove(record);
        std::istringstream input(row.input);
        CliEnvironment env = Environment();
        env.input = &input;
        env.pollInterval = std::chrono::milliseconds(20);
        int point = 0;
        env.onStep = [&](const std::string&, const std::string& step) {
            const auto at = step.find(": apply ");
            if (at == std::string::npos) return;
            const double value = std::stod(step.substr(at + 8));
            const bool silent = ++point == row.silentAt;
            devices_[0]->WithDevice([&](sim::Transmitter& t) {
                t.ApplyInput(value);
                t.faults.silent = silent;
            });
        };
        const CliRun r = CliOn(env, {"--json", "--timeout-scale", "0.5", "--port", devices_[0]->SlavePath(), "check",
                                     "--points", "0,100", "--readings", "2", "--record", record});
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
        const Json doc = Json::parse(r.out);
        EXPECT_EQ(doc["exit"], row.status);
        const calib::CheckRecordLoad saved = calib::LoadCheckRecord(record);
        if (row.result.empty()) {
            EXPECT_FALSE(doc["ports"][0].contains("record"));
            EXPECT_FALSE(saved.record) << "nothing measured, nothing saved";
            continue;
        }
        const Json& port = doc["ports"][0];
        EXPECT_EQ(port["result"], row.result);
        EXPECT_EQ(port["record"]["result"], row.result);
        EXPECT_EQ(port["record"]["runs"][0]["points"].size(), row.points);
        // What is saved is what the document shows, whatever the end.
        ASSERT_TRUE(saved.record) << saved.error;
        EXPECT_EQ(Json::parse(calib::SerializeCheckRecord(*saved.record)), port["record"]);
    }

    // On the terminal of a person, the points table on standard output.
    std::istringstream input("\n\n");
    CliEnvironment env = Environment();
    env.input = &input;
    env.pollInterval = std::chrono::milliseconds(20);
    env.onStep = [&](const std::string&, const std::string& step) {
        if (const auto at = step.find(": apply "); at != std::string::npos)
            devices_[0]->WithDevice([&](sim::Transmitter& t) { t.ApplyInput(std::stod(step.substr(at + 8))); });
    };
    devices_[0]->WithDevice([&](sim::Transmitter& t) {
        t = sim::Transmitter();
        t.answerDelayMs = 5;
        calibrated(t);
    });
    const CliRun r = CliOn(env, {"--port", devices_[0]->SlavePath(), "check", "--points", "0,100", "--readings", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n  100 %    1300.0    1300.0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nresult: pass, every point within 0.25 % of span\n"), std::string::npos) << r.out;
}

// Ctrl-C during a write: the frame on the line is finished, nothing more is
// sent, and the report says which settings the device now holds.
TEST_F(CliDevices, AStopMidWayReportsWhatWasWrittenAndWhatNot) {
    AddDevice();
    const std::string file = Temp("stop.json");
    std::ofstream(file) << FileOf([](config::ParamFields& f) {
        f.inputType = 16, f.wireCount = 2, f.rangeZero = -50.0f, f.dampingLevel = 7;
    });
    std::atomic<bool> stop{false};
    CliEnvironment env = Environment();
    env.stop = &stop;
    env.onStep = [&](const std::string&, const std::string& step) {
        // Asked while the second request goes out: that one is finished.
        if (step.rfind("writing", 0) == 0 && step.find("(2 of ") != std::string::npos) stop = true;
        if (step.rfind("reading 2 of", 0) == 0) stop = true;
    };
    CliRun r = CliOn(env, {"--json", "--port", devices_[0]->SlavePath(), "write", file});
    EXPECT_EQ(r.status, 130) << r.err;
    Json doc = Json::parse(r.out);
    EXPECT_EQ(doc["interrupted"], true);
    EXPECT_EQ(doc["ports"][0]["written"], Json({"inputType", "wireCount"}));
    EXPECT_EQ(doc["ports"][0]["not-written"], Json({"rangeZero", "dampingLevel"}));
    EXPECT_EQ(doc["ports"][0]["verified"], false);
    const auto block = DeviceBlock(0);
    EXPECT_EQ(block[config::offset::wireCount], 2);
    EXPECT_EQ(block[config::offset::dampingLevel], 1) << "sent after the stop";

    stop = false;
    r = CliOn(env, {"--port", devices_[0]->SlavePath(), "set", "dampingLevel=3", "offsetCorrection=2", "breakAlarm=low"});
    EXPECT_EQ(r.status, 130);
    EXPECT_NE(r.err.find("interrupted: stopped by a signal"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("written, not verified: dampingLevel, offsetCorrection; not written: breakAlarm"), std::string::npos) << r.err;

    stop = false;
    r = CliOn(env, {"--json", "--port", devices_[0]->SlavePath(), "measure", "--count", "50", "--interval", "0"});
    EXPECT_EQ(r.status, 130);
    doc = Json::parse(r.out);
    EXPECT_EQ(doc["ports"][0]["readings"].size(), 2u) << "the readings taken before the stop";
}

}  // namespace
}  // namespace orv::cli
