#include "app/core/features/ConfigTransfer.h"

#include <algorithm>
#include <cmath>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/InputTypeCatalogue.h"
#include "config/RangeFormat.h"
#include "config/SettingCatalogue.h"
#include "config/TextConversions.h"

namespace orv::app {

namespace {

using config::TextToLow16;

int CheckedIndex(const WindowServices& w, std::initializer_list<int> buttons) {
    int k = 0;
    for (int b : buttons) {
        if (w.IsChecked(b)) return k;
        ++k;
    }
    return -1;
}

}  // namespace

void LastBlockRead::OnParamsRead(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    block_.emplace();
    std::copy(block.begin(), block.end(), block_->begin());
}

CapturedConfig CaptureConfig(const WindowServices& w, const config::ShownValues& shown, const LastBlockRead& lastRead) {
    if (!lastRead.Block()) return {std::nullopt, "No parameter block has been read from a device yet."};
    const int model = w.GetCurSel(id::ModelList);
    const int row = config::RowAtPosition(model, w.GetCurSel(id::InputType));
    if (!config::FindModel(model) || row == config::kNoRow)
        return {std::nullopt, "The window shows no input type the device's model offers."};

    config::ConfigRecord rec;
    rec.block = *lastRead.Block();
    config::ParamFields& f = rec.fields;
    f.model = static_cast<std::uint8_t>(model);
    f.inputType = config::InputTypes()[static_cast<std::size_t>(row)].code;
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
    // Floats are shown rounded: a file must hold the value a write would send.
    std::array<std::uint8_t, config::kParamBlockSize> exact = rec.block;
    f.Write(exact);
    namespace at = config::offset;
    shown.Restore(at::rangeZero, w.GetControlText(id::RangeZero), exact);
    shown.Restore(at::rangeFull, w.GetControlText(id::RangeFull), exact);
    shown.Restore(at::resistanceCal, w.GetControlText(id::ResistanceCal), exact);
    const config::ParamFields read = config::ParamFields::Read(exact);
    f.rangeZero = read.rangeZero;
    f.rangeFull = read.rangeFull;
    f.resistanceCal = read.resistanceCal;
    return {std::move(rec), {}};
}

CapturedConfig CaptureConfig(CMyDlg& dlg, const LastBlockRead& lastRead) {
    CMyDlgPrivate& d = CMyDlgPrivate::Of(dlg);
    return CaptureConfig(d.Window(), d.ShownValues, lastRead);
}

std::string ApplyConfigToWindow(CMyDlgPrivate& dlg, const config::ConfigRecord& record, bool withCalibration) {
    WindowServices& w = dlg.Window();
    const int model = w.GetCurSel(id::ModelList);
    if (std::string why = config::CheckModelAccepts(model, record); !why.empty()) return why;
    const config::ParamFields& f = record.fields;
    const int position = config::PositionOfRow(model, config::RowOfCode(f.inputType));

    // The texts are formatted for the file's own range, as a second read of
    // the same block shows them, not with whatever range the window had.
    const auto format = [&](double x) {
        return config::FormatFixed(x, config::RangeDecimals(std::fabs(f.rangeZero - f.rangeFull)));
    };
    WindowSettings& v = dlg.Values;
    w.SetCurSel(id::InputType, position);
    v.cjc = f.cjcMode != 0 ? 0 : 1;
    v.wiring = f.wireCount - 2;
    v.Text(id::RangeZero) = format(f.rangeZero);
    v.Text(id::RangeFull) = format(f.rangeFull);
    // An update sends the file's values, not the device's that happen to
    // show the same rounded text.
    namespace at = config::offset;
    dlg.ShownValues.RememberFloat(at::rangeZero, v.Text(id::RangeZero), f.rangeZero);
    dlg.ShownValues.RememberFloat(at::rangeFull, v.Text(id::RangeFull), f.rangeFull);
    w.SetCurSel(id::Damping, f.dampingLevel);
    v.breakAlarm = f.breakAlarm != 0 ? 1 : 0;
    v.outputDirection = f.outputDirection != 0 ? 0 : 1;
    v.Text(id::Offset) = config::IntToText(f.offsetCorrection);
    if (withCalibration) {
        v.Text(id::ResistanceCal) = format(static_cast<double>(f.resistanceCal) / config::kResistanceCalScale);
        dlg.ShownValues.RememberFloat(at::resistanceCal, v.Text(id::ResistanceCal), f.resistanceCal);
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
    return {};
}

}  // namespace orv::app
