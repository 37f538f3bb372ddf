#include "link/serial/win32/PortErrors.h"

#include <algorithm>

namespace orv::link {

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

}  // namespace

std::string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    // Without a text the code is still worth passing on to whoever helps.
    if (text.empty()) return "System error " + std::to_string(code) + ".";
    return Utf8(text);
}

std::string PortErrorText(const std::string& port, DWORD code) {
    const std::string system = SystemErrorText(code);
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return port + " was not found. " + system;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return port + " is in use by another program or access to it is denied. " + system;
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
        return PortRemovedText(port, code);
    default:
        return port + ": " + system;
    }
}

std::string PortRemovedText(const std::string& port, DWORD code) {
    return port + " stopped working; the cable or the device may have been unplugged. " + SystemErrorText(code);
}

}  // namespace orv::link
