#pragma once
// What the dialog's logic needs from the window system: controls by id,
// window timers by id and modal message boxes. The Qt front end implements it
// on widgets, QTimer and QMessageBox; tests implement it on a virtual clock.
#include <string>

namespace orv::app {

enum class MessageIcon { Exclamation, Stop };

class WindowServices {
public:
    virtual ~WindowServices() = default;

    // Enabling, for buttons and lists.
    virtual void EnableControl(int id, bool enable) = 0;
    virtual bool IsControlEnabled(int id) const = 0;

    // Texts of edits and labels, UTF-8.
    virtual std::string GetControlText(int id) const = 0;
    virtual void SetControlText(int id, const std::string& text) = 0;

    // Check state of one radio button.
    virtual bool IsChecked(int id) const = 0;
    virtual void SetChecked(int id, bool checked) = 0;

    // Drop-down lists by selection index; -1 is no selection. Selecting an
    // index outside the list leaves no entry selected.
    virtual int GetCurSel(int listId) const = 0;
    virtual void SetCurSel(int listId, int index) = 0;
    virtual int GetCount(int listId) const = 0;
    virtual void ResetContent(int listId) = 0;
    virtual void AddString(int listId, const std::string& text) = 0;

    // Repeating window timers: they tick every interval until killed. Setting
    // a running timer restarts its interval. Ticks reach CMyDlg::OnTimerEvent.
    virtual void SetTimer(int id, unsigned intervalMs) = 0;
    virtual void KillTimer(int id) = 0;

    // A modal box with an OK button, titled with the program's name. Timer
    // ticks and receive events go on being delivered while it is open.
    virtual void MessageBox(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace orv::app
