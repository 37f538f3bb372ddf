#pragma once
// What the windows beside the dialog (the trend, the check) share: their
// window classes, the dialog's font, the file dialogs' filters, and the rule
// that no exception leaves a window procedure.
#include "app/win32/Win32Api.h"

#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

namespace orv::app::win32 {

// Registers a top-level or child window class of this program once; later
// calls with the same name do nothing.
void RegisterSideClass(const wchar_t* name, const wchar_t* cursor, HBRUSH background, UINT style = 0);

// The dialog's own font: it has the glyphs of the units (℃, Ω) and of the
// Chinese texts the dialog shows, where the system's message font may have
// none. The message font when the dialog has none.
LOGFONTW DialogFace(HWND dialog);

// A file dialog's filter: "name\0pattern\0" for each entry.
std::wstring FileFilter(std::initializer_list<std::pair<const char*, const wchar_t*>> entries);

// The object a window procedure serves, kept in GWLP_USERDATA.
template <typename Window>
Window* ServedBy(HWND hwnd) {
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Runs a handler inside a window procedure: an exception is said through
// complain and the message counts as handled.
template <typename Handler>
LRESULT Guarded(const std::function<void(const std::string&)>& complain, Handler&& handle) {
    try {
        return handle();
    } catch (const std::exception& e) {
        if (complain) complain(e.what());
        return 0;
    }
}

}  // namespace orv::app::win32
