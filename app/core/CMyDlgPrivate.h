#pragma once
// The main dialog's logic and state: request engine, parameter exchange,
// update commands, live measurement and calibration. Only the dialog's own
// code, the features beside it and the tests see this; front ends go through
// the public CMyDlg. It owns no port and no clock: the serial component and
// the window services are handed to it, so the same code runs under both
// front ends and under tests with a virtual clock.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/core/CMyDlg.h"
#include "app/core/DialogObserver.h"
#include "app/core/WindowServices.h"
#include "app/core/WindowSettings.h"
#include "config/ParamImage.h"
#include "config/SettingsBuffer.h"
#include "config/ShownValues.h"
#include "protocol/CMSComm.h"
#include "protocol/MeasureBlock.h"

namespace orv::app {

class CMyDlgPrivate {
public:
    // findBridgePort returns the discovered port number (0: no bridge
    // examined, -1: the last bridge has no port); empty means no discovery.
    CMyDlgPrivate(WindowServices& window, protocol::CMSComm& comm, std::function<int()> findBridgePort = {});
    CMyDlgPrivate(const CMyDlgPrivate&) = delete;
    CMyDlgPrivate& operator=(const CMyDlgPrivate&) = delete;

    static CMyDlgPrivate& Of(CMyDlg& dialog) { return *dialog.d_; }

    // ---- Entry points for the front end. Each goes through Dispatch. -------
    // The front end has created the controls and filled the lists; this shows
    // the bound values, runs discovery and the automatic connection.
    void OnInitDialog();
    // A button press or a list selection change, routed by the routing table.
    // Returns false when no route exists for the id.
    bool OnCommand(int controlId);
    void OnTimerEvent(int timerId);
    void OnCommNotify();
    // "Exit": collects the bound values before the dialog closes.
    void OnOK();

    // Runs a handler; an error that escapes it is shown in a stop-icon box.
    void Dispatch(const std::function<void()>& handler);

    // ---- Request engine ------------------------------------------------------
    std::uint8_t PendingFunction = 0;
    std::uint32_t ExpectedLength = 0;
    std::array<std::uint8_t, 64> ReceiveBuffer{};
    std::int32_t MeasureStep = 0;
    bool PollMissed = false;

    void SendReadParams();
    void SendReadMeasure();
    void SendWriteParams(std::uint8_t start, std::uint8_t count);
    void SendCommand(std::uint8_t code, std::uint16_t first, std::uint16_t second);
    void OnCommEvent();
    void OnTimer(int timerId);
    void OpenSelectedPort();
    // The component closed the port because the line failed: the port may be
    // chosen and opened again once the device is back.
    void OnLineLost();
    // Result of the acceptance test on ReceiveBuffer: PendingFunction or 0.
    std::uint8_t CheckResponse() const;

    // ---- Window settings and exchange ---------------------------------------
    WindowSettings Values;
    void CollectSettings();  // controls -> Values
    void ShowSettings();     // Values -> controls

    // ---- Input types and control rules --------------------------------------
    int CodeToTypeIndex(int model, int code);
    int TypeIndexToCode(int model, int position);
    void FillInputTypeList(int model, int position);
    void ApplyTypeRules(int model, int position);
    void ShowUnitLabels(int model, int position);
    void OnInputTypeChanged();
    void OnModelChanged();

    // ---- Parameter image -------------------------------------------------------
    config::ParamImage ParamImage;
    config::SettingsBuffer SettingsBuffer;
    // The bytes behind the value texts last shown from the block, so that an
    // untouched text writes its value exactly rather than as rounded.
    config::ShownValues ShownValues;
    void DecodeParams(std::span<const std::uint8_t, config::kParamBlockSize> payload);
    void EncodeParams();
    std::string FormatRangeValue(double x) const;
    // Shows a value the tool worked out itself (a preset, a calibration
    // result) as FormatRangeValue does. While that text stays untouched, a
    // write sends the value itself, not the text's rounding.
    void ShowRangeValue(int control, double value);

    // ---- Update commands --------------------------------------------------------
    // EncodeParams, SendWriteParams(start, count), timer 16 at 5000 ms.
    void WriteParamSlice(std::uint8_t start, std::uint8_t count);
    void OnUploadParams();
    void OnLoadBuffer();
    void OnRestart();
    void OnRecFactory();

    // ---- Live measurement ------------------------------------------------------
    void OnAutoUpload();
    void OnStopUpload();
    void PollTick();
    void ShowMeasurement();  // reads the MeasureBlock from ReceiveBuffer
    void DisableUpdateControls();
    void EnableUpdateControls();
    // Stops the poll timer and gives back the buttons the poll locked;
    // listeners hear how a running poll ended.
    void EndPoll(PollEnd how);
    // From "Auto Upload" until the poll ends by any way.
    bool Polling = false;

    // ---- Input calibration -----------------------------------------------------
    void StartCalibrationView(int step);
    void ApplyCalibrationView(int step);  // reads RV0..RV4 from ReceiveBuffer
    void PresetVoltageCalibration();
    void PresetCurrentCalibration();
    void PresetResistanceCalibration();
    void PresetThermocoupleCalibration();

    // ---- Output trim and simulated output ----------------------------------
    void SimulateZeroOutput();
    void SimulateFullOutput();
    void FollowMeasurement();
    void LoadTrimDefaults();
    // Factory build only: enables the panel controls the standard build leaves disabled.
    void EnableFactoryPanel();

    // Listeners are told, never asked; the caller keeps them alive until removed.
    void AddObserver(DialogObserver* observer);
    void RemoveObserver(DialogObserver* observer);

    WindowServices& Window() { return window_; }
    protocol::CMSComm& Comm() { return comm_; }

private:
    WindowServices& window_;
    protocol::CMSComm& comm_;
    std::function<int()> findBridgePort_;
    // Buttons beyond the poll's own list that were enabled when it started.
    std::vector<int> pollHeld_;
    std::vector<DialogObserver*> observers_;

    template <typename Event>
    void Notify(const Event& event) {
        // A copy: a listener may remove itself while being told.
        const std::vector<DialogObserver*> now = observers_;
        for (DialogObserver* o : now) event(*o);
    }
};

}  // namespace orv::app
