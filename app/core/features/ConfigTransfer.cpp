#include "app/core/features/ConfigTransfer.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "app/core/ShownChoices.h"
#include "config/InputTypeCatalogue.h"
#include "config/RangeFormat.h"
#include "config/SettingCatalogue.h"
#include "config/TextConversions.h"

namespace orv::app {

namespace {

using config::TextToLow16;
namespace at = config::offset;

constexpr std::uint8_t kNothingShown = 0xFF;

int CheckedIndex(const WindowServices& w, std::initializer_list<int> buttons) {
    int k = 0;
    for (int b : buttons) {
        if (w.IsChecked(b)) return k;
        ++k;
    }
    return -1;
}

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

// The fields as the controls show them, and which choices stand for the
// device's own bytes.
struct Shown {
    config::ParamFields fields;
    bool modelBehind = false;
    bool typeBehind = false;
};

Shown ReadWindow(const WindowServices& w, const config::ShownValues& shown) {
    config::ParamFields f;
    const int model = w.GetCurSel(id::ModelList);
    const int row = config::RowAtPosition(model, w.GetCurSel(id::InputType));
    f.model = config::FindModel(model) ? static_cast<std::uint8_t>(model) : kNothingShown;
    f.inputType = row != config::kNoRow ? config::InputTypes()[static_cast<std::size_t>(row)].code : kNothingShown;
    // The same conversions as a write, so the file holds what the device
    // would get from "Update All" and the single updates.
    const int cjc = CheckedIndex(w, {id::CjcInternal, id::CjcExternal});
    f.cjcMode = (cjc == 0 || cjc == -1) ? 1 : 0;
    const int wiring = CheckedIndex(w, {id::Wire2, id::Wire3, id::Wire4});
    f.wireCount = static_cast<std::uint8_t>(wiring < 0 ? 4 : wiring + 2);
    f.rangeZero = config::TextToFloat(w.GetControlText(id::RangeZero));
    f.rangeFull = config::TextToFloat(w.GetControlText(id::RangeFull));
    f.dampingLevel = static_cast<std::uint8_t>(std::clamp(w.GetCurSel(id::Damping), 0, config::kMaxDampingLevel));
    f.breakAlarm = CheckedIndex(w, {id::BreakLow, id::BreakHigh}) == 1 ? 1 : 0;
    const int direction = CheckedIndex(w, {id::OutputNormal, id::OutputReverse});
    f.outputDirection = (direction == 0 || direction == -1) ? 1 : 0;
    f.offsetCorrection = static_cast<std::int8_t>(config::TextToLow8(w.GetControlText(id::Offset)));
    f.resistanceCal = config::TextToFloat(w.GetControlText(id::ResistanceCal)) * static_cast<float>(config::kResistanceCalScale);
    f.millivoltCal = static_cast<std::int16_t>(TextToLow16(w.GetControlText(id::MillivoltCal)));
    f.ambientCal = TextToLow16(w.GetControlText(id::AmbientCal));
    f.out1ZeroTrim = TextToLow16(w.GetControlText(id::Out1ZeroTrim));
    f.out1FullTrim = TextToLow16(w.GetControlText(id::Out1FullTrim));
    f.voltageCal = static_cast<std::int16_t>(TextToLow16(w.GetControlText(id::VoltageCal)));
    f.currentCal = static_cast<std::int16_t>(TextToLow16(w.GetControlText(id::CurrentCal)));
    f.out2ZeroTrim = TextToLow16(w.GetControlText(id::Out2ZeroTrim));
    f.out2FullTrim = TextToLow16(w.GetControlText(id::Out2FullTrim));

    // Texts are rounded and choices limited to what the window can show:
    // what nobody changed stands for the bytes it was shown for.
    std::array<std::uint8_t, config::kParamBlockSize> exact{};
    f.Write(exact);
    for (const auto& [control, offset] : {std::pair{id::RangeZero, at::rangeZero}, {id::RangeFull, at::rangeFull},
                                          {id::ResistanceCal, at::resistanceCal}})
        shown.Restore(offset, w.GetControlText(control), exact);
    Shown s;
    for (std::size_t offset : kChoiceFields) {
        const bool behind = RestoreChoice(w, shown, offset, exact);
        if (offset == at::model) s.modelBehind = behind;
        if (offset == at::inputType) s.typeBehind = behind;
    }
    s.fields = config::ParamFields::Read(exact);
    return s;
}

}  // namespace

void LastBlockRead::OnParamsRead(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    block_.emplace();
    std::copy(block.begin(), block.end(), block_->begin());
}

config::ParamFields WindowFields(const WindowServices& w, const config::ShownValues& shown) {
    return ReadWindow(w, shown).fields;
}

CapturedConfig CaptureConfig(const WindowServices& w, const config::ShownValues& shown, const LastBlockRead& lastRead) {
    if (!lastRead.Block()) return {std::nullopt, "No parameter block has been read from a device yet."};
    const Shown s = ReadWindow(w, shown);
    if ((!s.modelBehind && !config::FindModel(s.fields.model)) ||
        (!s.typeBehind && config::RowOfCode(s.fields.inputType) == config::kNoRow))
        return {std::nullopt, "The window shows no input type the device's model offers."};
    config::ConfigRecord rec;
    rec.block = *lastRead.Block();
    rec.fields = s.fields;
    return {std::move(rec), {}};
}

CapturedConfig CaptureConfig(CMyDlg& dlg, const LastBlockRead& lastRead) {
    CMyDlgPrivate& d = CMyDlgPrivate::Of(dlg);
    return CaptureConfig(d.Window(), d.ShownValues, lastRead);
}

WindowApply ApplyConfigToWindow(CMyDlgPrivate& dlg, const config::ConfigRecord& record, bool withCalibration) {
    WindowServices& w = dlg.Window();
    const int model = w.GetCurSel(id::ModelList);
    if (std::string why = config::CheckModelAccepts(model, record); !why.empty()) return {why, {}};
    // The values start as the controls show them, so that whatever is not
    // put in stays as it is on screen.
    dlg.CollectSettings();
    const config::ParamFields current = WindowFields(w, dlg.ShownValues);
    const config::AppliedConfig applied = config::ApplyConfig(record, current, withCalibration);
    const config::ParamFields& f = applied.fields;

    // The texts are formatted for the new range, as a second read of the
    // same block shows them, not with whatever range the window had.
    const auto format = [&](double x) {
        return config::FormatFixed(x, config::RangeDecimals(std::fabs(f.rangeZero - f.rangeFull)));
    };
    WindowSettings& v = dlg.Values;
    // An update sends the file's values, not the device's that happen to
    // show the same rounded text.
    const auto showFloat = [&](int control, std::size_t offset, float value, double shownValue) {
        v.Text(control) = format(shownValue);
        dlg.ShownValues.RememberFloat(offset, v.Text(control), value);
    };
    int position = w.GetCurSel(id::InputType);
    if (f.inputType != current.inputType) {
        position = config::PositionOfRow(model, config::RowOfCode(f.inputType));
        w.SetCurSel(id::InputType, position);
    }
    if (f.cjcMode != current.cjcMode) v.cjc = f.cjcMode != 0 ? 0 : 1;
    if (f.wireCount != current.wireCount) v.wiring = f.wireCount - 2;
    const bool rangeChanged = !SameBits(f.rangeZero, current.rangeZero) || !SameBits(f.rangeFull, current.rangeFull);
    if (rangeChanged && std::isfinite(f.rangeZero)) showFloat(id::RangeZero, at::rangeZero, f.rangeZero, f.rangeZero);
    if (rangeChanged && std::isfinite(f.rangeFull)) showFloat(id::RangeFull, at::rangeFull, f.rangeFull, f.rangeFull);
    if (f.dampingLevel != current.dampingLevel) w.SetCurSel(id::Damping, f.dampingLevel);
    if (f.breakAlarm != current.breakAlarm) v.breakAlarm = f.breakAlarm != 0 ? 1 : 0;
    if (f.outputDirection != current.outputDirection) v.outputDirection = f.outputDirection != 0 ? 0 : 1;
    if (f.offsetCorrection != current.offsetCorrection) v.Text(id::Offset) = config::IntToText(f.offsetCorrection);
    if (withCalibration) {
        showFloat(id::ResistanceCal, at::resistanceCal, f.resistanceCal, static_cast<double>(f.resistanceCal) / config::kResistanceCalScale);
        v.Text(id::MillivoltCal) = config::IntToText(f.millivoltCal);
        v.Text(id::AmbientCal) = config::IntToText(f.ambientCal);
        v.Text(id::Out1ZeroTrim) = v.Text(id::Out1ZeroSim) = config::IntToText(f.out1ZeroTrim);
        v.Text(id::Out1FullTrim) = v.Text(id::Out1FullSim) = config::IntToText(f.out1FullTrim);
        v.Text(id::VoltageCal) = config::IntToText(f.voltageCal);
        v.Text(id::CurrentCal) = config::IntToText(f.currentCal);
        v.Text(id::Out2ZeroTrim) = v.Text(id::Out2ZeroSim) = config::IntToText(f.out2ZeroTrim);
        v.Text(id::Out2FullTrim) = v.Text(id::Out2FullSim) = config::IntToText(f.out2FullTrim);
    }
    // As picking the input type by hand does: its buttons and units follow,
    // and the settings are shown.
    dlg.ApplyTypeRules(model, position);
    dlg.ShowUnitLabels(model, position);
    // What the window shows now stands for these bytes, a kept choice for
    // the device's own.
    std::array<std::uint8_t, config::kParamBlockSize> now{};
    f.Write(now);
    RememberChoices(w, dlg.ShownValues, now);
    return {{}, applied.left};
}

}  // namespace orv::app
