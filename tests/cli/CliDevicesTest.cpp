// The whole program run in-process against simulated transmitters on
// pseudo-terminals, in real time. Time-outs are scaled down so a silent
// device costs a fraction of a second; every wait ends at a time-out.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Runner.h"
#include "sim/PtyDevice.h"

namespace orv::cli {
namespace {

using Json = nlohmann::json;

struct CliRun {
    int status = -1;
    std::string out, err;
};

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

    CliRun Cli(std::vector<std::string> args) {
        std::vector<std::string> full;
        for (const auto& d : devices_) {
            full.push_back("--port");
            full.push_back(d->SlavePath());
        }
        full.insert(full.end(), args.begin(), args.end());
        CliEnvironment env{[] { return 0; }, [](int) { return std::string(); }, [] { return std::vector<BridgeRow>{}; }};
        std::ostringstream out, err;
        CliRun r;
        r.status = RunCli(full, out, err, false, env);
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
    ASSERT_EQ(Cli({"set", "damping=6", "range-full=1000"}).status, 0);
    ASSERT_EQ(Cli({"read", "-o", file}).status, 0);
    devices_.clear();

    AddDevice();
    AddDevice();
    AddDevice({.silent = true});
    AddDevice({.corruptChecksum = true});
    const std::vector<std::vector<std::string>> commands = {
        {"read"}, {"set", "offset=-3"}, {"write", file}, {"measure", "--count", "2", "--interval", "0"},
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

    CliRun r = Cli({"set", "input-type=pt100", "wiring=2", "range-zero=-50", "offset=-5"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto block = DeviceBlock(0);
    EXPECT_EQ(block[1], 16);
    EXPECT_EQ(block[3], 2);
    EXPECT_EQ(static_cast<std::int8_t>(block[27]), -5);

    r = Cli({"read", "-o", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("input-type        pt100"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("range-zero        -50.0 ℃"), std::string::npos) << r.out;

    r = Cli({"factory-reset", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(DeviceBlock(0), factory);

    r = Cli({"write", file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("wrote 4 of 9 settings"), std::string::npos) << r.out;
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

TEST_F(CliDevices, MeasureCsvHasAHeaderAndOneLinePerReading) {
    AddDevice();
    const CliRun r = Cli({"measure", "--count", "3", "--interval", "0.05", "--csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "port,time,measured,unit,ambient,rv0,rv1,rv2,rv3,rv4");
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
        ASSERT_EQ(fields.size(), 10u) << line;
        EXPECT_EQ(fields[0], devices_[0]->SlavePath());
        EXPECT_EQ(fields[3], "℃");
        EXPECT_NEAR(std::stod(fields[2]), 100.0, 10.0) << line;  // TC K at 100 degC on the bench
        EXPECT_NEAR(std::stod(fields[4]), 25.0, 3.0) << line;
    }
    EXPECT_EQ(count, 3);
}

TEST_F(CliDevices, VerifyCatchesADeviceThatKeepsItsOldValue) {
    AddDevice({.keepBlock = true});
    const CliRun r = Cli({"set", "range-full=1000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("mismatch: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("range-full: wrote 1000.0, the device holds 1300.0"), std::string::npos) << r.err;
}

TEST_F(CliDevices, RefusalsSendNoWrite) {
    const std::string bad = Temp("bad.json");
    {
        std::ofstream(bad) << "{\"format\": \"orvane-configuration\", \"version\": 1,";
    }
    AddDevice();
    // A voltage/current model, so thermocouple settings do not fit it.
    devices_[0]->WithDevice([](sim::Transmitter& t) {
        t.Block()[0] = 0;
        t.Block()[1] = 32;
    });
    const auto before = DeviceBlock(0);
    struct Case {
        std::vector<std::string> args;
        const char* message;
        bool touchesDevice;  // reads the block before refusing
    };
    const Case cases[] = {
        {{"set", "input-type=tc-k"}, "does not accept TC- K", true},
        {{"set", "input-type=current", "cjc=internal"}, "cjc: applies to thermocouple", true},
        {{"set", "offset=300"}, "offset=300", false},
        {{"set", "speed=3"}, "speed: unknown setting", false},
        {{"write", bad}, bad.c_str(), false},
        {{"factory-reset"}, "--yes", false},
    };
    for (const auto& c : cases) {
        const unsigned answeredBefore = Answered(0);
        const CliRun r = Cli(c.args);
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        if (c.touchesDevice) {
            EXPECT_NE(r.err.find(devices_[0]->SlavePath()), std::string::npos) << r.err;
        }
        EXPECT_EQ(Answered(0) - answeredBefore, c.touchesDevice ? 1u : 0u);
        EXPECT_EQ(DeviceBlock(0), before);
    }
    const CliRun r = Cli({"--json", "set", "speed=3"});
    const Json doc = Json::parse(r.out);
    EXPECT_EQ(doc["exit"], 2);
    EXPECT_EQ(doc["error"]["kind"], "usage");
}

}  // namespace
}  // namespace orv::cli
