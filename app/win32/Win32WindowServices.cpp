#include "app/win32/Win32WindowServices.h"

#include <stdexcept>
#include <vector>

#include "app/win32/Utf16.h"

namespace orv::app::win32 {

Win32WindowServices::Win32WindowServices(HWND dialog, const DialogTemplate& tpl) : dialog_(dialog) {
    std::vector<int> group;
    auto close = [&] {
        for (int id : group) radioGroupOf_[id] = {group.front(), group.back()};
        group.clear();
    };
    for (const ControlTemplate& c : tpl.controls) {
        if (c.kind != ControlKind::Radio || c.group) close();
        if (c.kind == ControlKind::Radio && c.id > 0) group.push_back(c.id);
    }
    close();
}

std::wstring Win32WindowServices::MessageTitle() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // a long install path was cut short
    }
    const auto slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

// A wrong id is a fault in the core, not in the line: it surfaces as an
// error the dialog shows instead of a call on a null window.
HWND Win32WindowServices::Require(int id) const {
    HWND control = GetDlgItem(dialog_, id);
    if (!control) throw std::logic_error("no control " + std::to_string(id));
    return control;
}

void Win32WindowServices::EnableControl(int id, bool enable) {
    HWND control = Require(id);
    // A disabled control keeps the keyboard focus, and then Tab and the
    // shortcuts go nowhere (the "Auto Upload" button disables itself). The
    // focus moves on first, as the dialog manager moves it: to the next
    // control in tab order that is enabled and shown.
    if (!enable && GetFocus() == control) SendMessageW(dialog_, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(control, enable ? TRUE : FALSE);
}

bool Win32WindowServices::IsControlEnabled(int id) const { return IsWindowEnabled(Require(id)) != FALSE; }

std::string Win32WindowServices::GetControlText(int id) const {
    HWND control = Require(id);
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT copied = GetDlgItemTextW(dialog_, id, text.data(), length + 1);
    text.resize(copied);
    return Narrow(text);
}

void Win32WindowServices::SetControlText(int id, const std::string& text) {
    Require(id);
    SetDlgItemTextW(dialog_, id, Widen(text).c_str());
}

bool Win32WindowServices::IsChecked(int id) const {
    Require(id);
    return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void Win32WindowServices::SetChecked(int id, bool checked) {
    Require(id);
    const auto group = radioGroupOf_.find(id);
    if (checked && group != radioGroupOf_.end())
        CheckRadioButton(dialog_, group->second.first, group->second.second, id);
    else
        CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int Win32WindowServices::GetCurSel(int listId) const {
    return static_cast<int>(SendMessageW(Require(listId), CB_GETCURSEL, 0, 0));
}

void Win32WindowServices::SetCurSel(int listId, int index) {
    HWND list = Require(listId);
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    // CB_SETCURSEL with -1 clears the selection, which is what an index
    // outside the list must do.
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < count ? index : -1), 0);
}

int Win32WindowServices::GetCount(int listId) const {
    return static_cast<int>(SendMessageW(Require(listId), CB_GETCOUNT, 0, 0));
}

void Win32WindowServices::ResetContent(int listId) { SendMessageW(Require(listId), CB_RESETCONTENT, 0, 0); }

void Win32WindowServices::AddString(int listId, const std::string& text) {
    const std::wstring w = Widen(text);
    SendMessageW(Require(listId), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void Win32WindowServices::SetTimer(int id, unsigned intervalMs) {
    // Setting an existing id on the same window replaces it, which restarts
    // its interval.
    ::SetTimer(dialog_, static_cast<UINT_PTR>(id), intervalMs, nullptr);
}

void Win32WindowServices::KillTimer(int id) { ::KillTimer(dialog_, static_cast<UINT_PTR>(id)); }

void Win32WindowServices::MessageBox(const std::string& text, MessageIcon icon) {
    // Before the window is first shown (the start-up message) the box stands
    // alone rather than centring on a window that is not on screen yet.
    HWND owner = IsWindowVisible(dialog_) ? dialog_ : nullptr;
    const UINT type = MB_OK | (icon == MessageIcon::Stop ? MB_ICONHAND : MB_ICONEXCLAMATION);
    ::MessageBoxW(owner, Widen(text).c_str(), MessageTitle().c_str(), type);
}

}  // namespace orv::app::win32
