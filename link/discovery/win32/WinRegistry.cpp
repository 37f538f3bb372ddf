#include "link/discovery/win32/WinRegistry.h"

#include <windows.h>

namespace orv::discovery {

namespace {

HKEY ToHkey(RegistryKey key) { return key == kLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key); }

}  // namespace

bool WinRegistry::OpenKey(RegistryKey parent, const std::string& subKey, RegistryKey& opened) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(ToHkey(parent), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS || !key) return false;
    opened = reinterpret_cast<RegistryKey>(key);
    return true;
}

RegistryRead WinRegistry::ReadText(RegistryKey key, const std::string& name, char* area, std::uint32_t& size) {
    DWORD type = 0;
    DWORD bytes = size;
    const LSTATUS status =
        RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(area), &bytes);
    // Port names and device ids are strings; a value of another type read
    // as text would only produce a wrong match.
    if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) return RegistryRead::Failed;
    if (status == ERROR_SUCCESS) {
        size = bytes;
        return RegistryRead::Success;
    }
    if (status == ERROR_MORE_DATA) {
        size = bytes;
        return RegistryRead::MoreData;
    }
    return RegistryRead::Failed;
}

void WinRegistry::CloseKey(RegistryKey key) {
    if (key != kLocalMachine) RegCloseKey(ToHkey(key));
}

}  // namespace orv::discovery
