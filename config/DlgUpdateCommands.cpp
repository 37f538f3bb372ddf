// The buttons that write slices of the block, and "Load Buffer".
#include "app/core/CMyDlg.h"
#include "app/core/ControlIds.h"

namespace orv::app {

namespace {
constexpr unsigned kWriteTimeoutMs = 5000;
}

void CMyDlg::WriteParamSlice(std::uint8_t start, std::uint8_t count) {
    // The whole image is re-encoded whatever the slice, so the bytes sent are
    // always what the window shows now.
    EncodeParams();
    SendWriteParams(start, count);
    window_.SetTimer(id::TimerWrite, kWriteTimeoutMs);
}

void CMyDlg::OnLoadBuffer() {
    window_.SetCurSel(id::InputType, SettingsBuffer.inputType);
    Values.cjc = SettingsBuffer.cjc;
    Values.wiring = SettingsBuffer.wiring;
    Values.Text(id::RangeZero) = SettingsBuffer.zeroText;
    Values.Text(id::RangeFull) = SettingsBuffer.fullText;
    window_.SetCurSel(id::Damping, SettingsBuffer.damping);
    Values.breakAlarm = SettingsBuffer.breakAlarm;
    Values.outputDirection = SettingsBuffer.outputDirection;
    ShowSettings();
}

}  // namespace orv::app
