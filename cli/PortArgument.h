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
// discovery as the window does it at start-up, anything else is a device path.
// discover returns the discovery result: a port number, 0 or -1 for none.
ResolvedPort ResolvePort(const std::string& given, const std::function<int()>& discover,
                         const std::function<std::string(int)>& portPath);

// Usage errors: a COMk that names no device (COM0), or two names for the
// same device, which would open one line twice. Empty when all is well.
std::string CheckDistinct(const std::vector<ResolvedPort>& ports);

}  // namespace orv::cli
