#include <windows.h>

#include "link/discovery/FindBridgePort.h"
#include "link/discovery/RegistryPortLookup.h"
#include "link/discovery/win32/PlatformVersion.h"
#include "link/discovery/win32/DllBridgeLibrary.h"
#include "link/discovery/win32/WinRegistry.h"

namespace orv::discovery {

std::uint32_t PlatformVersionWord() {
    // GetVersion is what tells the 9x family from NT; its answer on newer
    // systems (capped without a manifest) still falls in the NT range.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
    return static_cast<std::uint32_t>(GetVersion());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif
}

int FindBridgePortOnThisPlatform() {
    DllBridgeLibrary library;
    WinRegistry registry;
    RegistryPortLookup lookup(registry, PlatformVersionWord());
    return FindBridgePort(library, lookup);
}

}  // namespace orv::discovery
