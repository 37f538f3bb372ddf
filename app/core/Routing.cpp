// The routing of the dialog's button presses and list selection changes.
#include <algorithm>
#include <array>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/SettingCatalogue.h"

namespace orv::app {

namespace {

struct Route {
    int id;
    void (*handler)(CMyDlgPrivate&);
};

using config::Setting;

// The update button of one field writes that field alone.
template <Setting S>
void WriteField(CMyDlgPrivate& d) {
    d.WriteParamSlice(config::InfoOf(S).offset, config::InfoOf(S).width);
}

// A batch button writes every field from the first to the last named.
template <Setting First, Setting Last>
void WriteFields(CMyDlgPrivate& d) {
    constexpr auto start = config::InfoOf(First).offset;
    constexpr auto end = config::InfoOf(Last).offset + config::InfoOf(Last).width;
    static_assert(end > start);
    d.WriteParamSlice(start, static_cast<std::uint8_t>(end - start));
}

template <int Step>
void ViewStep(CMyDlgPrivate& d) {
    d.StartCalibrationView(Step);
}

// One row per control; 1042 "设置状态" has no handler.
constexpr std::array kRoutes{
    Route{id::UploadParams, [](CMyDlgPrivate& d) { d.OnUploadParams(); }},
    Route{id::UpdateAllSettings, WriteFields<Setting::Model, Setting::Out2FullTrim>},
    Route{id::RecFactory, [](CMyDlgPrivate& d) { d.OnRecFactory(); }},
    Route{id::UpdateInputType, WriteField<Setting::InputType>},
    Route{id::UpdateCjc, WriteField<Setting::CjcMode>},
    Route{id::UpdateWiring, WriteField<Setting::WireCount>},
    Route{id::UpdateZero, WriteField<Setting::RangeZero>},
    Route{id::UpdateFull, WriteField<Setting::RangeFull>},
    Route{id::UpdateOffset, WriteField<Setting::OffsetCorrection>},
    Route{id::UpdateDamping, WriteField<Setting::DampingLevel>},
    Route{id::UpdateBreakAlarm, WriteField<Setting::BreakAlarm>},
    Route{id::UpdateOutputDirection, WriteField<Setting::OutputDirection>},
    Route{id::Restart, [](CMyDlgPrivate& d) { d.OnRestart(); }},
    Route{id::LoadBuffer, [](CMyDlgPrivate& d) { d.OnLoadBuffer(); }},
    Route{id::UpdateAll, WriteFields<Setting::InputType, Setting::BreakAlarm>},
    Route{id::Connection, [](CMyDlgPrivate& d) { d.OpenSelectedPort(); }},
    Route{id::AutoUpload, [](CMyDlgPrivate& d) { d.OnAutoUpload(); }},
    Route{id::StopUpload, [](CMyDlgPrivate& d) { d.OnStopUpload(); }},
    Route{id::ViewResistance, ViewStep<1>},
    Route{id::ViewMillivolt, ViewStep<2>},
    Route{id::ViewAmbient, ViewStep<3>},
    Route{id::ViewVoltage, ViewStep<4>},
    Route{id::ViewCurrent, ViewStep<5>},
    Route{id::UpdateResistance, WriteField<Setting::ResistanceCal>},
    Route{id::UpdateMillivolt, WriteField<Setting::MillivoltCal>},
    Route{id::UpdateAmbient, WriteField<Setting::AmbientCal>},
    Route{id::UpdateVoltage, WriteField<Setting::VoltageCal>},
    Route{id::UpdateCurrent, WriteField<Setting::CurrentCal>},
    Route{id::PresetVoltage, [](CMyDlgPrivate& d) { d.PresetVoltageCalibration(); }},
    Route{id::PresetCurrent, [](CMyDlgPrivate& d) { d.PresetCurrentCalibration(); }},
    Route{id::PresetResistance, [](CMyDlgPrivate& d) { d.PresetResistanceCalibration(); }},
    Route{id::PresetThermocouple, [](CMyDlgPrivate& d) { d.PresetThermocoupleCalibration(); }},
    Route{id::UpdateOut1Zero, WriteField<Setting::Out1ZeroTrim>},
    Route{id::UpdateOut1Full, WriteField<Setting::Out1FullTrim>},
    Route{id::UpdateOut2Zero, WriteField<Setting::Out2ZeroTrim>},
    Route{id::UpdateOut2Full, WriteField<Setting::Out2FullTrim>},
    Route{id::FollowMeasurement, [](CMyDlgPrivate& d) { d.FollowMeasurement(); }},
    Route{id::SimulateZero, [](CMyDlgPrivate& d) { d.SimulateZeroOutput(); }},
    Route{id::SimulateFull, [](CMyDlgPrivate& d) { d.SimulateFullOutput(); }},
    Route{id::TrimDefaults, [](CMyDlgPrivate& d) { d.LoadTrimDefaults(); }},
    Route{id::UpdateModel, WriteField<Setting::Model>},
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
