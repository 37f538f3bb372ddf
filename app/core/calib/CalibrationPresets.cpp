// The "校准值缺省设置" presets: each loads the factory configuration for one
// kind of input calibration into the window. Nothing reaches the device until
// the operator writes it.
#include <cstdint>
#include <vector>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/SettingCatalogue.h"
#include "config/TextConversions.h"

namespace orv::app {

namespace {

// Calibration is done on the universal dual-output model, which accepts every
// input type and drives both outputs.
constexpr int kCalibrationModel = 5;
constexpr int kDampingLevel1 = 1;
constexpr int kBreakHighIndex = 1;
constexpr int kOutput4To20Index = 0;

enum class Choice { None, TwoWire, InternalCjc };

struct PresetText {
    int control;
    double value;
    bool rangeFormatted;  // otherwise a plain integer text
};

struct Preset {
    int inputCode;
    Choice choice;
    double zero;
    double full;
    std::vector<PresetText> texts;  // in the order they are set
    bool clearOffset;
};

void LoadPreset(CMyDlgPrivate& dlg, const Preset& preset) {
    WindowServices& window = dlg.Window();
    WindowSettings& values = dlg.Values;

    window.SetCurSel(id::ModelList, kCalibrationModel);
    const int position = dlg.CodeToTypeIndex(kCalibrationModel, preset.inputCode);
    if (preset.choice == Choice::TwoWire) values.wiring = 0;
    if (preset.choice == Choice::InternalCjc) values.cjc = 0;
    // Each text is formatted with the range as it stands when it is set, so
    // the order of these assignments shows in the number of decimals.
    dlg.ShowRangeValue(id::RangeZero, preset.zero);
    dlg.ShowRangeValue(id::RangeFull, preset.full);
    window.SetCurSel(id::Damping, kDampingLevel1);
    values.breakAlarm = kBreakHighIndex;
    values.outputDirection = kOutput4To20Index;
    for (const auto& text : preset.texts) {
        if (text.rangeFormatted)
            dlg.ShowRangeValue(text.control, text.value);
        else
            values.Text(text.control) = config::IntToText(static_cast<long long>(text.value));
    }
    if (preset.clearOffset) values.Text(id::Offset) = "0";
    dlg.FillInputTypeList(kCalibrationModel, position);
    dlg.ApplyTypeRules(kCalibrationModel, position);
    dlg.ShowSettings();
}

constexpr int kCodeThermocoupleK = 0;
constexpr int kCodeResistance400 = 23;
constexpr int kCodeVoltage = 32;
constexpr int kCodeCurrent = 33;

// The device stores resistanceCal multiplied by 50; this is the stored
// single-precision factory value.
constexpr float kFactoryResistanceCal = 20102.201171875f;

}  // namespace

void CMyDlgPrivate::PresetVoltageCalibration() {
    LoadPreset(*this, {kCodeVoltage, Choice::None, 0, 1000, {{id::VoltageCal, 19088, false}}, false});
}

void CMyDlgPrivate::PresetCurrentCalibration() {
    LoadPreset(*this, {kCodeCurrent, Choice::None, 4000, 20000, {{id::CurrentCal, 9160, false}}, true});
}

void CMyDlgPrivate::PresetResistanceCalibration() {
    LoadPreset(*this, {kCodeResistance400,
                       Choice::TwoWire,
                       0,
                       400,
                       {{id::ResistanceCal, static_cast<double>(kFactoryResistanceCal) / config::kResistanceCalScale, true},
                        {id::RefResistance, 400.5, true}},
                       true});
}

void CMyDlgPrivate::PresetThermocoupleCalibration() {
    LoadPreset(*this, {kCodeThermocoupleK,
                       Choice::InternalCjc,
                       0,
                       1300,
                       {{id::MillivoltCal, 12217, false}, {id::AmbientCal, 20460, false}},
                       true});
}

}  // namespace orv::app
