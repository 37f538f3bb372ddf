#include "link/serial/PortNaming.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace orv::link {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope and puts the old value back.
class EnvOverride {
public:
    EnvOverride(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvOverride() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class PortNamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("orv-ports-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        // Two candidate folders: one under XDG_CONFIG_HOME, one under HOME.
        fs::create_directories(Xdg() / "orvane" / "ports");
        fs::create_directories(Home() / ".config" / "orvane" / "ports");
        fs::create_symlink("/dev/ttyACM7", Xdg() / "orvane/ports/COM2");
        fs::create_symlink("../../devs/bridge", Xdg() / "orvane/ports/COM3");
        fs::create_symlink("/nonexistent/ttyGone", Xdg() / "orvane/ports/COM4");
        fs::create_symlink("/dev/ttyS0", Xdg() / "orvane/ports/COM0");
        fs::create_symlink("/dev/ttyS1", Xdg() / "orvane/ports/COM-1");
        fs::create_symlink("/dev/ttyHome", Home() / ".config/orvane/ports/COM2");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path Xdg() const { return root_ / "xdg"; }
    fs::path Home() const { return root_ / "home"; }

    fs::path root_;
};

TEST_F(PortNamingTest, LinksInThePortFolderWinOverTheDefaultNames) {
    const std::string xdgPorts = (Xdg() / "orvane" / "ports").string();
    struct Case {
        const char* what;
        std::optional<std::string> xdg;
        int port;
        std::string expect;
    } const cases[] = {
        {"absolute link", Xdg().string(), 2, "/dev/ttyACM7"},
        {"relative link is taken from the folder", Xdg().string(), 3, xdgPorts + "/../../devs/bridge"},
        {"dangling link still names its target", Xdg().string(), 4, "/nonexistent/ttyGone"},
        {"COM0 linked", Xdg().string(), 0, "/dev/ttyS0"},
        {"negative linked", Xdg().string(), -1, "/dev/ttyS1"},
        {"no link falls back", Xdg().string(), 1, "/dev/ttyUSB0"},
        {"two digits", Xdg().string(), 12, "/dev/ttyUSB11"},
        {"unset uses HOME", std::nullopt, 2, "/dev/ttyHome"},
        {"empty uses HOME", std::string(), 2, "/dev/ttyHome"},
        {"relative value is ignored", std::string("relative/dir"), 2, "/dev/ttyHome"},
        {"unset, COM0 names nothing", std::nullopt, 0, ""},
        {"unset, -1 names nothing", std::nullopt, -1, ""},
        {"unset, no link", std::nullopt, 12, "/dev/ttyUSB11"},
    };
    EnvOverride home("HOME", Home().string());
    for (const Case& c : cases) {
        EnvOverride xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(DefaultPortPath(c.port), c.expect) << c.what;
    }
}

TEST_F(PortNamingTest, MissingFolderIsNotCreated) {
    EnvOverride home("HOME", (root_ / "nobody").string());
    EnvOverride xdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(DefaultPortPath(1), "/dev/ttyUSB0");
    EXPECT_EQ(DefaultPortPath(0), "");
    EXPECT_FALSE(fs::exists(root_ / "nobody"));
}

// "ports" lists these: each link by its number, naming what opening COMk opens.
TEST_F(PortNamingTest, LinksAreListedByNumberWithThePathTheirNameOpens) {
    EnvOverride xdg("XDG_CONFIG_HOME", Xdg().string());
    const std::vector<PortLink> links = PortLinks(PortFolder());
    ASSERT_EQ(links.size(), 3u);  // COM0 and COM-1 name no port
    for (std::size_t i = 0; i < links.size(); ++i) {
        EXPECT_EQ(links[i].port, static_cast<int>(i) + 2);
        EXPECT_EQ(links[i].target, DefaultPortPath(links[i].port));
    }
    EXPECT_TRUE(PortLinks(root_ / "none").empty());
}

}  // namespace
}  // namespace orv::link
