#include "app/win32/CMyDlgWindow.h"

#include <exception>

#include "app/core/ControlIds.h"
#include "app/win32/CAboutDlg.h"
#include "app/win32/Utf16.h"

namespace orv::app::win32 {

CMyDlgWindow::CMyDlgWindow(const ResourceTable& table, CommFactory makeComm, std::function<int()> findBridgePort,
                           bool factory, HICON largeIcon, HICON smallIcon)
    : table_(table),
      tpl_(table.Dialog(id::MainDialog)),
      makeComm_(std::move(makeComm)),
      findBridgePort_(std::move(findBridgePort)),
      factory_(factory),
      largeIcon_(largeIcon),
      smallIcon_(smallIcon),
      built_(BuildDialogTemplate(tpl_, factory, true)) {}

CMyDlgWindow::~CMyDlgWindow() {
    features_.reset();
    core_.reset();
    services_.reset();
    comm_.reset();  // closes the port and stops its reader before the poster goes
    poster_.reset();
}

INT_PTR CMyDlgWindow::Run(HINSTANCE instance) {
    instance_ = instance;
    return DialogBoxIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(built_.Data()), nullptr, &CMyDlgWindow::Proc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CMyDlgWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CMyDlgWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CMyDlgWindow*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    }
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR CMyDlgWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // The core's dispatch already turns a handler's error into a message; what
    // is left (the about box, an allocation) must still not unwind through the
    // system's frames, which cannot pass an exception on.
    try {
        return HandleUnguarded(message, wParam, lParam);
    } catch (const std::exception& e) {
        MessageBoxW(hwnd_, Widen(e.what()).c_str(), Win32WindowServices::MessageTitle().c_str(), MB_OK | MB_ICONHAND);
    } catch (...) {
        MessageBoxW(hwnd_, L"内部应用程序出错。", Win32WindowServices::MessageTitle().c_str(), MB_OK | MB_ICONHAND);
    }
    return TRUE;
}

INT_PTR CMyDlgWindow::HandleUnguarded(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
        case WM_TIMER:
            if (!core_) return FALSE;
            core_->OnTimerEvent(static_cast<int>(wParam));
            return TRUE;
        case kPostedWorkMessage:
            link::WindowMessagePoster::Run(lParam);
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == static_cast<WPARAM>(id::SysCmdAbout)) {
                ShowAbout();
                return TRUE;
            }
            return features_ && features_->OnSysCommand(static_cast<UINT>(wParam & 0xFFF0)) ? TRUE : FALSE;
        case WM_PAINT: return PaintMinimised() ? TRUE : FALSE;
        case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(largeIcon_);
        case WM_DESTROY:
            features_.reset();  // a recording ends with the window
            // Ticks still queued must find no core to call.
            for (int timer : {id::TimerReadParams, id::TimerPoll, id::TimerWrite, id::TimerCommand})
                ::KillTimer(hwnd_, static_cast<UINT_PTR>(timer));
            for (int step = 1; step <= 5; ++step) ::KillTimer(hwnd_, static_cast<UINT_PTR>(id::TimerViewBase + step));
            return FALSE;
        default: return FALSE;
    }
}

BOOL CMyDlgWindow::OnInitDialog() {
    try {
        // The lists get their entries from the template; a new list has no
        // selection.
        for (const auto& [listId, entries] : tpl_.items) {
            HWND list = GetDlgItem(hwnd_, listId);
            for (const auto& entry : entries) {
                const std::wstring w = Widen(entry);
                SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
            }
        }
        poster_ = std::make_unique<link::WindowMessagePoster>(hwnd_, kPostedWorkMessage);
        comm_ = makeComm_(*poster_);
        services_ = std::make_unique<Win32WindowServices>(hwnd_, tpl_);
        core_ = std::make_unique<CMyDlg>(*services_, *comm_, findBridgePort_);
        features_ = std::make_unique<DeviceFeatures>(hwnd_, *core_, factory_, chooseFile_);
    } catch (const std::exception& e) {
        // Nothing to run the dialog with: say why and leave.
        MessageBoxW(nullptr, Widen(e.what()).c_str(), Win32WindowServices::MessageTitle().c_str(), MB_OK | MB_ICONHAND);
        EndDialog(hwnd_, IDABORT);
        return TRUE;
    }

    const std::string about = table_.String(id::StrAboutItem);
    if (HMENU system = GetSystemMenu(hwnd_, FALSE); system && !about.empty()) {
        features_->AddMenuItems(system);
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, id::SysCmdAbout, Widen(about).c_str());
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    core_->OnInitDialog();
    if (factory_) core_->Dispatch([this] { core_->EnableFactoryPanel(); });
    return TRUE;  // the focus goes to the first control that takes it
}

void CMyDlgWindow::OnCommand(int id, int code) {
    if (id == IDOK) {  // "Exit", the default button, also reached by Enter
        if (core_) core_->OnOK();
        EndDialog(hwnd_, IDOK);
        return;
    }
    if (id == IDCANCEL) {  // Escape and the close box: nothing collected
        EndDialog(hwnd_, IDCANCEL);
        return;
    }
    if (!core_) return;
    const ControlTemplate* c = tpl_.Find(id);
    if (!c) return;
    // A list notifies only the user's choices; the core's own selections make
    // no CBN_SELCHANGE, so they never call back into it.
    const bool pressed = c->kind == ControlKind::Button && code == BN_CLICKED;
    const bool chosen = c->kind == ControlKind::List && code == CBN_SELCHANGE;
    if (pressed || chosen) core_->OnCommand(id);
}

bool CMyDlgWindow::PaintMinimised() {
    if (!IsIconic(hwnd_)) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, largeIcon_);
    EndPaint(hwnd_, &ps);
    return true;
}

void CMyDlgWindow::ShowAbout() {
    CAboutDlg about(table_);
    about.Run(instance_, hwnd_);
}

}  // namespace orv::app::win32
