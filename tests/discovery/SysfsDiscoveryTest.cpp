#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/discovery/FindBridgePort.h"
#include "link/discovery/sysfs/SysfsBridgeLibrary.h"
#include "link/discovery/sysfs/SysfsPortLookup.h"

namespace orv::discovery {
namespace {

namespace fs = std::filesystem;

// A sysfs tree in a temporary folder, laid out as the kernel lays it out:
// the driver's entries are relative links into the USB device tree.
class Tree {
public:
    Tree() {
        std::string pattern = (fs::temp_directory_path() / "orv-sysfs-XXXXXX").string();
        base_ = mkdtemp(pattern.data());
        root_ = base_ / "sys";
        fs::create_directories(root_ / "devices");
        fs::create_directories(Driver("cp210x"));
        fs::create_directories(Dev());
        fs::create_directories(Ports());
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    std::string Root() const { return root_.string(); }
    fs::path Base() const { return base_; }
    // The device nodes, and the user's port links (COMk) into them.
    fs::path Dev() const { return base_ / "dev"; }
    fs::path Ports() const { return base_ / "ports"; }
    void LinkPort(int k, const fs::path& target) const {
        fs::create_symlink(target, Ports() / ("COM" + std::to_string(k)));
    }

    struct Usb {
        std::string port = "1-1";
        std::string vid = "10c4";
        std::string pid = "ea60";
        std::optional<std::string> serial = "0001";
        std::vector<std::pair<int, int>> ttys = {{0, 0}};  // (interface, n of ttyUSBn)
        std::string driver = "cp210x";
    };

    // Returns the USB device directory.
    fs::path AddUsb(const Usb& usb) {
        const fs::path device = root_ / "devices/pci0000:00/0000:00:14.0/usb1" / usb.port;
        fs::create_directories(device);
        Write(device / "idVendor", usb.vid + "\n");
        Write(device / "idProduct", usb.pid + "\n");
        if (usb.serial) Write(device / "serial", *usb.serial + "\n");
        for (const auto& [interface, n] : usb.ttys) {
            const fs::path iface = device / (usb.port + ":1." + std::to_string(interface));
            const std::string tty = "ttyUSB" + std::to_string(n);
            fs::create_directories(iface / tty);
            Write(Dev() / tty, "");
            char number[8];
            std::snprintf(number, sizeof number, "%02x\n", interface);
            Write(iface / "bInterfaceNumber", number);
            fs::create_directories(Driver(usb.driver));
            fs::create_directory_symlink(fs::relative(iface / tty, Driver(usb.driver)), Driver(usb.driver) / tty);
        }
        return device;
    }

    void LinkDriverEntry(const std::string& name, const fs::path& target) {
        fs::create_directory_symlink(target, Driver("cp210x") / name);
    }

    static void Write(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

private:
    fs::path Driver(const std::string& name) const { return root_ / "bus/usb-serial/drivers" / name; }

    fs::path base_;
    fs::path root_;
};

struct Case {
    const char* name;
    std::function<void(Tree&)> build;
    std::int32_t bridges;  // devices the library lists
    int port;              // FindBridgePort's result
};

Tree::Usb Bridge(std::string port, std::string serial, std::vector<std::pair<int, int>> ttys) {
    Tree::Usb usb;
    usb.port = std::move(port);
    usb.serial = std::move(serial);
    usb.ttys = std::move(ttys);
    return usb;
}

class SysfsDiscovery : public ::testing::TestWithParam<Case> {};

TEST_P(SysfsDiscovery, ListsBridgesAndFindsTheirPort) {
    const Case& c = GetParam();
    Tree tree;
    c.build(tree);

    SysfsBridgeLibrary library(tree.Root());
    std::int32_t count = -1;
    EXPECT_EQ(library.GetNumDevices(count), kBridgeSuccess);
    EXPECT_EQ(count, c.bridges);

    SysfsBridgeLibrary fresh(tree.Root());
    SysfsPortLookup lookup(tree.Root(), tree.Dev(), tree.Ports());
    EXPECT_EQ(FindBridgePort(fresh, lookup), c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Discovery, SysfsDiscovery,
    ::testing::Values(
        Case{"NoBridge", [](Tree&) {}, 0, 0},
        Case{"NoSysfsAtAll", [](Tree& t) { fs::remove_all(t.Root()); }, 0, 0},
        Case{"OneBridgeOnTty0", [](Tree& t) { t.AddUsb({}); }, 1, 1},
        Case{"OneBridgeOnTty2", [](Tree& t) { t.AddUsb(Bridge("1-1", "A", {{0, 2}})); }, 1, 3},
        Case{"TwoBridgesLastByTtyNumberDecides",
             [](Tree& t) {
                 t.AddUsb(Bridge("1-1", "A", {{0, 10}}));
                 t.AddUsb(Bridge("1-2", "B", {{0, 2}}));
             },
             2, 11},
        Case{"DualInterfaceBridgeCountsOnceAndPrefersInterface0",
             [](Tree& t) { t.AddUsb(Bridge("1-1", "A", {{1, 3}, {0, 4}})); }, 1, 5},
        Case{"InterfaceOtherThan0WhenAlone", [](Tree& t) { t.AddUsb(Bridge("1-1", "A", {{1, 6}})); }, 1, 7},
        Case{"OtherDriversTtyIgnored",
             [](Tree& t) {
                 Tree::Usb other = Bridge("1-2", "A", {{0, 0}});
                 other.driver = "ftdi_sio";
                 t.AddUsb(other);
             },
             0, 0},
        Case{"OtherDriversTtyWithSameIdsNotChosen",
             [](Tree& t) {
                 Tree::Usb other = Bridge("1-2", "A", {{0, 0}});
                 other.driver = "ftdi_sio";
                 t.AddUsb(other);
                 t.AddUsb(Bridge("1-1", "A", {{0, 1}}));
             },
             1, 2},
        Case{"DanglingLinkIgnored",
             [](Tree& t) {
                 t.LinkDriverEntry("ttyUSB5", "../../../../devices/gone/1-9:1.0/ttyUSB5");
                 t.AddUsb(Bridge("1-1", "A", {{0, 1}}));
             },
             1, 2},
        Case{"LinkOutsideTheRootIgnored",
             [](Tree& t) {
                 // A complete device outside the root: followed, it would be found.
                 const fs::path outside = t.Base() / "elsewhere/1-1";
                 fs::create_directories(outside / "1-1:1.0/ttyUSB0");
                 Tree::Write(outside / "idVendor", "10c4\n");
                 Tree::Write(outside / "idProduct", "ea60\n");
                 Tree::Write(outside / "serial", "0001\n");
                 Tree::Write(outside / "1-1:1.0/bInterfaceNumber", "00\n");
                 t.LinkDriverEntry("ttyUSB0", outside / "1-1:1.0/ttyUSB0");
             },
             0, 0},
        Case{"NonNumericTtyNameIgnored",
             [](Tree& t) {
                 const fs::path dev = t.AddUsb(Bridge("1-1", "A", {{0, 1}}));
                 t.LinkDriverEntry("ttyUSBx", dev / "1-1:1.0/ttyUSB1");
             },
             1, 2},
        Case{"MissingSerialMatchesAsEmpty", [](Tree& t) {
                 Tree::Usb usb = Bridge("1-1", "", {{0, 4}});
                 usb.serial.reset();
                 t.AddUsb(usb);
             }, 1, 5},
        Case{"SerialLinkedOutsideReadsAsMissing",
             [](Tree& t) {
                 // Followed, the link would make the first bridge's serial
                 // equal the second's, and both would resolve to ttyUSB0.
                 const fs::path dev = t.AddUsb(Bridge("1-1", "0001", {{0, 0}}));
                 Tree::Write(t.Base() / "secret", "0001\n");
                 fs::remove(dev / "serial");
                 fs::create_symlink(t.Base() / "secret", dev / "serial");
                 t.AddUsb(Bridge("1-2", "0001", {{0, 1}}));
             },
             2, 2},
        Case{"SerialThatIsAFifoReadsAsMissing",
             [](Tree& t) {
                 const fs::path dev = t.AddUsb(Bridge("1-1", "0001", {{0, 2}}));
                 fs::remove(dev / "serial");
                 ASSERT_EQ(mkfifo((dev / "serial").c_str(), 0600), 0);
             },
             1, 3},
        Case{"SerialOf63Found", [](Tree& t) { t.AddUsb(Bridge("1-1", std::string(63, 'S'), {{0, 0}})); }, 1, 1},
        Case{"SerialOf64Skipped", [](Tree& t) { t.AddUsb(Bridge("1-1", std::string(64, 'S'), {{0, 0}})); }, 1, 0},
        Case{"HugeSerialSkipped", [](Tree& t) { t.AddUsb(Bridge("1-1", std::string(5000, 'S'), {{0, 0}})); }, 1, 0},
        // The answer is a name that leads to the bridge's tty, whatever the
        // user's port links say.
        Case{"LowestLinkToTheBridgeWins",
             [](Tree& t) {
                 t.AddUsb(Bridge("1-1", "A", {{0, 2}}));
                 t.LinkPort(9, t.Dev() / "ttyUSB2");
                 t.LinkPort(5, "../dev/ttyUSB2");
             },
             1, 5},
        Case{"LinkChainToTheBridgeFollowed",
             [](Tree& t) {
                 t.AddUsb(Bridge("1-1", "A", {{0, 0}}));
                 fs::create_directories(t.Dev() / "serial/by-id");
                 fs::create_symlink("../../ttyUSB0", t.Dev() / "serial/by-id/usb-bridge");
                 t.LinkPort(7, t.Dev() / "serial/by-id/usb-bridge");
             },
             1, 7},
        Case{"UnlinkedNumberTakenByAnotherDeviceGivesNoPort",
             [](Tree& t) {
                 t.AddUsb(Bridge("1-1", "A", {{0, 0}}));
                 Tree::Write(t.Dev() / "ttyS0", "");
                 t.LinkPort(1, t.Dev() / "ttyS0");
             },
             1, -1},
        Case{"UnlinkedNumberWithDanglingLinkGivesNoPort",
             [](Tree& t) {
                 t.AddUsb(Bridge("1-1", "A", {{0, 3}}));
                 t.LinkPort(4, t.Dev() / "gone");
             },
             1, -1},
        Case{"LinksToOtherDevicesLeaveTheUnlinkedNumber",
             [](Tree& t) {
                 t.AddUsb(Bridge("1-1", "A", {{0, 1}}));
                 t.LinkPort(1, t.Dev() / "ttyUSB1x");
                 fs::create_directories(t.Ports() / "COM3");  // not a link: names nothing
             },
             1, 2},
        Case{"UnreadableVendorIdSkipped",
             [](Tree& t) {
                 Tree::Usb usb = Bridge("1-1", "A", {{0, 0}});
                 usb.vid = "zz10";
                 t.AddUsb(usb);
             },
             1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Lists the bridges (the library's handles refer to that listing) and opens
// the first.
BridgeHandle OpenFirst(SysfsBridgeLibrary& library, std::int32_t expectedCount) {
    std::int32_t count = 0;
    library.GetNumDevices(count);
    EXPECT_EQ(count, expectedCount);
    BridgeHandle handle{};
    EXPECT_EQ(library.Open(0, handle), kBridgeSuccess);
    return handle;
}

TEST(SysfsBridgeLibrary, ReportsIdsAndSerialInTtyOrder) {
    Tree tree;
    Tree::Usb first = Bridge("1-4", "FIRST", {{0, 2}});
    first.vid = "1A2B";
    first.pid = "00ff";
    tree.AddUsb(first);
    tree.AddUsb(Bridge("1-1", "SECOND", {{0, 10}}));

    SysfsBridgeLibrary library(tree.Root());
    BridgeHandle handle = OpenFirst(library, 2);
    std::uint16_t vid = 0, pid = 0;
    EXPECT_EQ(library.GetVid(handle, vid), kBridgeSuccess);
    EXPECT_EQ(library.GetPid(handle, pid), kBridgeSuccess);
    EXPECT_EQ(vid, 0x1a2b);
    EXPECT_EQ(pid, 0x00ff);
    SerialArea area{};
    std::uint8_t length = 0;
    EXPECT_EQ(library.GetSerialString(handle, area, length), kBridgeSuccess);
    EXPECT_EQ(std::string(area.data(), length), "FIRST");
    EXPECT_EQ(library.Close(handle), kBridgeSuccess);

    // A closed handle and an index past the count are refused.
    EXPECT_NE(library.GetVid(handle, vid), kBridgeSuccess);
    EXPECT_NE(library.Close(handle), kBridgeSuccess);
    EXPECT_NE(library.Open(2, handle), kBridgeSuccess);
}

TEST(SysfsBridgeLibrary, OverLongSerialStaysInsideTheArea) {
    Tree tree;
    tree.AddUsb(Bridge("1-1", std::string(64, 'a') + std::string(100, 'b'), {{0, 0}}));
    SysfsBridgeLibrary library(tree.Root());
    const BridgeHandle handle = OpenFirst(library, 1);
    struct {
        SerialArea area;
        char guard[16];
    } memory{};
    std::fill(std::begin(memory.guard), std::end(memory.guard), 'G');
    std::uint8_t length = 0;
    library.GetSerialString(handle, memory.area, length);
    EXPECT_EQ(length, 164);
    EXPECT_EQ(std::string(memory.area.data(), memory.area.size()), std::string(64, 'a'));
    EXPECT_EQ(std::string(memory.guard, sizeof memory.guard), std::string(16, 'G'));
    library.Close(handle);
}

TEST(SysfsPortLookup, MatchesVendorProductAndSerialExactly) {
    Tree tree;
    tree.AddUsb(Bridge("1-1", "AB 1", {{0, 0}}));
    Tree::Usb other = Bridge("1-2", "AB 1", {{0, 1}});
    other.pid = "ea70";
    tree.AddUsb(other);

    SysfsPortLookup lookup(tree.Root());
    const struct {
        BridgeIdentity identity;
        int port;
    } cases[] = {
        {{0x10c4, 0xea60, "AB 1"}, 1}, {{0x10c4, 0xea70, "AB 1"}, 2}, {{0x10c4, 0xea60, "ab 1"}, -1},
        {{0x10c4, 0xea60, "AB_1"}, -1}, {{0x10c5, 0xea60, "AB 1"}, -1}, {{0x10c4, 0xea60, ""}, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(lookup.Lookup(c.identity), c.port) << c.identity.serial;
}

}  // namespace
}  // namespace orv::discovery
