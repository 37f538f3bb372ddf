// Discovery in sysfs, the tool's COMk naming and the signals' stop flag.
#include "cli/Runner.h"
#include "link/discovery/FindBridgePort.h"
#include "link/discovery/sysfs/SysfsBridgeLibrary.h"
#include "link/discovery/sysfs/SysfsPortLookup.h"
#include "link/serial/PortNaming.h"

namespace orv::cli {

CliEnvironment SystemEnvironment() {
    CliEnvironment env;
    env.discover = [] { return discovery::FindBridgePortOnThisPlatform(); };
    env.portPath = [](int k) { return link::DefaultPortPath(k); };
    env.bridges = [] {
        discovery::SysfsBridgeLibrary library("/sys");
        discovery::SysfsPortLookup lookup("/sys");
        return ListBridges(library, lookup, [](int k) { return link::DefaultPortPath(k); });
    };
    env.links = [] {
        std::vector<LinkRow> rows;
        for (const auto& l : link::PortLinks(link::PortFolder())) rows.push_back({"COM" + std::to_string(l.port), l.target});
        return rows;
    };
    env.stop = &StopRequested();
    return env;
}

}  // namespace orv::cli
