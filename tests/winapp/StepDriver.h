#pragma once
// Drives the running program as a user would, from a thread timer inside its
// own message loop: every 50 ms the current step is tried until it says it
// is done, then the next. A run that stalls closes the program's message box
// and dialog, so a test fails instead of hanging.
#include "app/win32/Win32Api.h"

#include <cstddef>
#include <functional>
#include <vector>

#include "app/win32/CMyDlgWindow.h"
#include "app/win32/Win32WindowServices.h"

namespace orv::test {

struct StepDriver {
    std::vector<std::function<bool()>> steps;
    std::size_t next = 0;
    int ticks = 0;
    int limit = 400;  // ticks: 20 s
    bool stalled = false;
};

// The program's message box, when one is open.
inline HWND OpenBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            wchar_t title[64] = {};
            GetWindowTextW(w, title, 64);
            if (IsWindowVisible(w) && app::win32::Win32WindowServices::MessageTitle() == title) {
                *reinterpret_cast<HWND*>(lp) = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

namespace detail {
inline StepDriver* g_driver = nullptr;
inline app::win32::CMyDlgWindow* g_window = nullptr;

inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    StepDriver& d = *g_driver;
    if (++d.ticks > d.limit) {
        d.stalled = true;
        if (HWND box = OpenBox()) EndDialog(box, IDOK);
        if (HWND dialog = g_window->Handle()) EndDialog(dialog, IDABORT);
        return;
    }
    if (d.next < d.steps.size() && d.steps[d.next]()) ++d.next;
}
}  // namespace detail

// Runs the program's dialog until it ends, with the steps driving it.
inline void RunDriven(app::win32::CMyDlgWindow& window, StepDriver& driver) {
    detail::g_driver = &driver;
    detail::g_window = &window;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, detail::Tick);
    window.Run(GetModuleHandleW(nullptr));
    KillTimer(nullptr, timer);
    detail::g_driver = nullptr;
    detail::g_window = nullptr;
}

}  // namespace orv::test
