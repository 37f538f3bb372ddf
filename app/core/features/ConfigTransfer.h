#pragma once
// Saved configurations and the window: what the window shows becomes a
// record to save, and a record opened goes into the window the way "Load
// Buffer" restores settings, sending nothing. The device learns of it only
// when the user presses an update button.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/core/CMyDlg.h"
#include "app/core/DialogObserver.h"
#include "config/ConfigFile.h"
#include "config/ShownValues.h"

namespace orv::app {

// Keeps the last parameter block the device sent.
class LastBlockRead : public DialogObserver {
public:
    void OnParamsRead(std::span<const std::uint8_t, config::kParamBlockSize> block) override;
    const std::optional<std::array<std::uint8_t, config::kParamBlockSize>>& Block() const { return block_; }

private:
    std::optional<std::array<std::uint8_t, config::kParamBlockSize>> block_;
};

struct CapturedConfig {
    std::optional<config::ConfigRecord> record;
    std::string error;  // why there is nothing to save
};

// The settings, calibration constants and trims the window's controls show
// now, converted as a write would convert them: a text or choice nobody
// changed stands for the value behind it (the device's, bit for bit), not
// for its rounded digits or the nearest choice the window can show.
// Reads the controls only.
config::ParamFields WindowFields(const WindowServices& window, const config::ShownValues& shown);

// WindowFields with the block as read, ready to save. Refuses only before a
// block was read, or when the window shows no model or input type and none
// stands behind it.
CapturedConfig CaptureConfig(const WindowServices& window, const config::ShownValues& shown,
                             const LastBlockRead& lastRead);
// The same for the dialog's own window and the values it last showed.
CapturedConfig CaptureConfig(CMyDlg& dlg, const LastBlockRead& lastRead);

struct WindowApply {
    std::string refusal;                    // set: nothing changed
    std::vector<config::LeftSetting> left;  // settings the window kept
};

// Checks the record against the model the window shows (the connected
// device's) and puts its settings into the window; calibration constants and
// trims only when withCalibration. A setting outside its range is not put
// in: its control keeps what it shows, and the result names it. Sends nothing.
class CMyDlgPrivate;
WindowApply ApplyConfigToWindow(CMyDlgPrivate& dlg, const config::ConfigRecord& record, bool withCalibration);

}  // namespace orv::app
