#pragma once
// The dialog core's window services on a Win32 dialog: controls through the
// dialog manager's calls and messages, window timers with the dialog's own
// timer ids, and MessageBoxW. Texts are UTF-8 in the core and UTF-16 here.
#include "app/win32/Win32Api.h"

#include <map>
#include <string>
#include <utility>

#include "app/core/ResourceTable.h"
#include "app/core/WindowServices.h"

namespace orv::app::win32 {

class Win32WindowServices : public WindowServices {
public:
    // The radio groups are read from the template the dialog was made from:
    // CheckRadioButton needs the first and last id of the group.
    Win32WindowServices(HWND dialog, const DialogTemplate& tpl);

    // The program file's name without extension.
    static std::wstring MessageTitle();

    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) const override;
    std::string GetControlText(int id) const override;
    void SetControlText(int id, const std::string& text) override;
    bool IsChecked(int id) const override;
    void SetChecked(int id, bool checked) override;
    int GetCurSel(int listId) const override;
    void SetCurSel(int listId, int index) override;
    int GetCount(int listId) const override;
    void ResetContent(int listId) override;
    void AddString(int listId, const std::string& text) override;
    void SetTimer(int id, unsigned intervalMs) override;
    void KillTimer(int id) override;
    void MessageBox(const std::string& text, MessageIcon icon) override;

private:
    HWND Require(int id) const;

    HWND dialog_;
    std::map<int, std::pair<int, int>> radioGroupOf_;  // radio id -> first and last id of its group
};

}  // namespace orv::app::win32
