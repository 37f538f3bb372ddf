// Discovery over sysfs trees built from the input: bridges with odd ids,
// serials, interface numbers, ttys bound or not, driver links that dangle or
// lead out of the tree; beside them device nodes and the user's port links
// (COMk to a bridge's tty, to another device, to nothing, to another link).
// The port found must be the one the description gives: the last bridge with
// readable ids decides; its tty is its interface-0 tty, else its first; the
// port is the lowest COMk linked to that tty's node, else the tty number plus
// one unless a link of that name leads elsewhere (then -1); -1 without a tty.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "link/discovery/FindBridgePort.h"
#include "link/discovery/sysfs/SysfsBridgeLibrary.h"
#include "link/discovery/sysfs/SysfsPortLookup.h"

namespace {

namespace fs = std::filesystem;
using namespace orv::discovery;

struct Interface {
    std::string number;  // bInterfaceNumber as written
    unsigned tty;        // n of ttyUSBn
    enum Link { Bound, Unbound, Dangling, Outside } link;
};

struct Device {
    std::optional<std::string> vid, pid, serial;  // file contents, nullopt: no file
    std::vector<Interface> interfaces;
};

// A port link COMk and where it leads.
struct PortLink {
    enum Kind { ToTty, ToTtyRelative, ToOtherDevice, ToNothing, ToLink } kind;
    unsigned tty;   // ToTty, ToTtyRelative
    int otherLink;  // ToLink: a k made before this one
};

const fs::path& Scratch() {
    static const fs::path dir = [] {
        std::string tmpl = (fs::temp_directory_path() / "orvane-fuzz-sysfs-XXXXXX").string();
        const char* made = ::mkdtemp(tmpl.data());
        if (!made) std::abort();
        return fs::path(made);
    }();
    return dir;
}

void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::optional<std::string> Attribute(FuzzedDataProvider& in, bool hex) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: return std::nullopt;
        case 1: return in.ConsumeRandomLengthString(hex ? 8 : 80);
        default: {
            if (hex) {
                static const char* digits = "0123456789abcdefABCDEF";
                std::string t;
                const int n = in.ConsumeIntegralInRange(1, 4);
                for (int k = 0; k < n; ++k) t += digits[in.ConsumeIntegralInRange(0, 21)];
                return t + "\n";
            }
            return in.ConsumeRandomLengthString(12) + "\n";
        }
    }
}

// What sysfs attribute reading makes of a file: one trailing newline dropped.
std::string Stripped(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::optional<unsigned> Hex16(const std::optional<std::string>& file) {
    if (!file) return std::nullopt;
    const std::string t = Stripped(*file);
    if (t.empty() || t.size() > 4) return std::nullopt;
    unsigned v = 0;
    for (char c : t) {
        const auto p = std::string("0123456789abcdef").find(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        if (p == std::string::npos || c == '\0') return std::nullopt;
        v = v * 16 + static_cast<unsigned>(p);
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const fs::path base = Scratch();
    const fs::path root = base / "sys";
    const fs::path outside = base / "elsewhere";
    const fs::path dev = base / "dev";
    const fs::path ports = base / "ports";
    for (const fs::path& p : {root, outside, dev, ports}) fs::remove_all(p);
    fs::create_directories(dev);
    fs::create_directories(ports);
    Write(dev / "ttyS0", "");

    // Device nodes present, and the user's links.
    std::map<unsigned, bool> node;
    for (unsigned n = 0; n < 10; ++n) {
        node[n] = in.ConsumeIntegralInRange(0, 3) != 0;
        if (node[n]) Write(dev / ("ttyUSB" + std::to_string(n)), "");
    }
    std::map<int, PortLink> links;
    const int linkCount = in.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < linkCount; ++i) {
        const int k = in.ConsumeIntegralInRange(1, 11);
        if (links.count(k)) continue;
        PortLink link{static_cast<PortLink::Kind>(in.ConsumeIntegralInRange(0, 4)), in.ConsumeIntegralInRange(0u, 9u), 0};
        if (link.kind == PortLink::ToLink) {
            if (links.empty() || links.begin()->second.kind == PortLink::ToLink) link.kind = PortLink::ToNothing;
            else link.otherLink = links.begin()->first;
        }
        const fs::path name = ports / ("COM" + std::to_string(k));
        const std::string tty = "ttyUSB" + std::to_string(link.tty);
        switch (link.kind) {
            case PortLink::ToTty: fs::create_symlink(dev / tty, name); break;
            case PortLink::ToTtyRelative: fs::create_symlink(fs::path("..") / "dev" / tty, name); break;
            case PortLink::ToOtherDevice: fs::create_symlink(dev / "ttyS0", name); break;
            case PortLink::ToNothing: fs::create_symlink(dev / "gone", name); break;
            case PortLink::ToLink: fs::create_symlink("COM" + std::to_string(link.otherLink), name); break;
        }
        links[k] = link;
    }
    // The tty node a link leads to, if it leads to one that exists.
    auto leadsTo = [&](const PortLink& l) -> std::optional<unsigned> {
        const PortLink& end = l.kind == PortLink::ToLink ? links.at(l.otherLink) : l;
        if ((end.kind == PortLink::ToTty || end.kind == PortLink::ToTtyRelative) && node[end.tty]) return end.tty;
        return std::nullopt;
    };
    auto portOf = [&](unsigned tty) {
        for (const auto& [k, l] : links)  // in ascending k
            if (node[tty] && leadsTo(l) == tty) return k;
        return links.count(static_cast<int>(tty) + 1) ? -1 : static_cast<int>(tty) + 1;
    };
    const fs::path driver = root / "bus" / "usb-serial" / "drivers" / "cp210x";
    fs::create_directories(driver);

    std::vector<Device> devices(in.ConsumeIntegralInRange(0, 4));
    // tty number -> (device, interface) that really is bound to the driver
    std::map<unsigned, std::pair<std::size_t, std::size_t>> bound;
    for (std::size_t d = 0; d < devices.size(); ++d) {
        Device& dev = devices[d];
        const std::string name = "1-" + std::to_string(d + 1);
        const fs::path dir = root / "devices" / "usb1" / name;
        fs::create_directories(dir);
        dev.vid = Attribute(in, true);
        dev.pid = Attribute(in, true);
        dev.serial = Attribute(in, false);
        if (dev.vid) Write(dir / "idVendor", *dev.vid);
        if (dev.pid) Write(dir / "idProduct", *dev.pid);
        if (dev.serial) Write(dir / "serial", *dev.serial);

        const int count = in.ConsumeIntegralInRange(1, 3);
        for (int i = 0; i < count; ++i) {
            Interface itf;
            itf.number = in.ConsumeBool() ? "0" + std::to_string(i) + "\n" : in.ConsumeRandomLengthString(4);
            itf.tty = in.ConsumeIntegralInRange(0u, 9u);
            itf.link = static_cast<Interface::Link>(in.ConsumeIntegralInRange(0, 3));
            const std::string tty = "ttyUSB" + std::to_string(itf.tty);
            const fs::path itfDir = dir / (name + ":1." + std::to_string(i));
            fs::create_directories(itfDir);
            Write(itfDir / "bInterfaceNumber", itf.number);
            std::error_code ec;
            if (fs::exists(driver / tty) || fs::is_symlink(driver / tty)) itf.link = Interface::Unbound;
            switch (itf.link) {
                case Interface::Bound:
                    fs::create_directories(itfDir / tty);
                    fs::create_symlink(fs::relative(itfDir / tty, driver), driver / tty, ec);
                    if (!ec) bound[itf.tty] = {d, dev.interfaces.size()};
                    break;
                case Interface::Unbound: fs::create_directories(itfDir / tty); break;
                case Interface::Dangling: fs::create_symlink(itfDir / tty, driver / tty, ec); break;
                case Interface::Outside: {
                    // A copy of the device outside the tree: it must not be followed.
                    const fs::path copy = outside / name / (name + ":1.0") / tty;
                    fs::create_directories(copy);
                    Write(outside / name / "idVendor", "10c4\n");
                    Write(outside / name / "idProduct", "ea60\n");
                    Write(copy.parent_path() / "bInterfaceNumber", "00\n");
                    fs::create_symlink(copy, driver / tty, ec);
                    break;
                }
            }
            dev.interfaces.push_back(itf);
        }
    }

    // The answer the description gives.
    std::vector<std::size_t> order;  // devices in the order of their first bound tty
    for (const auto& [tty, where] : bound)
        if (std::find(order.begin(), order.end(), where.first) == order.end()) order.push_back(where.first);
    int expected = 0;
    for (std::size_t d : order) {
        const Device& dev = devices[d];
        const auto vid = Hex16(dev.vid), pid = Hex16(dev.pid);
        if (!vid || !pid) continue;
        const std::string serial = dev.serial ? Stripped(*dev.serial) : "";
        if (serial.size() >= kSerialAreaSize) continue;
        std::optional<unsigned> first, zero;
        for (const auto& [tty, where] : bound) {
            const Device& other = devices[where.first];
            if (Hex16(other.vid) != vid || Hex16(other.pid) != pid) continue;
            if ((other.serial ? Stripped(*other.serial) : "") != serial) continue;
            if (!first) first = tty;
            if (!zero && Hex16(other.interfaces[where.second].number) == 0u) zero = tty;
        }
        expected = zero ? portOf(*zero) : first ? portOf(*first) : -1;
    }

    SysfsBridgeLibrary library(root.string());
    SysfsPortLookup lookup(root.string(), dev, ports);
    const int found = FindBridgePort(library, lookup);
    ORV_FUZZ_CHECK(found == expected, "found port %d, the tree says %d", found, expected);
    return 0;
}
