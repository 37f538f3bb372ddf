#include "app/core/ShownChoices.h"

#include <string>

#include "app/core/ControlIds.h"

namespace orv::app {

namespace {

int Checked(const WindowServices& w, std::initializer_list<int> buttons) {
    int k = 0;
    for (int b : buttons) {
        if (w.IsChecked(b)) return k;
        ++k;
    }
    return -1;
}

// What the window shows for a choice field, as a text to compare later.
std::string Shown(const WindowServices& w, std::size_t at) {
    namespace at_ = config::offset;
    switch (at) {
        case at_::model: return "list " + std::to_string(w.GetCurSel(id::ModelList));
        // The type list's entries follow the model's list.
        case at_::inputType:
            return "list " + std::to_string(w.GetCurSel(id::ModelList)) + " " + std::to_string(w.GetCurSel(id::InputType));
        case at_::cjcMode: return "radio " + std::to_string(Checked(w, {id::CjcInternal, id::CjcExternal}));
        case at_::wireCount: return "radio " + std::to_string(Checked(w, {id::Wire2, id::Wire3, id::Wire4}));
        case at_::dampingLevel: return "list " + std::to_string(w.GetCurSel(id::Damping));
        case at_::breakAlarm: return "radio " + std::to_string(Checked(w, {id::BreakLow, id::BreakHigh}));
        case at_::outputDirection: return "radio " + std::to_string(Checked(w, {id::OutputNormal, id::OutputReverse}));
        default: return {};
    }
}

}  // namespace

void RememberChoices(const WindowServices& window, config::ShownValues& shown,
                     std::span<const std::uint8_t, config::kParamBlockSize> block) {
    for (std::size_t at : kChoiceFields) shown.Remember(at, 1, Shown(window, at), block);
}

bool RestoreChoice(const WindowServices& window, const config::ShownValues& shown, std::size_t at,
                   std::span<std::uint8_t, config::kParamBlockSize> block) {
    return shown.Restore(at, Shown(window, at), block);
}

}  // namespace orv::app
