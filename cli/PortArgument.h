#pragma once
// From what the user typed after --port to the device to open.
#include <functional>
#include <string>
#include <vector>

namespace orv::cli {

struct ResolvedPort {
    std::string label;  // how messages name it: "COM3", "/dev/ttyUSB0", "auto (COM1)"
    std::string path;   // what is opened; empty when error is set
    std::string error;  // why it names no device
    bool usageError = false;  // the name itself is wrong (COM0), not the device
};

// COMk (any case) goes through the tool's port naming, "auto" through bridge
// discovery as the window does it at start-up, anything else is a device
// path; a bare name without a slash (ttyUSB0) is taken under /dev.
// discover returns the discovery result: a port number, 0 or -1 for none.
ResolvedPort ResolvePort(const std::string& given, const std::function<int()>& discover,
                         const std::function<std::string(int)>& portPath);

// What a path leads to: the device number of a serial device, or why it is
// none ("No such file or directory", "it is a regular file, not a serial
// device").
struct PortIdentity {
    unsigned long long device = 0;
    std::string problem;  // empty for a serial device
};
using IdentifyPort = std::function<PortIdentity(const std::string& path)>;
// The system's answer, from stat(): character devices are serial devices.
PortIdentity IdentifyOnThisSystem(const std::string& path);

// Sets the error of every port whose path leads to no serial device (the
// device failed: it may be unplugged), and returns the usage error for two
// names that lead to the same device, which would open one line twice:
// paths are compared by the device they reach, so /dev/ttyUSB0 and a link to
// it are one. Empty when all is well.
std::string CheckDistinct(std::vector<ResolvedPort>& ports, const IdentifyPort& identify);

}  // namespace orv::cli
