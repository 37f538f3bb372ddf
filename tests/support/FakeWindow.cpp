#include "support/FakeWindow.h"

#include <initializer_list>

#include "app/core/ControlIds.h"

namespace orv::test {

namespace {

const std::vector<std::vector<int>> kRadioGroups{
    {app::id::CjcInternal, app::id::CjcExternal},
    {app::id::Wire2, app::id::Wire3, app::id::Wire4},
    {app::id::BreakLow, app::id::BreakHigh},
    {app::id::OutputNormal, app::id::OutputReverse},
};

// Factory controls that the template creates disabled.
const std::initializer_list<int> kFactoryDisabled{
    1022, 1033, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1050, 1051,
    1067, 1070, 1072, 1073, 1075, 1076, 1077, 1078, 1079, 1080, 1081, 1082};

}  // namespace

void FakeWindow::LoadTemplateDefaults() {
    using namespace app;
    lists_[id::InputType].entries = {"TC - K", "TC - E", "TC - S", "TC - B", "TC - R", "TC - J",
                                     "TC - T", "TC - N", "-80mV ~ 80mV", "PT100", "Cu50", "0 ~ 400Ω",
                                     "PT200", "PT500", "PT1000", "0 ~ 4KΩ", "Voltage", "Current"};
    lists_[id::Damping].entries = {"Pass Filter", "Level 1", "Level 2", "Level 3", "Level 4",
                                   "Level 5", "Level 6", "Level 7", "Level 8", "Level 9"};
    auto& ports = lists_[id::PortList].entries;
    ports.clear();
    for (int k = 0; k <= 10; ++k) ports.push_back("COM" + std::to_string(k));
    lists_[id::ModelList].entries = {"QV-VC1：电压、电流输入：单输出", "QV-VC2：电压、电流输入：双输出",
                                     "QV-TR1：TC、RTD、mV、R输入：单输出", "QV-TR2：TC、RTD、mV、R输入：双输出",
                                     "QV-UN1：万能输入：单输出", "QV-UN2：万能输入：双输出"};
    for (int c : kFactoryDisabled) disabled_.insert(c);
}

void FakeWindow::ClickRadio(int id) {
    for (const auto& group : kRadioGroups) {
        for (int member : group) {
            if (member == id) {
                for (int other : group) checked_.erase(other);
                checked_.insert(id);
                return;
            }
        }
    }
    checked_.insert(id);
}

std::vector<std::string> FakeWindow::ListEntries(int listId) const {
    auto it = lists_.find(listId);
    return it == lists_.end() ? std::vector<std::string>{} : it->second.entries;
}

unsigned FakeWindow::TimerInterval(int id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second.interval;
}

void FakeWindow::EnableControl(int id, bool enable) {
    if (enable)
        disabled_.erase(id);
    else
        disabled_.insert(id);
}

bool FakeWindow::IsControlEnabled(int id) const { return disabled_.count(id) == 0; }

std::string FakeWindow::GetControlText(int id) const {
    auto it = texts_.find(id);
    return it == texts_.end() ? std::string{} : it->second;
}

void FakeWindow::SetControlText(int id, const std::string& text) { texts_[id] = text; }

bool FakeWindow::IsChecked(int id) const { return checked_.count(id) != 0; }

void FakeWindow::SetChecked(int id, bool checked) {
    if (checked)
        checked_.insert(id);
    else
        checked_.erase(id);
}

int FakeWindow::GetCurSel(int listId) const {
    auto it = lists_.find(listId);
    return it == lists_.end() ? -1 : it->second.sel;
}

void FakeWindow::SetCurSel(int listId, int index) {
    auto& list = lists_[listId];
    list.sel = (index >= 0 && index < static_cast<int>(list.entries.size())) ? index : -1;
}

int FakeWindow::GetCount(int listId) const {
    auto it = lists_.find(listId);
    return it == lists_.end() ? 0 : static_cast<int>(it->second.entries.size());
}

void FakeWindow::ResetContent(int listId) {
    auto& list = lists_[listId];
    list.entries.clear();
    list.sel = -1;
}

void FakeWindow::AddString(int listId, const std::string& text) { lists_[listId].entries.push_back(text); }

void FakeWindow::Arm(int id, unsigned intervalMs) {
    const int token = clock_.Schedule(intervalMs, [this, id, intervalMs] {
        // Re-arm first, as a window timer keeps running unless the tick kills it.
        Arm(id, intervalMs);
        if (onTimer) onTimer(id);
    });
    timers_[id] = Timer{intervalMs, token};
}

void FakeWindow::SetTimer(int id, unsigned intervalMs) {
    KillTimer(id);
    Arm(id, intervalMs);
}

void FakeWindow::KillTimer(int id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    clock_.Cancel(it->second.token);
    timers_.erase(it);
}

void FakeWindow::MessageBox(const std::string& text, app::MessageIcon icon) {
    messages.push_back({text, icon});
    if (onMessageBox) onMessageBox(messages.back());
}

}  // namespace orv::test
