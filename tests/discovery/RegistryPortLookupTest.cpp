#include "link/discovery/RegistryPortLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace orv::discovery {
namespace {

// An in-memory HKEY_LOCAL_MACHINE. Key names compare without regard to case
// and trailing separators, as the real registry's do; value data is compared
// byte for byte by the code under test, so it is kept as given.
class FakeRegistry : public Registry {
public:
    struct Read {
        std::string key;
        std::string name;
        std::uint32_t offered;
    };

    void Set(const std::string& key, const std::string& name, const std::string& text) {
        AddKey(key);
        keys_[Normal(key)][name] = text + '\0';  // stored with its terminator
    }
    // Creates the key and every key above it.
    void AddKey(const std::string& key) {
        const std::string path = Normal(key);
        for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
            keys_[path.substr(0, at)];
        keys_[path];
    }
    // Each read of this value finds it longer than the last one reported.
    void MakeGrowing(const std::string& key, const std::string& name) { growing_ = Normal(key) + "|" + name; }

    bool OpenKey(RegistryKey parent, const std::string& subKey, RegistryKey& opened) override {
        std::string path = subKey;
        if (parent != kLocalMachine) {
            const auto it = open_.find(parent);
            EXPECT_NE(it, open_.end()) << "opening under a key that is not open";
            if (it == open_.end()) return false;
            path = it->second + "\\" + subKey;
        }
        path = Normal(path);
        opened_.push_back(path);
        if (!keys_.count(path)) return false;
        opened = next_++;
        open_[opened] = path;
        return true;
    }

    RegistryRead ReadText(RegistryKey key, const std::string& name, char* area, std::uint32_t& size) override {
        const auto it = open_.find(key);
        EXPECT_NE(it, open_.end()) << "reading a key that is not open";
        if (it == open_.end()) return RegistryRead::Failed;
        reads.push_back({it->second, name, size});
        const auto& values = keys_[it->second];
        const auto value = values.find(name);
        if (value == values.end()) return RegistryRead::Failed;
        std::uint32_t length = static_cast<std::uint32_t>(value->second.size());
        if (growing_ == it->second + "|" + name) length = size + 1;
        if (length > size) {
            size = length;
            return RegistryRead::MoreData;
        }
        std::memcpy(area, value->second.data(), length);
        size = length;
        return RegistryRead::Success;
    }

    void CloseKey(RegistryKey key) override { EXPECT_EQ(open_.erase(key), 1u) << "closing a key that is not open"; }

    bool AllClosed() const { return open_.empty(); }
    bool Tried(const std::string& path) const {
        return std::find(opened_.begin(), opened_.end(), Normal(path)) != opened_.end();
    }
    const std::vector<std::string>& Opened() const { return opened_; }

    std::vector<Read> reads;

private:
    static std::string Normal(std::string path) {
        while (!path.empty() && path.back() == '\\') path.pop_back();
        for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string out;
        for (char c : path)
            if (!(c == '\\' && !out.empty() && out.back() == '\\')) out += c;
        return out;
    }

    std::map<std::string, std::map<std::string, std::string>> keys_;
    std::map<RegistryKey, std::string> open_;
    std::vector<std::string> opened_;
    std::string growing_;
    RegistryKey next_ = 1;
};

const std::string kUsb = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
const std::string kComposite = kUsb + "VID_10C4&PID_EA60&MI_00\\0001_00\\Device Parameters";
const std::string kPlain = kUsb + "VID_10C4&PID_EA60\\0001\\Device Parameters";

std::string Slabcr(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "Enum\\SLABCR\\guid\\%04d", index);
    return name;
}

// One enumerator entry of the 9x family: the device id and its port name.
void SetSlabcr(FakeRegistry& registry, int index, const std::string& deviceId, const std::string& portName) {
    registry.Set(Slabcr(index), "CRLowerDeviceID", deviceId);
    registry.Set(Slabcr(index), "Portname", portName);
}

TEST(PortNameToNumber, ReadsLeadingDigitsAfterThreeCharacters) {
    const struct {
        const char* name;
        int number;
    } cases[] = {
        {"COM3", 3},  {"COM12", 12}, {"COM", 0},  {"COMX", 0},   {"CO", 0},    {"", 0},
        {"COM4x", 4}, {"COM007", 7}, {"LPT9", 9}, {"COM-5", 0},  {"COM 5", 0}, {"COM2147483647", 2147483647},
        {"COM2147483648", 0},        {"COM99999999999999999999", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(PortNameToNumber(c.name), c.number) << c.name;
}

// ---- NT family --------------------------------------------------------------

const std::string kLongName = "COM1" + std::string(120, 'x');

struct UsbCase {
    const char* name;
    bool compositeKey;     // the composite path exists ...
    const char* portName;  // ... holding this PortName (nullptr: none)
    bool plain;            // PortName "COM9" present under the plain path
    int expected;
};

class UsbLookup : public ::testing::TestWithParam<UsbCase> {};

TEST_P(UsbLookup, ChoosesThePathAndConvertsThePortName) {
    const UsbCase& c = GetParam();
    FakeRegistry registry;
    registry.AddKey(kUsb);
    if (c.compositeKey) registry.AddKey(kComposite);
    if (c.portName) registry.Set(kComposite, "PortName", c.portName);
    if (c.plain) registry.Set(kPlain, "PortName", "COM9");

    EXPECT_EQ(LookupUsbPortName(registry, 0x10c4, 0xea60, "0001"), c.expected);
    EXPECT_EQ(registry.Tried(kPlain), !c.compositeKey) << "plain path is only for a missing composite key";
    EXPECT_TRUE(registry.AllClosed());
    for (const auto& read : registry.reads) EXPECT_EQ(read.offered, kRegistryAreaSize);
}

INSTANTIATE_TEST_SUITE_P(
    Discovery, UsbLookup,
    ::testing::Values(UsbCase{"CompositeOnly", true, "COM3", false, 3},
                      UsbCase{"CompositeWinsOverPlain", true, "COM12", true, 12},
                      UsbCase{"PlainWhenCompositeMissing", false, nullptr, true, 9},
                      UsbCase{"CompositeKeyWithoutPortNameDoesNotFallBack", true, nullptr, true, -1},
                      UsbCase{"NeitherPresent", false, nullptr, false, -1},
                      UsbCase{"NameWithoutDigits", true, "COMX", false, 0},
                      UsbCase{"ShortName", true, "COM", false, 0},
                      UsbCase{"NameLongerThanTheArea", true, kLongName.c_str(), false, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UsbLookup, KeyPathsUseLowerCaseHexAndUnderscoresForBlanks) {
    FakeRegistry registry;
    registry.Set(kUsb + "VID_10C4&PID_EA60\\A_B_C\\Device Parameters", "PortName", "COM4");
    EXPECT_EQ(LookupUsbPortName(registry, 0x10C4, 0xEA60, "A B C"), 4);
    const std::vector<std::string> expected = {
        "system\\currentcontrolset",
        "system\\currentcontrolset\\enum\\usb",
        "system\\currentcontrolset\\enum\\usb\\vid_10c4&pid_ea60&mi_00\\a_b_c_00\\device parameters",
        "system\\currentcontrolset\\enum\\usb\\vid_10c4&pid_ea60\\a_b_c\\device parameters",
    };
    EXPECT_EQ(registry.Opened(), expected);
    EXPECT_TRUE(registry.AllClosed());
}

TEST(PortNameLookups, MissingEnumeratorKeysGiveMinusOneAndCloseWhatOpened) {
    FakeRegistry noControlSet;
    EXPECT_EQ(LookupUsbPortName(noControlSet, 1, 2, "x"), -1);
    EXPECT_TRUE(noControlSet.AllClosed());

    FakeRegistry noUsb;
    noUsb.AddKey("SYSTEM\\CurrentControlSet");
    EXPECT_EQ(LookupUsbPortName(noUsb, 1, 2, "x"), -1);
    EXPECT_TRUE(noUsb.AllClosed());

    FakeRegistry noSlabcr;
    EXPECT_EQ(LookupSlabcrPortName(noSlabcr, 0x10c4, 0xea60, "AB C1"), -1);
    EXPECT_TRUE(noSlabcr.AllClosed());
}

// ---- 9x family --------------------------------------------------------------

const std::string kDeviceId = "USB\\VID_10C4&PID_EA60&MI_00\\AB_C1_00";

TEST(SlabcrLookup, MatchesTheUpperCasedSerialByteForByte) {
    const struct {
        const char* name;
        std::string stored;
        int expected;
    } cases[] = {
        {"exact", kDeviceId, 5},
        {"stored in lower case", "usb\\vid_10c4&pid_ea60&mi_00\\ab_c1_00", -1},
        {"blank not replaced", "USB\\VID_10C4&PID_EA60&MI_00\\AB C1_00", -1},
        {"trailing byte", kDeviceId + "X", -1},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        SetSlabcr(registry, 0, c.stored, "COM5");
        EXPECT_EQ(LookupSlabcrPortName(registry, 0x10c4, 0xea60, "ab c1"), c.expected) << c.name;
        EXPECT_TRUE(registry.AllClosed()) << c.name;
    }
}

TEST(SlabcrLookup, LaterMatchOverridesAndMissingIndexEndsTheScan) {
    FakeRegistry registry;
    SetSlabcr(registry, 0, kDeviceId, "COM3");
    SetSlabcr(registry, 1, "USB\\VID_10C4&PID_EA60&MI_00\\OTHER_00", "COM4");
    SetSlabcr(registry, 2, kDeviceId, "COM7");
    SetSlabcr(registry, 4, kDeviceId, "COM8");  // after the gap at 3

    EXPECT_EQ(LookupSlabcrPortName(registry, 0x10c4, 0xea60, "AB C1"), 7);
    EXPECT_TRUE(registry.Tried(Slabcr(3)));
    EXPECT_FALSE(registry.Tried(Slabcr(4)));
    EXPECT_TRUE(registry.AllClosed());
}

TEST(SlabcrLookup, EachReadOffersWhatThePreviousReadReported) {
    const std::uint32_t idSize = static_cast<std::uint32_t>(kDeviceId.size() + 1);
    FakeRegistry registry;
    SetSlabcr(registry, 0, kDeviceId, "COM3");  // 5 bytes with terminator
    SetSlabcr(registry, 1, kDeviceId, "COM12");

    EXPECT_EQ(LookupSlabcrPortName(registry, 0x10c4, 0xea60, "AB C1"), 12);
    const std::vector<std::pair<std::string, std::uint32_t>> expected = {
        {"CRLowerDeviceID", 100}, {"Portname", idSize},
        {"CRLowerDeviceID", 5},   {"CRLowerDeviceID", idSize},  // too short, read again at its length
        {"Portname", idSize},
    };
    std::vector<std::pair<std::string, std::uint32_t>> actual;
    for (const auto& read : registry.reads) actual.emplace_back(read.name, read.offered);
    EXPECT_EQ(actual, expected);
    EXPECT_TRUE(registry.AllClosed());
}

TEST(SlabcrLookup, ValueLongerThanTheAreaDoesNotMatchAndIsNotReadIntoIt) {
    FakeRegistry registry;
    SetSlabcr(registry, 0, std::string(150, 'U'), "COM3");
    SetSlabcr(registry, 1, kDeviceId, "COM6");

    EXPECT_EQ(LookupSlabcrPortName(registry, 0x10c4, 0xea60, "AB C1"), 6);
    for (const auto& read : registry.reads) EXPECT_LE(read.offered, kRegistryAreaSize) << read.name;
    EXPECT_TRUE(registry.AllClosed());
}

TEST(SlabcrLookup, ValueThatKeepsGrowingEndsAtTheAreaSize) {
    FakeRegistry registry;
    SetSlabcr(registry, 0, kDeviceId, "COM3");
    SetSlabcr(registry, 1, kDeviceId, "COM8");
    registry.MakeGrowing(Slabcr(1), "CRLowerDeviceID");

    EXPECT_EQ(LookupSlabcrPortName(registry, 0x10c4, 0xea60, "AB C1"), 3);
    // Offers 5, 6, ... 100 to the growing id, then gives it up.
    EXPECT_EQ(registry.reads.size(), 2u + 96u);
    for (const auto& read : registry.reads) EXPECT_LE(read.offered, kRegistryAreaSize);
    EXPECT_TRUE(registry.AllClosed());
}

// ---- platform version -------------------------------------------------------

TEST(RegistryPortLookup, VersionWordPicksTheLookup) {
    const struct {
        std::uint32_t version;
        std::optional<int> expected;  // 5: USB lookup ran, 9: 9x lookup ran
    } cases[] = {
        {0x0A280105u, 5},           // NT 5.1 with a build number
        {0x1DB10106u, 5},           // NT 6.1
        {0x00000016u, 5},           // only the low four bits of the major count
        {0xC0000A04u, 9},           // 9x family, 4.10
        {0x80000004u, 9},
        {0x00000004u, std::nullopt},  // NT 4
        {0x80000005u, std::nullopt},  // 9x flag with an NT major
        {0x0000000Au, std::nullopt},
        {0x00000003u, std::nullopt},
    };
    for (const auto& c : cases) {
        FakeRegistry registry;
        registry.Set(kComposite, "PortName", "COM5");
        SetSlabcr(registry, 0, "USB\\VID_10C4&PID_EA60&MI_00\\0001_00", "COM9");
        RegistryPortLookup lookup(registry, c.version);
        EXPECT_EQ(lookup.Lookup({0x10c4, 0xea60, "0001"}), c.expected) << std::hex << c.version;
        EXPECT_TRUE(registry.AllClosed());
    }
}

TEST(RegistryPortLookup, SerialIsChangedOnlyInTheLookupsCopy) {
    FakeRegistry registry;
    registry.Set(kUsb + "VID_10C4&PID_EA60\\A_1\\Device Parameters", "PortName", "COM2");
    RegistryPortLookup lookup(registry, 6);
    const BridgeIdentity identity{0x10c4, 0xea60, "a 1"};
    EXPECT_EQ(lookup.Lookup(identity), 2);
    EXPECT_EQ(identity.serial, "a 1");
}

}  // namespace
}  // namespace orv::discovery
