// Input type list, model list and the buttons that depend on them.
#include <array>
#include <initializer_list>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/InputTypeCatalogue.h"

namespace orv::app {

namespace {

using namespace config;

constexpr const char* kUnsupportedType = "Device does not support the Input Type, need to reinstall Input types";
constexpr const char* kTypeAnomaly = "Device input type choice anomaly";

struct GroupControls {
    ButtonGroup group;
    std::array<int, 2> controls;  // 0 marks an unused slot
};

constexpr std::array<GroupControls, 8> kGroupControls{{
    {kCjcUpdate, {id::UpdateCjc, 0}},
    {kWiringUpdate, {id::UpdateWiring, 0}},
    {kMillivoltCalibration, {id::ViewMillivolt, id::UpdateMillivolt}},
    {kAmbientCalibration, {id::ViewAmbient, id::UpdateAmbient}},
    {kResistanceCalibration, {id::ViewResistance, id::UpdateResistance}},
    {kVoltageCalibration, {id::ViewVoltage, id::UpdateVoltage}},
    {kCurrentCalibration, {id::ViewCurrent, id::UpdateCurrent}},
    {kOutput2Trim, {id::UpdateOut2Zero, id::UpdateOut2Full}},
}};

}  // namespace

int CMyDlgPrivate::CodeToTypeIndex(int model, int code) {
    const int asModel = MappingModel(model);
    int row = RowOfCode(code);
    if (row == kNoRow && code >= 0 && code <= HighestCode()) {
        if (const ModelRow* m = FindModel(asModel); m && m->catchAllRow) row = *m->catchAllRow;
    }
    const int position = row == kNoRow ? kNoRow : PositionOfRow(asModel, row);
    if (position == kNoRow) window_.MessageBox(kUnsupportedType, MessageIcon::Exclamation);
    return position;
}

int CMyDlgPrivate::TypeIndexToCode(int model, int position) {
    const ModelRow* m = FindModel(model);
    if (!m) {
        window_.MessageBox(kTypeAnomaly, MessageIcon::Exclamation);
        return position;
    }
    if (position < 0) {
        if (m->warnsWhenUnselected) window_.MessageBox(kUnsupportedType, MessageIcon::Exclamation);
        return position;
    }
    int row = RowAtPosition(model, position);
    if (row == kNoRow && m->catchAllRow) row = *m->catchAllRow;
    if (row == kNoRow) {
        window_.MessageBox(kUnsupportedType, MessageIcon::Exclamation);
        return position;
    }
    return InputTypes()[static_cast<std::size_t>(row)].code;
}

void CMyDlgPrivate::FillInputTypeList(int model, int position) {
    window_.ResetContent(id::InputType);
    if (!FindModel(model)) return;
    const int size = ListSize(model);
    for (int p = 0; p < size; ++p)
        window_.AddString(id::InputType, std::string(InputTypes()[static_cast<std::size_t>(RowAtPosition(model, p))].modelText));
    const int last = size - 1;
    window_.SetCurSel(id::InputType, position > last ? last : (position >= 0 ? position : -1));
}

void CMyDlgPrivate::ApplyTypeRules(int model, int position) {
    unsigned enabled = 0;
    if (const ModelRow* m = FindModel(model); m && position >= 0) {
        if (const int row = RowAtPosition(model, position); row != kNoRow)
            enabled |= InputTypes()[static_cast<std::size_t>(row)].buttons;
        if (m->outputs == 2) enabled |= kOutput2Trim;
    }
    // Every button here sends a request that would displace a running poll's
    // (a false "Time Out" for a write the device stored); the poll's end
    // applies the rules again.
    if (Polling) enabled = 0;
    for (const auto& g : kGroupControls)
        for (int control : g.controls)
            if (control != 0) window_.EnableControl(control, (enabled & g.group) != 0);
}

void CMyDlgPrivate::ShowUnitLabels(int model, int position) {
    if (const int row = RowAtPosition(MappingModel(model), position); row != kNoRow) {
        const auto& type = InputTypes()[static_cast<std::size_t>(row)];
        for (int label : {id::UnitZero, id::UnitFull, id::UnitOffset, id::UnitMeasured})
            Values.Text(label) = std::string(type.unit);
        Values.Text(id::UnitAmbient) = std::string(type.ambientUnit);
    }
    // Always redisplay: the labels are part of the bound values, and a field
    // typed into but not taken over goes back to the tool's copy.
    ShowSettings();
}

void CMyDlgPrivate::OnInputTypeChanged() {
    const int model = window_.GetCurSel(id::ModelList);
    const int position = window_.GetCurSel(id::InputType);
    ApplyTypeRules(model, position);
    ShowUnitLabels(model, position);
}

void CMyDlgPrivate::OnModelChanged() {
    const int model = window_.GetCurSel(id::ModelList);
    FillInputTypeList(model, -1);
    ApplyTypeRules(model, -1);
}

}  // namespace orv::app
