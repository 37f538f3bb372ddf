// Port names as typed after --port, and the "ports" listing, without hardware.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/BridgeList.h"
#include "cli/PortArgument.h"
#include "cli/Runner.h"

namespace orv::cli {
namespace {

std::string TtyOf(int k) { return k > 0 ? "/dev/ttyUSB" + std::to_string(k - 1) : std::string(); }

TEST(CliPorts, NamesAsTyped) {
    struct Case {
        const char* given;
        int discovered;
        const char* label;
        const char* path;  // "" with an error
        bool usageError;
    };
    const Case cases[] = {
        {"COM3", 0, "COM3", "/dev/ttyUSB2", false},
        {"com12", 0, "COM12", "/dev/ttyUSB11", false},
        {"COM0", 0, "COM0", "", true},
        {"./COM3", 0, "./COM3", "./COM3", false},
        {"COM3x", 0, "COM3x", "/dev/COM3x", false},  // a bare name is under /dev, as Qt takes it
        {"/dev/ttyACM0", 0, "/dev/ttyACM0", "/dev/ttyACM0", false},
        {"auto", 2, "auto (COM2)", "/dev/ttyUSB1", false},
        {"auto", 0, "auto", "", false},
        {"auto", -1, "auto", "", false},
    };
    for (const auto& c : cases) {
        const auto r = ResolvePort(c.given, [&] { return c.discovered; }, TtyOf);
        EXPECT_EQ(r.label, c.label) << c.given;
        EXPECT_EQ(r.path, c.path) << c.given;
        EXPECT_EQ(r.error.empty(), *c.path != '\0') << c.given;
        EXPECT_EQ(r.usageError, c.usageError) << c.given;
    }
}

TEST(CliPorts, OneDeviceUnderTwoNamesIsRefusedAndAFileIsNoPort) {
    const std::string dir = ::testing::TempDir();
    const std::string link = dir + "cli_null_link", file = dir + "cli_not_a_port";
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/null", link);
    std::ofstream(file) << "x";
    auto named = [](const std::string& path) { return ResolvePort(path, [] { return 0; }, TtyOf); };
    const auto com = ResolvePort("COM1", [] { return 0; }, [](int) { return std::string("/dev/../dev/null"); });

    std::vector<ResolvedPort> distinct{com, named("/dev/zero")};
    EXPECT_EQ(CheckDistinct(distinct, IdentifyOnThisSystem), "");
    // The same device through a link, not only through the same path text.
    std::vector<ResolvedPort> twice{com, named("/dev/zero"), named(link)};
    EXPECT_NE(CheckDistinct(twice, IdentifyOnThisSystem).find("COM1 and " + link), std::string::npos);

    std::vector<ResolvedPort> odd{named(file), named(dir + "cli_missing_port")};
    EXPECT_EQ(CheckDistinct(odd, IdentifyOnThisSystem), "");
    EXPECT_NE(odd[0].error.find("it is a regular file, not a serial device"), std::string::npos) << odd[0].error;
    EXPECT_NE(odd[1].error.find("No such file"), std::string::npos) << odd[1].error;
    EXPECT_FALSE(odd[0].usageError || odd[1].usageError);
}

// Bridges by index: identity, or nothing when the library fails to read it.
class FakeBridges : public discovery::BridgeLibrary, public discovery::PortLookup {
public:
    struct Bridge {
        bool readable;
        discovery::BridgeIdentity id;
        int port;
    };
    std::vector<Bridge> bridges;

    discovery::BridgeStatus GetNumDevices(std::int32_t& count) override {
        count = static_cast<std::int32_t>(bridges.size());
        return 0;
    }
    discovery::BridgeStatus Open(std::uint32_t index, discovery::BridgeHandle& handle) override {
        handle = index;
        ++open;
        return 0;
    }
    discovery::BridgeStatus GetVid(discovery::BridgeHandle h, std::uint16_t& v) override {
        v = bridges[h].id.vendorId;
        return bridges[h].readable ? 0 : 1;
    }
    discovery::BridgeStatus GetPid(discovery::BridgeHandle h, std::uint16_t& p) override {
        p = bridges[h].id.productId;
        return 0;
    }
    discovery::BridgeStatus GetSerialString(discovery::BridgeHandle h, discovery::SerialArea& area,
                                            std::uint8_t& length) override {
        const auto& s = bridges[h].id.serial;
        std::copy(s.begin(), s.end(), area.begin());
        length = static_cast<std::uint8_t>(s.size());
        return 0;
    }
    discovery::BridgeStatus Close(discovery::BridgeHandle) override {
        --open;
        return 0;
    }
    std::optional<int> Lookup(const discovery::BridgeIdentity& id) override {
        for (const auto& b : bridges)
            if (b.id.serial == id.serial) return b.port;
        return -1;
    }
    int open = 0;
};

TEST(CliPorts, ListsEveryReadableBridgeAndClosesAll) {
    FakeBridges fake;
    fake.bridges = {{true, {0x10c4, 0xea60, "A1"}, 1}, {false, {0x10c4, 0xea60, "B2"}, 2}, {true, {0x10c4, 0xea70, "C3"}, -1}};
    const auto rows = ListBridges(fake, fake, TtyOf);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "COM1");
    EXPECT_EQ(rows[0].path, "/dev/ttyUSB0");
    EXPECT_EQ(rows[0].serial, "A1");
    EXPECT_EQ(rows[1].name, "");  // a bridge without a port is still listed
    EXPECT_EQ(rows[1].productId, 0xea70u);
    EXPECT_EQ(fake.open, 0);
}

TEST(CliPorts, PortLinksAreListedAndMarkedAsLinks) {
    CliEnvironment env;
    env.discover = [] { return 0; };
    env.portPath = TtyOf;
    env.bridges = [] { return std::vector<BridgeRow>{{"COM1", "/dev/ttyUSB0", 0x10c4, 0xea60, "A1"}}; };
    env.links = [] { return std::vector<LinkRow>{{"COM7", "/dev/pts/3"}}; };
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"ports"}, out, err, false, env), 0);
    EXPECT_EQ(out.str(), "COM1\t/dev/ttyUSB0\t10c4:ea60\tA1\nCOM7\t/dev/pts/3\tlink\t-\n");
    env.bridges = [] { return std::vector<BridgeRow>{}; };
    std::ostringstream json;
    ASSERT_EQ(RunCli({"--json", "ports"}, json, err, false, env), 0);
    const auto doc = nlohmann::json::parse(json.str());
    EXPECT_TRUE(doc["bridges"].empty());
    EXPECT_EQ(doc["links"], nlohmann::json::parse(R"([{"port": "COM7", "path": "/dev/pts/3"}])"));
}

}  // namespace
}  // namespace orv::cli
