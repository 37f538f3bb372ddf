#pragma once
// Window services on a virtual clock: controls are plain state, timers are
// repeating clock events, message boxes are recorded and return at once.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/core/WindowServices.h"
#include "support/VirtualClock.h"

namespace orv::test {

struct ShownMessage {
    std::string text;
    app::MessageIcon icon;
    bool operator==(const ShownMessage&) const = default;
};

class FakeWindow : public app::WindowServices {
public:
    explicit FakeWindow(VirtualClock& clock) : clock_(clock) {}

    // Delivered on every tick of a running timer (wire it to CMyDlg::OnTimerEvent).
    std::function<void(int)> onTimer;
    // Runs while a message box is "open", before it returns: a test can let
    // time pass or answers arrive there, as a nested event loop would.
    std::function<void(const ShownMessage&)> onMessageBox;

    std::vector<ShownMessage> messages;

    // Fills the lists and sets the enabling the dialog template gives a new window.
    void LoadTemplateDefaults();
    // The user's side of the controls.
    void TypeText(int id, const std::string& text) { texts_[id] = text; }
    void ClickRadio(int id);  // checks id, unchecks the others of its group
    std::vector<std::string> ListEntries(int listId) const;
    bool TimerRunning(int id) const { return timers_.count(id) != 0; }
    unsigned TimerInterval(int id) const;

    // WindowServices
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
    void MessageBox(const std::string& text, app::MessageIcon icon) override;

private:
    struct List {
        std::vector<std::string> entries;
        int sel = -1;
    };
    struct Timer {
        unsigned interval;
        int token;
    };
    void Arm(int id, unsigned intervalMs);

    VirtualClock& clock_;
    std::set<int> disabled_;
    std::map<int, std::string> texts_;
    std::set<int> checked_;
    std::map<int, List> lists_;
    std::map<int, Timer> timers_;
};

}  // namespace orv::test
