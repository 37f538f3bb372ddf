#include "link/discovery/FindBridgePort.h"
#include "link/discovery/sysfs/SysfsBridgeLibrary.h"
#include "link/discovery/sysfs/SysfsPortLookup.h"
#include "link/serial/PortNaming.h"

namespace orv::discovery {

int FindBridgePortOnThisPlatform() {
    SysfsBridgeLibrary library("/sys");
    SysfsPortLookup lookup("/sys", "/dev", link::PortFolder());
    return FindBridgePort(library, lookup);
}

}  // namespace orv::discovery
