#include "app/core/WindowSettings.h"

#include "app/core/ControlIds.h"

namespace orv::app {

const std::array<int, 31> kBoundTextIds{
    id::RangeZero,    id::RangeFull,    id::Offset,         id::AmbientValue, id::MeasuredValue,
    id::UnitZero,     id::UnitFull,     id::UnitOffset,     id::UnitAmbient,  id::UnitMeasured,
    1026,             1027,             1028,               1029,             id::Rv4,
    id::ResistanceCal, id::MillivoltCal, id::AmbientCal,    id::VoltageCal,   id::CurrentCal,
    id::RefResistance, id::RefTemperature, id::Out1ZeroTrim, id::Out1FullTrim, id::Out1ZeroSim,
    id::Out1FullSim,  id::Out2ZeroTrim, id::Out2FullTrim,   id::Out2ZeroSim,  id::Out2FullSim,
    id::HiddenEdit,
};

WindowSettings::WindowSettings() {
    for (int control : kBoundTextIds) texts.emplace(control, std::string{});
}

std::string& WindowSettings::Text(int id) { return texts.at(id); }
const std::string& WindowSettings::Text(int id) const { return texts.at(id); }

}  // namespace orv::app
