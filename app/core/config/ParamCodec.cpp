// The parameter block to the window and back.
#include <algorithm>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/ParamFields.h"
#include "config/SettingCatalogue.h"
#include "config/RangeFormat.h"
#include "config/TextConversions.h"

namespace orv::app {

namespace {

using config::IntToText;
using config::TextToLow16;

constexpr int kDampingMax = 15;
constexpr std::uint8_t kNoModel = 255;
constexpr double kResistanceScale = config::kResistanceCalScale;

// Every field the window shows as a text, with the edit that shows it. The
// second edits of the trims are left out: the encode never reads them.
struct TextField {
    int control;
    std::size_t offset;
    std::size_t width;
    constexpr TextField(int c, config::Setting s)
        : control(c), offset(config::InfoOf(s).offset), width(config::InfoOf(s).width) {}
};
using config::Setting;
constexpr TextField kTextFields[] = {
    {id::RangeZero, Setting::RangeZero},       {id::RangeFull, Setting::RangeFull},
    {id::ResistanceCal, Setting::ResistanceCal}, {id::MillivoltCal, Setting::MillivoltCal},
    {id::AmbientCal, Setting::AmbientCal},     {id::Out1ZeroTrim, Setting::Out1ZeroTrim},
    {id::Out1FullTrim, Setting::Out1FullTrim}, {id::Offset, Setting::OffsetCorrection},
    {id::VoltageCal, Setting::VoltageCal},     {id::CurrentCal, Setting::CurrentCal},
    {id::Out2ZeroTrim, Setting::Out2ZeroTrim}, {id::Out2FullTrim, Setting::Out2FullTrim},
};

}  // namespace

std::string CMyDlgPrivate::FormatRangeValue(double x) const {
    return config::FormatRangeValue(x, Values.Text(id::RangeZero), Values.Text(id::RangeFull));
}

void CMyDlgPrivate::ShowRangeValue(int control, double value) {
    std::string& text = Values.Text(control);
    text = FormatRangeValue(value);
    using config::RoundToFloat;
    namespace at = config::offset;
    if (control == id::RangeZero) ShownValues.RememberFloat(at::rangeZero, text, RoundToFloat(value));
    if (control == id::RangeFull) ShownValues.RememberFloat(at::rangeFull, text, RoundToFloat(value));
    if (control == id::ResistanceCal)
        ShownValues.RememberFloat(at::resistanceCal, text, RoundToFloat(value * kResistanceScale));
}

void CMyDlgPrivate::DecodeParams(std::span<const std::uint8_t, config::kParamBlockSize> payload) {
    const auto f = config::ParamFields::Read(payload);

    window_.SetCurSel(id::ModelList, f.model);
    const int position = CodeToTypeIndex(f.model, f.inputType);
    Values.cjc = f.cjcMode != 0 ? 0 : 1;
    Values.wiring = (f.wireCount >= 2 && f.wireCount <= 4) ? f.wireCount - 2 : 2;
    // Each range end is formatted with the texts in force at that moment: the
    // zero with the old range, the full with the new zero and old full.
    Values.Text(id::RangeZero) = FormatRangeValue(f.rangeZero);
    Values.Text(id::RangeFull) = FormatRangeValue(f.rangeFull);
    window_.SetCurSel(id::Damping, std::min<int>(f.dampingLevel, kDampingMax));
    Values.breakAlarm = f.breakAlarm == 0 ? 0 : 1;
    Values.outputDirection = f.outputDirection != 0 ? 0 : 1;
    Values.Text(id::ResistanceCal) = FormatRangeValue(static_cast<double>(f.resistanceCal) / kResistanceScale);
    Values.Text(id::MillivoltCal) = IntToText(f.millivoltCal);
    Values.Text(id::AmbientCal) = IntToText(f.ambientCal);
    Values.Text(id::Out1ZeroTrim) = Values.Text(id::Out1ZeroSim) = IntToText(f.out1ZeroTrim);
    Values.Text(id::Out1FullTrim) = Values.Text(id::Out1FullSim) = IntToText(f.out1FullTrim);
    Values.Text(id::Offset) = IntToText(f.offsetCorrection);
    Values.Text(id::VoltageCal) = IntToText(f.voltageCal);
    Values.Text(id::CurrentCal) = IntToText(f.currentCal);
    Values.Text(id::Out2ZeroTrim) = Values.Text(id::Out2ZeroSim) = IntToText(f.out2ZeroTrim);
    Values.Text(id::Out2FullTrim) = Values.Text(id::Out2FullSim) = IntToText(f.out2FullTrim);

    for (const auto& field : kTextFields)
        ShownValues.Remember(field.offset, field.width, Values.Text(field.control), payload);

    FillInputTypeList(f.model, position);
    ApplyTypeRules(f.model, position);
    ShowUnitLabels(f.model, position);
    ShowSettings();
}

void CMyDlgPrivate::EncodeParams() {
    CollectSettings();
    config::ParamFields f;

    const int modelSel = window_.GetCurSel(id::ModelList);
    f.model = modelSel < 0 ? kNoModel : static_cast<std::uint8_t>(modelSel);
    const int typeSel = window_.GetCurSel(id::InputType);
    f.inputType = static_cast<std::uint8_t>(TypeIndexToCode(f.model, typeSel) & 0xFF);
    f.cjcMode = (Values.cjc == 0 || Values.cjc == -1) ? 1 : 0;
    f.wireCount = static_cast<std::uint8_t>((Values.wiring + 2) & 0xFF);
    f.rangeZero = config::TextToFloat(Values.Text(id::RangeZero));
    f.rangeFull = config::TextToFloat(Values.Text(id::RangeFull));
    const int damping = std::clamp(window_.GetCurSel(id::Damping), 0, kDampingMax);
    f.dampingLevel = static_cast<std::uint8_t>(damping);
    f.breakAlarm = static_cast<std::uint8_t>(Values.breakAlarm & 0xFF);
    f.outputDirection = (Values.outputDirection == 0 || Values.outputDirection == -1) ? 1 : 0;
    f.resistanceCal = config::TextToFloat(Values.Text(id::ResistanceCal)) * static_cast<float>(kResistanceScale);
    f.millivoltCal = static_cast<std::int16_t>(TextToLow16(Values.Text(id::MillivoltCal)));
    f.ambientCal = TextToLow16(Values.Text(id::AmbientCal));
    f.out1ZeroTrim = TextToLow16(Values.Text(id::Out1ZeroTrim));
    f.out1FullTrim = TextToLow16(Values.Text(id::Out1FullTrim));
    f.offsetCorrection = static_cast<std::int8_t>(config::TextToLow8(Values.Text(id::Offset)));
    f.voltageCal = static_cast<std::int16_t>(TextToLow16(Values.Text(id::VoltageCal)));
    f.currentCal = static_cast<std::int16_t>(TextToLow16(Values.Text(id::CurrentCal)));
    f.out2ZeroTrim = TextToLow16(Values.Text(id::Out2ZeroTrim));
    f.out2FullTrim = TextToLow16(Values.Text(id::Out2FullTrim));
    f.Write(ParamImage.bytes);
    // The texts are rounded for display, so a value nobody edited goes back as
    // it was read, not as its text converts.
    for (const auto& field : kTextFields)
        ShownValues.Restore(field.offset, Values.Text(field.control), ParamImage.bytes);

    SettingsBuffer.inputType = typeSel;
    SettingsBuffer.cjc = Values.cjc;
    SettingsBuffer.wiring = Values.wiring;
    SettingsBuffer.zeroText = Values.Text(id::RangeZero);
    SettingsBuffer.fullText = Values.Text(id::RangeFull);
    SettingsBuffer.damping = damping;
    SettingsBuffer.breakAlarm = Values.breakAlarm;
    SettingsBuffer.outputDirection = Values.outputDirection;

    window_.EnableControl(id::LoadBuffer, true);
    window_.EnableControl(id::UpdateAll, true);
}

}  // namespace orv::app
