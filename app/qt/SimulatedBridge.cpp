#include "app/qt/SimulatedBridge.h"

#include "link/serial/PortNaming.h"

namespace orv::app::qt {

link::PortResolver SimulatedPortResolver(std::string slavePath) {
    return [path = std::move(slavePath)](int port) {
        return port == kSimulatedPort ? path : link::DefaultPortPath(port);
    };
}

}  // namespace orv::app::qt
