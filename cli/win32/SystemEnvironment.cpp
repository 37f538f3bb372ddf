// Discovery through the bridge vendor's library and the registry, as the
// window does it; ports are Windows' own COM ports.
#include "cli/Runner.h"
#include "link/discovery/FindBridgePort.h"
#include "link/discovery/RegistryPortLookup.h"
#include "link/discovery/win32/DllBridgeLibrary.h"
#include "link/discovery/win32/PlatformVersion.h"
#include "link/discovery/win32/WinRegistry.h"

namespace orv::cli {

namespace {

// COM0 is no port on Windows.
std::string ComPort(int k) { return k >= 1 ? "COM" + std::to_string(k) : std::string(); }

}  // namespace

CliEnvironment SystemEnvironment() {
    return {[] { return discovery::FindBridgePortOnThisPlatform(); },
            ComPort,
            [] {
                discovery::DllBridgeLibrary library;
                discovery::WinRegistry registry;
                discovery::RegistryPortLookup lookup(registry, discovery::PlatformVersionWord());
                return ListBridges(library, lookup, ComPort);
            }};
}

}  // namespace orv::cli
