// orvane-probe: reads a program's windows from outside its process, through
// window messages only, for the program's own test under Wine.
//
//   orvane-probe wait TITLE SECONDS   until a visible top-level window has
//                                     exactly this title (exit 1: timeout)
//   orvane-probe gone TITLE SECONDS   until none has (exit 1: timeout)
//   orvane-probe dump TITLE           one line per child control:
//       id  class  enabled  visible  check  cursel  x  y  text
//   (x, y: the control's centre in screen coordinates, which are the X
//   root's under Wine, so xdotool can click there; text in UTF-8)
//   orvane-probe rect TITLE           the window's left top right bottom
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Search {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    if (IsWindowVisible(w) && std::wcscmp(text, s->title) == 0) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND Find(const wchar_t* title) {
    Search s{title, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND w) {
    // WM_GETTEXT works across processes; a message box's text is filled in
    // after the window exists, so the caller polls.
    const auto length = SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    for (auto& ch : text)
        if (ch == L'\n' || ch == L'\r' || ch == L'\t') ch = L' ';
    return text;
}

BOOL CALLBACK DumpChild(HWND w, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    const bool button = _wcsicmp(cls, L"Button") == 0;
    const bool combo = _wcsicmp(cls, L"ComboBox") == 0;
    RECT r;
    GetWindowRect(w, &r);
    const long check = button ? static_cast<long>(SendMessageW(w, BM_GETCHECK, 0, 0)) : -1;
    const long cursel = combo ? static_cast<long>(SendMessageW(w, CB_GETCURSEL, 0, 0)) : -1;
    std::printf("%d\t%s\t%d\t%d\t%ld\t%ld\t%ld\t%ld\t%s\n", GetDlgCtrlID(w), Utf8(cls).c_str(),
                IsWindowEnabled(w) ? 1 : 0, IsWindowVisible(w) ? 1 : 0, check, cursel, (r.left + r.right) / 2,
                (r.top + r.bottom) / 2, Utf8(TextOf(w)).c_str());
    return TRUE;
}

int Usage() {
    std::fputs("usage: orvane-probe wait|gone TITLE SECONDS | dump|rect TITLE\n", stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring command = argv[1];
    const wchar_t* title = argv[2];
    if (command == L"wait" || command == L"gone") {
        if (argc < 4) return Usage();
        const DWORD limit = GetTickCount() + static_cast<DWORD>(_wtof(argv[3]) * 1000);
        const bool wantPresent = command == L"wait";
        do {
            if ((Find(title) != nullptr) == wantPresent) return 0;
            Sleep(50);
        } while (static_cast<LONG>(limit - GetTickCount()) > 0);
        return 1;
    }
    if (command == L"dump") {
        HWND w = Find(title);
        if (!w) return 1;
        EnumChildWindows(w, DumpChild, 0);
        std::fflush(stdout);
        return 0;
    }
    if (command == L"rect") {
        HWND w = Find(title);
        RECT r;
        if (!w || !GetWindowRect(w, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        std::fflush(stdout);
        return 0;
    }
    return Usage();
}
