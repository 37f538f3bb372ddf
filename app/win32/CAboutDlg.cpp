#include "app/win32/CAboutDlg.h"

#include "app/core/ControlIds.h"

namespace orv::app::win32 {

CAboutDlg::CAboutDlg(const ResourceTable& table) : built_(BuildDialogTemplate(table.Dialog(id::AboutDialog), false, false)) {}

INT_PTR CAboutDlg::Run(HINSTANCE instance, HWND owner) {
    return DialogBoxIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(built_.Data()), owner, &CAboutDlg::Proc, 0);
}

INT_PTR CALLBACK CAboutDlg::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace orv::app::win32
