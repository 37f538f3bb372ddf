#include "app/win32/SideWindow.h"

#include <commctrl.h>

#include <set>

#include "app/win32/Utf16.h"

namespace orv::app::win32 {

void RegisterSideClass(const wchar_t* name, const wchar_t* cursor, HBRUSH background, UINT style) {
    static std::set<std::wstring> registered;
    if (!registered.insert(name).second) return;
    static const bool controls = [] {
        INITCOMMONCONTROLSEX wanted{sizeof wanted, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&wanted) != FALSE;
    }();
    (void)controls;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

LOGFONTW DialogFace(HWND dialog) {
    LOGFONTW face{};
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectW(dialogFont, sizeof face, &face)) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        face = metrics.lfMessageFont;
    }
    return face;
}

std::wstring FileFilter(std::initializer_list<std::pair<const char*, const wchar_t*>> entries) {
    std::wstring filter;
    for (const auto& [name, pattern] : entries) {
        filter += Widen(name);
        filter += L'\0';
        filter += pattern;
        filter += L'\0';
    }
    return filter;
}

}  // namespace orv::app::win32
