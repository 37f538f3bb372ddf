#include "link/discovery/win32/DllBridgeLibrary.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace orv::discovery {

namespace {

// Our own declarations of the DLL's exports, as far as we call them.
using GetNumDevicesFn = int(WINAPI*)(DWORD* count);
using OpenFn = int(WINAPI*)(DWORD index, HANDLE* handle);
using GetVidFn = int(WINAPI*)(HANDLE handle, WORD* vendorId);
using GetPidFn = int(WINAPI*)(HANDLE handle, WORD* productId);
using GetSerialFn = int(WINAPI*)(HANDLE handle, LPVOID buffer, LPBYTE length, BOOL isStringAscii);
using CloseFn = int(WINAPI*)(HANDLE handle);

constexpr BridgeStatus kDeviceNotFound = 0xFF;

template <typename Fn>
Fn Import(HMODULE module, int ordinal) {
    // The exports are reached by ordinal only; the cast goes through the
    // generic FARPROC the loader hands back.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

HANDLE ToHandle(BridgeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

struct DllBridgeLibrary::Imports {
    HMODULE module = nullptr;
    GetNumDevicesFn getNumDevices = nullptr;
    OpenFn open = nullptr;
    GetVidFn getVid = nullptr;
    GetPidFn getPid = nullptr;
    GetSerialFn getSerial = nullptr;
    CloseFn close = nullptr;
};

DllBridgeLibrary::DllBridgeLibrary() : imports_(nullptr) {
    HMODULE module = LoadLibraryA("CP210xManufacturing.dll");
    if (!module) return;
    auto* imports = new Imports;
    imports->module = module;
    imports->getNumDevices = Import<GetNumDevicesFn>(module, 1);
    imports->open = Import<OpenFn>(module, 3);
    imports->close = Import<CloseFn>(module, 4);
    imports->getSerial = Import<GetSerialFn>(module, 13);
    imports->getVid = Import<GetVidFn>(module, 14);
    imports->getPid = Import<GetPidFn>(module, 15);
    if (!imports->getNumDevices || !imports->open || !imports->close || !imports->getSerial || !imports->getVid ||
        !imports->getPid) {
        FreeLibrary(module);
        delete imports;
        return;
    }
    imports_ = imports;
}

DllBridgeLibrary::~DllBridgeLibrary() {
    if (!imports_) return;
    FreeLibrary(imports_->module);
    delete imports_;
}

BridgeStatus DllBridgeLibrary::GetNumDevices(std::int32_t& count) {
    count = 0;
    if (!imports_) return kDeviceNotFound;
    DWORD devices = 0;
    const BridgeStatus status = imports_->getNumDevices(&devices);
    count = static_cast<std::int32_t>(devices);
    return status;
}

BridgeStatus DllBridgeLibrary::Open(std::uint32_t index, BridgeHandle& handle) {
    if (!imports_) return kDeviceNotFound;
    HANDLE opened = nullptr;
    const BridgeStatus status = imports_->open(index, &opened);
    handle = reinterpret_cast<BridgeHandle>(opened);
    return status;
}

BridgeStatus DllBridgeLibrary::GetVid(BridgeHandle handle, std::uint16_t& vendorId) {
    if (!imports_) return kDeviceNotFound;
    WORD value = 0;
    const BridgeStatus status = imports_->getVid(ToHandle(handle), &value);
    vendorId = value;
    return status;
}

BridgeStatus DllBridgeLibrary::GetPid(BridgeHandle handle, std::uint16_t& productId) {
    if (!imports_) return kDeviceNotFound;
    WORD value = 0;
    const BridgeStatus status = imports_->getPid(ToHandle(handle), &value);
    productId = value;
    return status;
}

BridgeStatus DllBridgeLibrary::GetSerialString(BridgeHandle handle, SerialArea& area, std::uint8_t& length) {
    length = 0;
    if (!imports_) return kDeviceNotFound;
    // Nothing bounds what the DLL writes but the byte it reports the length
    // in; a scratch area covering every length that byte can hold keeps an
    // odd device from writing past the caller's 64 bytes.
    char scratch[256] = {};
    BYTE reported = 0;
    const BridgeStatus status = imports_->getSerial(ToHandle(handle), scratch, &reported, TRUE);
    std::memcpy(area.data(), scratch, std::min<std::size_t>(reported, area.size()));
    length = reported;
    return status;
}

BridgeStatus DllBridgeLibrary::Close(BridgeHandle handle) {
    if (!imports_) return kDeviceNotFound;
    return imports_->close(ToHandle(handle));
}

}  // namespace orv::discovery
