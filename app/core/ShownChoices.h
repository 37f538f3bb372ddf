#pragma once
// The block's list and radio fields behind what the window shows.
//
// The window can show only the values a setting allows: a wiring byte of 0
// shows as 4-wire, a damping of 12 as no selection, a CJC mode of 2 as
// internal. A saved configuration must still hold what the device held. So
// the decode remembers, for each such field, what the window showed and the
// byte behind it, and a capture of the window whose control still shows
// exactly that takes the byte; a control someone changed is taken as shown.
// The dialog's own writes never ask: they send what the controls show, as
// they always have.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/core/WindowServices.h"
#include "config/ParamFields.h"
#include "config/ShownValues.h"

namespace orv::app {

// Model, input type, CJC, wiring, damping, break alarm, output direction.
inline constexpr std::array<std::size_t, 7> kChoiceFields{
    config::offset::model,      config::offset::inputType,  config::offset::cjcMode,        config::offset::wireCount,
    config::offset::dampingLevel, config::offset::breakAlarm, config::offset::outputDirection};

// Remembers, for every choice field, what the window shows now and block's byte.
void RememberChoices(const WindowServices& window, config::ShownValues& shown,
                     std::span<const std::uint8_t, config::kParamBlockSize> block);

// Puts the remembered byte into block when the window still shows what it
// showed for it; returns whether it did.
bool RestoreChoice(const WindowServices& window, const config::ShownValues& shown, std::size_t at,
                   std::span<std::uint8_t, config::kParamBlockSize> block);

}  // namespace orv::app
