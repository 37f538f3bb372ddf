// The factory build's panel. The standard build never enables these
// controls; the front end calls this when started for factory use.
#include <array>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"

namespace orv::app {

namespace {

// Everything on the panel that the type rules do not decide: the rules keep
// deciding the view and update buttons of each calibration kind.
constexpr std::array kFactoryControls{
    id::PresetVoltage,  id::PresetCurrent, id::PresetResistance, id::PresetThermocouple,
    id::TrimDefaults,   id::SimulateZero,  id::SimulateFull,     id::UpdateOut1Zero,
    id::UpdateOut1Full, id::ModelList,     id::UpdateModel,      id::UpdateAllSettings,
    // Otherwise only the end of a poll enables it, and after a simulated
    // output the operator could hand the outputs back to the measurement
    // only by stopping a poll first.
    id::FollowMeasurement,
};

}  // namespace

void CMyDlgPrivate::EnableFactoryPanel() {
    for (int control : kFactoryControls) window_.EnableControl(control, true);
    ApplyTypeRules(window_.GetCurSel(id::ModelList), window_.GetCurSel(id::InputType));
}

}  // namespace orv::app
