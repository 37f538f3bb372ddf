// The routing of the dialog's button presses and list selection changes.
#include <algorithm>
#include <array>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"

namespace orv::app {

namespace {

struct Route {
    int id;
    void (*handler)(CMyDlgPrivate&);
};

template <std::uint8_t Start, std::uint8_t Count>
void WriteSlice(CMyDlgPrivate& d) {
    d.WriteParamSlice(Start, Count);
}

template <int Step>
void ViewStep(CMyDlgPrivate& d) {
    d.StartCalibrationView(Step);
}

// One row per control; 1042 "设置状态" has no handler.
constexpr std::array kRoutes{
    Route{id::UploadParams, [](CMyDlgPrivate& d) { d.OnUploadParams(); }},
    Route{id::UpdateAllSettings, WriteSlice<0, 36>},
    Route{id::RecFactory, [](CMyDlgPrivate& d) { d.OnRecFactory(); }},
    Route{id::UpdateInputType, WriteSlice<1, 1>},
    Route{id::UpdateCjc, WriteSlice<2, 1>},
    Route{id::UpdateWiring, WriteSlice<3, 1>},
    Route{id::UpdateZero, WriteSlice<4, 4>},
    Route{id::UpdateFull, WriteSlice<8, 4>},
    Route{id::UpdateOffset, WriteSlice<27, 1>},
    Route{id::UpdateDamping, WriteSlice<12, 1>},
    Route{id::UpdateBreakAlarm, WriteSlice<13, 1>},
    Route{id::UpdateOutputDirection, WriteSlice<14, 1>},
    Route{id::Restart, [](CMyDlgPrivate& d) { d.OnRestart(); }},
    Route{id::LoadBuffer, [](CMyDlgPrivate& d) { d.OnLoadBuffer(); }},
    Route{id::UpdateAll, WriteSlice<1, 13>},
    Route{id::Connection, [](CMyDlgPrivate& d) { d.OpenSelectedPort(); }},
    Route{id::AutoUpload, [](CMyDlgPrivate& d) { d.OnAutoUpload(); }},
    Route{id::StopUpload, [](CMyDlgPrivate& d) { d.OnStopUpload(); }},
    Route{id::ViewResistance, ViewStep<1>},
    Route{id::ViewMillivolt, ViewStep<2>},
    Route{id::ViewAmbient, ViewStep<3>},
    Route{id::ViewVoltage, ViewStep<4>},
    Route{id::ViewCurrent, ViewStep<5>},
    Route{id::UpdateResistance, WriteSlice<15, 4>},
    Route{id::UpdateMillivolt, WriteSlice<19, 2>},
    Route{id::UpdateAmbient, WriteSlice<21, 2>},
    Route{id::UpdateVoltage, WriteSlice<28, 2>},
    Route{id::UpdateCurrent, WriteSlice<30, 2>},
    Route{id::PresetVoltage, [](CMyDlgPrivate& d) { d.PresetVoltageCalibration(); }},
    Route{id::PresetCurrent, [](CMyDlgPrivate& d) { d.PresetCurrentCalibration(); }},
    Route{id::PresetResistance, [](CMyDlgPrivate& d) { d.PresetResistanceCalibration(); }},
    Route{id::PresetThermocouple, [](CMyDlgPrivate& d) { d.PresetThermocoupleCalibration(); }},
    Route{id::UpdateOut1Zero, WriteSlice<23, 2>},
    Route{id::UpdateOut1Full, WriteSlice<25, 2>},
    Route{id::UpdateOut2Zero, WriteSlice<32, 2>},
    Route{id::UpdateOut2Full, WriteSlice<34, 2>},
    Route{id::FollowMeasurement, [](CMyDlgPrivate& d) { d.FollowMeasurement(); }},
    Route{id::SimulateZero, [](CMyDlgPrivate& d) { d.SimulateZeroOutput(); }},
    Route{id::SimulateFull, [](CMyDlgPrivate& d) { d.SimulateFullOutput(); }},
    Route{id::TrimDefaults, [](CMyDlgPrivate& d) { d.LoadTrimDefaults(); }},
    Route{id::UpdateModel, WriteSlice<0, 1>},
    Route{id::InputType, [](CMyDlgPrivate& d) { d.OnInputTypeChanged(); }},
    Route{id::ModelList, [](CMyDlgPrivate& d) { d.OnModelChanged(); }},
};

}  // namespace

bool CMyDlgPrivate::OnCommand(int controlId) {
    const auto it = std::find_if(kRoutes.begin(), kRoutes.end(), [&](const Route& r) { return r.id == controlId; });
    if (it == kRoutes.end()) return false;
    Dispatch([&] { it->handler(*this); });
    return true;
}

}  // namespace orv::app
