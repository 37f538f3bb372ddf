// The five "校准值查看" view steps of the factory panel: read the raw readings,
// derive one input calibration constant and show it in its field. Only the
// step's update button sends the constant to the device.
#include <span>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "calib/CalibrationMath.h"
#include "config/TextConversions.h"
#include "protocol/MeasureBlock.h"
#include "protocol/RequestTimers.h"

namespace orv::app {

namespace {
constexpr int kFirstStep = 1;
constexpr int kLastStep = 5;
}  // namespace

void CMyDlgPrivate::StartCalibrationView(int step) {
    if (step < kFirstStep || step > kLastStep) return;
    // Set before sending: the answer can only be routed by what is set now.
    MeasureStep = step;
    SendReadMeasure();
    window_.SetTimer(id::TimerViewBase + step, protocol::kViewStepTimeoutMs);
}

void CMyDlgPrivate::ApplyCalibrationView(int step) {
    // The reference entries count as typed, without an update press.
    CollectSettings();
    const auto raw = protocol::DecodeMeasureBlock(std::span<const std::uint8_t, 18>(ReceiveBuffer.data() + 3, 18)).raw;

    switch (step) {
        case 1: {
            const auto result =
                calib::ResistanceCalibration(config::TextToFloat(Values.Text(id::RefResistance)), raw[0], raw[3]);
            if (result.fault != calib::StepFault::None) {
                window_.MessageBox(calib::StepFaultText(step, result.fault), MessageIcon::Exclamation);
                return;
            }
            ShowRangeValue(id::ResistanceCal, result.value);
            break;
        }
        case 2:
            Values.Text(id::MillivoltCal) = config::IntToText(raw[1]);
            break;
        case 3: {
            const auto result = calib::AmbientCalibration(config::TextToFloat(Values.Text(id::RefTemperature)), raw[4]);
            if (result.fault != calib::StepFault::None) {
                window_.MessageBox(calib::StepFaultText(step, result.fault), MessageIcon::Exclamation);
                return;
            }
            Values.Text(id::AmbientCal) = config::IntToText(result.value);
            break;
        }
        case 4:
            // The voltage channel reports on the same raw reading as millivolts.
            Values.Text(id::VoltageCal) = config::IntToText(raw[1]);
            break;
        case 5:
            Values.Text(id::CurrentCal) = config::IntToText(raw[2]);
            break;
        default:
            return;
    }
    ShowSettings();
}

}  // namespace orv::app
