#include "cli/PortArgument.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace orv::cli {

namespace {

// Only "COM" followed by digits; a path such as ./COM3 stays a path.
int ComNumber(const std::string& given) {
    if (given.size() < 4 || given.size() > 8) return -1;
    for (std::size_t i = 0; i < 3; ++i)
        if ((given[i] & ~0x20) != "COM"[i]) return -1;
    int k = 0;
    for (std::size_t i = 3; i < given.size(); ++i) {
        if (given[i] < '0' || given[i] > '9') return -1;
        k = k * 10 + (given[i] - '0');
    }
    return k;
}

}  // namespace

ResolvedPort ResolvePort(const std::string& given, const std::function<int()>& discover,
                         const std::function<std::string(int)>& portPath) {
    if (given == "auto") {
        const int k = discover();
        if (k <= 0) return {"auto", "", "no USB serial bridge with a port was found"};
        return {"auto (COM" + std::to_string(k) + ")", portPath(k), {}};
    }
    if (const int k = ComNumber(given); k >= 0) {
        std::string label = "COM" + std::to_string(k);
        std::string path = portPath(k);
        if (path.empty()) return {label, "", label + " names no device", true};
        return {label, path, {}};
    }
    // Qt's serial port does the same with a bare name; doing it here lets
    // the path be checked before anything opens it.
    if (given.find('/') == std::string::npos) return {given, "/dev/" + given, {}};
    return {given, given, {}};
}

PortIdentity IdentifyOnThisSystem(const std::string& path) {
#if defined(_WIN32)
    // COM ports have no device numbers; one name is one port, with or
    // without the device namespace prefix.
    std::string upper = path.rfind("\\\\.\\", 0) == 0 ? path.substr(4) : path;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return {std::hash<std::string>{}(upper), {}};
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {0, std::strerror(errno)};
    if (S_ISCHR(st.st_mode)) return {static_cast<unsigned long long>(st.st_rdev), {}};
    const char* kind = S_ISREG(st.st_mode) ? "a regular file" : S_ISDIR(st.st_mode) ? "a folder" : "not a device file";
    return {0, std::string("it is ") + kind + ", not a serial device"};
#endif
}

std::string CheckDistinct(std::vector<ResolvedPort>& ports, const IdentifyPort& identify) {
    std::vector<std::pair<unsigned long long, std::string>> seen;
    for (auto& p : ports) {
        if (p.path.empty() || !p.error.empty()) continue;
        const PortIdentity id = identify(p.path);
        if (!id.problem.empty()) {
            p.error = id.problem;  // messages name the port and path already
            continue;
        }
        for (const auto& [device, label] : seen)
            if (device == id.device) return label + " and " + p.label + " are the same device " + p.path;
        seen.emplace_back(id.device, p.label);
    }
    return {};
}

}  // namespace orv::cli
