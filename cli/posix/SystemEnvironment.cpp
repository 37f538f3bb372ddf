// Discovery in sysfs and the tool's COMk naming.
#include "cli/Runner.h"
#include "link/discovery/FindBridgePort.h"
#include "link/discovery/sysfs/SysfsBridgeLibrary.h"
#include "link/discovery/sysfs/SysfsPortLookup.h"
#include "link/serial/PortNaming.h"

namespace orv::cli {

CliEnvironment SystemEnvironment() {
    return {[] { return discovery::FindBridgePortOnThisPlatform(); },
            [](int k) { return link::DefaultPortPath(k); },
            [] {
                discovery::SysfsBridgeLibrary library("/sys");
                discovery::SysfsPortLookup lookup("/sys");
                return ListBridges(library, lookup, [](int k) { return link::DefaultPortPath(k); });
            }};
}

}  // namespace orv::cli
