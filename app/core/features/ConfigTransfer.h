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
// now, converted as a write would convert them, with the block as read: a
// text nobody edited stands for the value behind it (shown), not for its
// rounded digits. Reads the controls only: the window and the dialog's own
// copy stay as they are.
CapturedConfig CaptureConfig(const WindowServices& window, const config::ShownValues& shown,
                             const LastBlockRead& lastRead);
// The same for the dialog's own window and the values it last showed.
CapturedConfig CaptureConfig(CMyDlg& dlg, const LastBlockRead& lastRead);

// Checks the record against the model the window shows (the connected
// device's) and puts its settings into the window; calibration constants and
// trims only when withCalibration. Returns the reason when it refuses, and
// then leaves the window untouched.
class CMyDlgPrivate;
std::string ApplyConfigToWindow(CMyDlgPrivate& dlg, const config::ConfigRecord& record, bool withCalibration);

}  // namespace orv::app
