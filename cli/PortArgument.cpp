#include "cli/PortArgument.h"

#include <filesystem>
#include <system_error>

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
        if (k <= 0) return {"auto", "", "auto: no USB serial bridge with a port was found"};
        return {"auto (COM" + std::to_string(k) + ")", portPath(k), {}};
    }
    if (const int k = ComNumber(given); k >= 0) {
        std::string label = "COM" + std::to_string(k);
        std::string path = portPath(k);
        if (path.empty()) return {label, "", label + " names no device", true};
        return {label, path, {}};
    }
    return {given, given, {}};
}

std::string CheckDistinct(const std::vector<ResolvedPort>& ports) {
    std::vector<std::filesystem::path> seen;
    std::vector<std::string> labels;
    for (const auto& p : ports) {
        if (p.path.empty()) continue;
        std::error_code ec;
        auto canonical = std::filesystem::weakly_canonical(p.path, ec);
        if (ec) canonical = p.path;
        for (std::size_t i = 0; i < seen.size(); ++i)
            if (seen[i] == canonical)
                return labels[i] + " and " + p.label + " are the same device " + canonical.string();
        seen.push_back(canonical);
        labels.push_back(p.label);
    }
    return {};
}

}  // namespace orv::cli
