#pragma once
// The about box, template 100 of the resource table: the icon, the program's
// name and version, and an OK button. No handlers, no bound values.
#include "app/win32/Win32Api.h"

#include "app/core/ResourceTable.h"
#include "app/win32/DialogTemplateBuilder.h"

namespace orv::app::win32 {

class CAboutDlg {
public:
    explicit CAboutDlg(const ResourceTable& table);
    INT_PTR Run(HINSTANCE instance, HWND owner);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BuiltTemplate built_;
};

}  // namespace orv::app::win32
