#pragma once
// Read-only access to the Windows registry, just the three calls the port
// lookups make. Kept as an interface so the lookups are written once and run
// against an in-memory registry in tests.
#include <cstdint>
#include <string>

namespace orv::discovery {

using RegistryKey = std::uintptr_t;
// Stands for HKEY_LOCAL_MACHINE; never returned by OpenKey.
inline constexpr RegistryKey kLocalMachine = 0;

enum class RegistryRead {
    Success,   // the value is in the area; size holds its length
    MoreData,  // the value is longer than offered; size holds the length it needs
    Failed,    // no such value, not text, or any other error; size unchanged
};

class Registry {
public:
    virtual ~Registry() = default;

    // Opens parent\subKey for reading. False when it does not exist or
    // cannot be opened.
    virtual bool OpenKey(RegistryKey parent, const std::string& subKey, RegistryKey& opened) = 0;
    // Reads the text value `name` into area; size is in: the bytes offered
    // (area holds at least that many), out: as RegistryRead says. The text
    // need not be terminated within the bytes returned.
    virtual RegistryRead ReadText(RegistryKey key, const std::string& name, char* area, std::uint32_t& size) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

}  // namespace orv::discovery
