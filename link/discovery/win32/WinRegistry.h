#pragma once
// The real registry, read only.
#include "link/discovery/Registry.h"

namespace orv::discovery {

class WinRegistry : public Registry {
public:
    bool OpenKey(RegistryKey parent, const std::string& subKey, RegistryKey& opened) override;
    RegistryRead ReadText(RegistryKey key, const std::string& name, char* area, std::uint32_t& size) override;
    void CloseKey(RegistryKey key) override;
};

}  // namespace orv::discovery
