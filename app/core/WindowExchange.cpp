// Moving the bound values between the dialog and its controls, all at once.
#include <array>
#include <vector>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"

namespace orv::app {

namespace {

struct RadioGroup {
    int WindowSettings::*index;
    std::vector<int> buttons;  // in index order
};

const std::array<RadioGroup, 4>& RadioGroups() {
    static const std::array<RadioGroup, 4> groups{{
        {&WindowSettings::cjc, {id::CjcInternal, id::CjcExternal}},
        {&WindowSettings::wiring, {id::Wire2, id::Wire3, id::Wire4}},
        {&WindowSettings::breakAlarm, {id::BreakLow, id::BreakHigh}},
        {&WindowSettings::outputDirection, {id::OutputNormal, id::OutputReverse}},
    }};
    return groups;
}

}  // namespace

void CMyDlgPrivate::CollectSettings() {
    for (const auto& group : RadioGroups()) {
        int checked = -1;
        for (std::size_t k = 0; k < group.buttons.size(); ++k) {
            if (window_.IsChecked(group.buttons[k])) {
                checked = static_cast<int>(k);
                break;
            }
        }
        Values.*group.index = checked;
    }
    for (int control : kBoundTextIds) Values.Text(control) = window_.GetControlText(control);
}

void CMyDlgPrivate::ShowSettings() {
    // An index that names no button (-1, or garbage) leaves the whole group
    // unchecked rather than keeping a stale check from before.
    for (const auto& group : RadioGroups()) {
        const int index = Values.*group.index;
        for (std::size_t k = 0; k < group.buttons.size(); ++k)
            window_.SetChecked(group.buttons[k], index == static_cast<int>(k));
    }
    for (int control : kBoundTextIds) window_.SetControlText(control, Values.Text(control));
}

}  // namespace orv::app
