// The buttons that write slices of the block, and "Load Buffer".
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "config/ParamFields.h"
#include "protocol/RequestTimers.h"

namespace orv::app {

void CMyDlgPrivate::WriteParamSlice(std::uint8_t start, std::uint8_t count) {
    // The whole image is re-encoded whatever the slice, so the bytes sent are
    // always what the window shows now.
    EncodeParams();
    SendWriteParams(start, count);
    window_.SetTimer(id::TimerWrite, protocol::kWriteParamsTimeoutMs);
}

void CMyDlgPrivate::OnLoadBuffer() {
    window_.SetCurSel(id::InputType, SettingsBuffer.inputType);
    Values.cjc = SettingsBuffer.cjc;
    Values.wiring = SettingsBuffer.wiring;
    Values.Text(id::RangeZero) = SettingsBuffer.zeroText;
    Values.Text(id::RangeFull) = SettingsBuffer.fullText;
    // The buffer was taken by the same encode that last filled the image, so
    // the image holds exactly what these texts were written as. The restored
    // texts stand for those values again, not for a value read since.
    ShownValues.Remember(config::offset::rangeZero, 4, SettingsBuffer.zeroText, ParamImage.bytes);
    ShownValues.Remember(config::offset::rangeFull, 4, SettingsBuffer.fullText, ParamImage.bytes);
    window_.SetCurSel(id::Damping, SettingsBuffer.damping);
    Values.breakAlarm = SettingsBuffer.breakAlarm;
    Values.outputDirection = SettingsBuffer.outputDirection;
    ShowSettings();
}

}  // namespace orv::app
