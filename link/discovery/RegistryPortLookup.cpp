#include "link/discovery/RegistryPortLookup.h"

#include <array>
#include <climits>
#include <cstdio>

namespace orv::discovery {

namespace {

constexpr std::uint32_t kNineXFlag = 0x80000000u;
constexpr std::uint32_t kMajorMask = 0x0000000Fu;

template <typename... Args>
std::string Format(const char* pattern, Args... args) {
    // Serial strings are under 64 bytes, so every key path fits easily; the
    // size is still measured first rather than trusted.
    const int needed = std::snprintf(nullptr, 0, pattern, args...);
    if (needed <= 0) return {};
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern, args...);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

// One read area per lookup, and the size offered to each read is what the
// previous read of the same lookup reported. Values longer than the area are
// never read into it.
class ValueReader {
public:
    explicit ValueReader(Registry& registry) : registry_(registry) {}

    RegistryRead Read(RegistryKey key, const std::string& name) {
        std::uint32_t size = Offered();
        area_.fill('\0');
        const RegistryRead status = registry_.ReadText(key, name, area_.data(), size);
        if (status == RegistryRead::Failed) return status;
        reported_ = size;
        offered_ = size;
        return status;
    }

    // The size the next read will offer.
    std::uint32_t Offered() const { return offered_ < kRegistryAreaSize ? offered_ : kRegistryAreaSize; }

    // The length the last successful or too-short read reported.
    std::uint32_t Reported() const { return reported_; }

    // The text of a successful read: up to its terminator, never beyond the
    // bytes the read returned.
    std::string_view Text() const {
        const std::size_t limit = reported_ < kRegistryAreaSize ? reported_ : kRegistryAreaSize;
        std::size_t length = 0;
        while (length < limit && area_[length] != '\0') ++length;
        return {area_.data(), length};
    }

private:
    Registry& registry_;
    std::array<char, kRegistryAreaSize + 1> area_{};
    std::uint32_t offered_ = kRegistryAreaSize;
    std::uint32_t reported_ = 0;
};

void BlanksToUnderscores(std::string& serial) {
    for (char& c : serial)
        if (c == ' ') c = '_';
}

// Port name from a Device Parameters key, or -1 when it has none.
int ReadPortName(ValueReader& reader, RegistryKey key, const std::string& name) {
    if (reader.Read(key, name) != RegistryRead::Success) return -1;
    return PortNameToNumber(reader.Text());
}

}  // namespace

int PortNameToNumber(std::string_view portName) {
    if (portName.size() <= 3) return 0;
    long long number = 0;
    for (const char c : portName.substr(3)) {
        if (c < '0' || c > '9') break;
        number = number * 10 + (c - '0');
        // A port beyond any int is not a port the tool could open.
        if (number > INT_MAX) return 0;
    }
    return static_cast<int>(number);
}

int LookupUsbPortName(Registry& registry, std::uint16_t vendorId, std::uint16_t productId, std::string serial) {
    int result = -1;
    RegistryKey controlSet{};
    if (!registry.OpenKey(kLocalMachine, "SYSTEM\\CurrentControlSet\\", controlSet)) return -1;
    RegistryKey usb{};
    if (!registry.OpenKey(controlSet, "Enum\\USB\\", usb)) {
        registry.CloseKey(controlSet);
        return -1;
    }

    BlanksToUnderscores(serial);
    ValueReader reader(registry);

    // A bridge with several functions is enumerated as a composite device
    // whose serial port is interface 0; a plain bridge sits directly under
    // its ids. The composite entry wins when both exist.
    RegistryKey params{};
    const std::string composite =
        Format("Vid_%04x&Pid_%04x&Mi_00\\%s_00\\Device Parameters\\", vendorId, productId, serial.c_str());
    if (registry.OpenKey(usb, composite, params)) {
        result = ReadPortName(reader, params, "PortName");
        registry.CloseKey(params);
    } else {
        const std::string plain =
            Format("Vid_%04x&Pid_%04x\\%s\\Device Parameters\\", vendorId, productId, serial.c_str());
        if (registry.OpenKey(usb, plain, params)) {
            result = ReadPortName(reader, params, "PortName");
            registry.CloseKey(params);
        }
    }

    registry.CloseKey(usb);
    registry.CloseKey(controlSet);
    return result;
}

int LookupSlabcrPortName(Registry& registry, std::uint16_t vendorId, std::uint16_t productId, std::string serial) {
    int result = -1;

    // The 9x enumerator stores device ids in upper case.
    for (char& c : serial) {
        if (c == ' ') c = '_';
        else if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    const std::string expected =
        Format("USB\\VID_%04X&PID_%04X&MI_00\\%s_00", vendorId, productId, serial.c_str());

    ValueReader reader(registry);
    for (int index = 0;; ++index) {
        RegistryKey key{};
        if (!registry.OpenKey(kLocalMachine, Format("Enum\\SLABCR\\guid\\%.4d", index), key)) break;

        // The size offered is what the previous value needed, so a longer id
        // is normal and is read again at its own length. Each retry must ask
        // for more than the last one offered, which bounds the retries by the
        // area even if the value keeps changing; an id that does not fit the
        // area counts as not matching.
        std::uint32_t offered = reader.Offered();
        RegistryRead status = reader.Read(key, "CRLowerDeviceID");
        while (status == RegistryRead::MoreData && reader.Reported() > offered &&
               reader.Reported() <= kRegistryAreaSize) {
            offered = reader.Offered();
            status = reader.Read(key, "CRLowerDeviceID");
        }

        // Every matching key is read; the last one decides.
        if (status == RegistryRead::Success && reader.Text() == expected) {
            if (reader.Read(key, "Portname") == RegistryRead::Success) result = PortNameToNumber(reader.Text());
        }
        registry.CloseKey(key);
    }
    return result;
}

std::optional<int> RegistryPortLookup::Lookup(const BridgeIdentity& identity) {
    const std::uint32_t family = versionWord_ & (kNineXFlag | kMajorMask);
    if (family == 5 || family == 6)
        return LookupUsbPortName(registry_, identity.vendorId, identity.productId, identity.serial);
    if (family == (kNineXFlag | 4))
        return LookupSlabcrPortName(registry_, identity.vendorId, identity.productId, identity.serial);
    return std::nullopt;
}

}  // namespace orv::discovery
