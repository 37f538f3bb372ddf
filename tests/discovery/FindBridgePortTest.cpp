#include "link/discovery/FindBridgePort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace orv::discovery {
namespace {

struct FakeDevice {
    std::uint16_t vid = 0x10c4;
    std::uint16_t pid = 0xea60;
    std::string serial = "0001";
    BridgeStatus openStatus = kBridgeSuccess;
    BridgeStatus vidStatus = kBridgeSuccess;
    BridgeStatus pidStatus = kBridgeSuccess;
    BridgeStatus serialStatus = kBridgeSuccess;
    int reportedLength = -1;  // >= 0: the length byte the library claims
};

// The library as the caller sees it, with a record of what was opened and
// closed and a check that no call uses a handle that is not open.
class FakeLibrary : public BridgeLibrary {
public:
    explicit FakeLibrary(std::vector<FakeDevice> devices, std::int32_t count)
        : devices_(std::move(devices)), count_(count) {}

    BridgeStatus GetNumDevices(std::int32_t& count) override {
        count = count_;
        return kBridgeSuccess;
    }
    BridgeStatus Open(std::uint32_t index, BridgeHandle& handle) override {
        const FakeDevice& d = devices_.at(index);
        if (d.openStatus != kBridgeSuccess) return d.openStatus;
        handle = 100 + index;
        open.insert(handle);
        ++opens;
        return kBridgeSuccess;
    }
    BridgeStatus GetVid(BridgeHandle handle, std::uint16_t& vid) override {
        const FakeDevice& d = Device(handle);
        if (d.vidStatus == kBridgeSuccess) vid = d.vid;
        return d.vidStatus;
    }
    BridgeStatus GetPid(BridgeHandle handle, std::uint16_t& pid) override {
        const FakeDevice& d = Device(handle);
        if (d.pidStatus == kBridgeSuccess) pid = d.pid;
        return d.pidStatus;
    }
    BridgeStatus GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) override {
        const FakeDevice& d = Device(handle);
        EXPECT_EQ(length, 0) << "length byte must be cleared before the read";
        if (d.serialStatus != kBridgeSuccess) return d.serialStatus;
        area.fill('#');  // bytes past the length must not reach the lookup
        std::memcpy(area.data(), d.serial.data(), std::min(d.serial.size(), area.size()));
        length = static_cast<std::uint8_t>(d.reportedLength >= 0 ? d.reportedLength : int(d.serial.size()));
        return kBridgeSuccess;
    }
    BridgeStatus Close(BridgeHandle handle) override {
        EXPECT_EQ(open.erase(handle), 1u) << "closing a handle that is not open";
        ++closes;
        return kBridgeSuccess;
    }

    std::set<BridgeHandle> open;
    int opens = 0;
    int closes = 0;

private:
    const FakeDevice& Device(BridgeHandle handle) {
        EXPECT_TRUE(open.count(handle)) << "call on a handle that is not open";
        return devices_.at(handle - 100);
    }

    std::vector<FakeDevice> devices_;
    std::int32_t count_;
};

// Answers by serial string; a serial it does not know has no port.
class FakeLookup : public PortLookup {
public:
    std::optional<int> Lookup(const BridgeIdentity& identity) override {
        seen.push_back(identity);
        if (!runs) return std::nullopt;
        const auto it = ports.find(identity.serial);
        return it == ports.end() ? -1 : it->second;
    }

    bool runs = true;
    std::map<std::string, int> ports;
    std::vector<BridgeIdentity> seen;
};

FakeDevice WithSerial(std::string serial) {
    FakeDevice d;
    d.serial = std::move(serial);
    return d;
}

struct Case {
    const char* name;
    std::vector<FakeDevice> devices;
    std::int32_t count;  // what the library reports
    std::map<std::string, int> ports;
    int expected;
    std::vector<std::string> lookedUp;  // serials handed to the lookup, in order
    bool lookupRuns = true;             // false: this platform has no lookup
};

FakeDevice Failing(BridgeStatus FakeDevice::*which, std::string serial) {
    FakeDevice d = WithSerial(std::move(serial));
    d.*which = 3;
    return d;
}

class FindBridgePortCases : public ::testing::TestWithParam<Case> {};

TEST_P(FindBridgePortCases, ResultLookupsAndHandles) {
    const Case& c = GetParam();
    FakeLibrary library(c.devices, c.count);
    FakeLookup lookup;
    lookup.ports = c.ports;
    lookup.runs = c.lookupRuns;

    EXPECT_EQ(FindBridgePort(library, lookup), c.expected);

    std::vector<std::string> serials;
    for (const BridgeIdentity& id : lookup.seen) serials.push_back(id.serial);
    EXPECT_EQ(serials, c.lookedUp);
    EXPECT_TRUE(library.open.empty()) << "a device was left open";
    EXPECT_EQ(library.opens, library.closes);
}

const std::string k63(63, 'S');
const std::string k64(64, 'S');

FakeDevice LongClaim(int claimed) {
    FakeDevice d = WithSerial("AB");
    d.reportedLength = claimed;
    return d;
}

INSTANTIATE_TEST_SUITE_P(
    Discovery, FindBridgePortCases,
    ::testing::Values(
        Case{"NoDevice", {}, 0, {}, 0, {}},
        Case{"NegativeCount", {}, -1, {}, 0, {}},
        Case{"OneBridgeWithPort", {WithSerial("A")}, 1, {{"A", 3}}, 3, {"A"}},
        Case{"OneBridgeWithoutPort", {WithSerial("A")}, 1, {}, -1, {"A"}},
        Case{"SecondWithoutPortGivesMinusOne", {WithSerial("A"), WithSerial("B")}, 2, {{"A", 3}}, -1, {"A", "B"}},
        Case{"LastLookedUpDecides", {WithSerial("A"), WithSerial("B")}, 2, {{"A", 3}, {"B", 7}}, 7, {"A", "B"}},
        Case{"OpenFailsSkipsDevice", {Failing(&FakeDevice::openStatus, "A")}, 1, {{"A", 3}}, 0, {}},
        Case{"VidFailsSkipsDevice", {Failing(&FakeDevice::vidStatus, "A")}, 1, {{"A", 3}}, 0, {}},
        Case{"PidFailsSkipsDevice", {Failing(&FakeDevice::pidStatus, "A")}, 1, {{"A", 3}}, 0, {}},
        Case{"SkippedDeviceLeavesEarlierResult",
             {WithSerial("A"), Failing(&FakeDevice::vidStatus, "B")}, 2, {{"A", 4}, {"B", 9}}, 4, {"A"}},
        Case{"FailedSerialReadIsEmptySerial", {Failing(&FakeDevice::serialStatus, "ignored")}, 1, {{"", 2}}, 2, {""}},
        Case{"SerialEndsAtReportedLength", {LongClaim(1)}, 1, {{"A", 6}}, 6, {"A"}},
        Case{"SerialOf63Fits", {WithSerial(k63)}, 1, {{k63, 5}}, 5, {k63}},
        Case{"SerialOf64IsSkipped", {WithSerial(k64)}, 1, {{k64, 5}}, 0, {}},
        Case{"ClaimedLengthBeyondAreaIsSkipped", {LongClaim(200)}, 1, {}, 0, {}},
        Case{"CountBelowDevicesStopsEarly", {WithSerial("A"), WithSerial("B")}, 1, {{"A", 3}, {"B", 7}}, 3, {"A"}},
        Case{"NoLookupOnThisPlatformLeavesResult", {WithSerial("A"), WithSerial("B")}, 2, {{"A", 3}}, 0, {"A", "B"},
             false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindBridgePort, PassesTheIdsTheLibraryReports) {
    FakeDevice d = WithSerial("X 1");
    d.vid = 0x1234;
    d.pid = 0xabcd;
    FakeLibrary library({d}, 1);
    FakeLookup lookup;
    FindBridgePort(library, lookup);
    ASSERT_EQ(lookup.seen.size(), 1u);
    EXPECT_EQ(lookup.seen[0].vendorId, 0x1234);
    EXPECT_EQ(lookup.seen[0].productId, 0xabcd);
    EXPECT_EQ(lookup.seen[0].serial, "X 1");
}

TEST(FindBridgePort, ThrowingLookupStillClosesTheDevice) {
    class Throwing : public PortLookup {
    public:
        std::optional<int> Lookup(const BridgeIdentity&) override { throw std::runtime_error("lookup"); }
    } lookup;
    FakeLibrary library({WithSerial("A")}, 1);
    EXPECT_THROW(FindBridgePort(library, lookup), std::runtime_error);
    EXPECT_TRUE(library.open.empty());
}

}  // namespace
}  // namespace orv::discovery
