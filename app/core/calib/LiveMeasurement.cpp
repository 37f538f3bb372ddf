// "Auto Upload" / "Stop Upload": the once-a-second poll of the live readings.
#include <array>
#include <span>
#include <string>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "protocol/MeasureBlock.h"
#include "protocol/RequestTimers.h"

namespace orv::app {

namespace {

using protocol::kPollIntervalMs;

// Positions from here on in a thermocouple-first list are not thermocouples,
// and without a cold junction the ambient reading means nothing.
constexpr int kFirstNonThermocouplePosition = 8;

// The buttons whose requests would displace a poll, in the order they are
// locked. The first two, the CJC and wiring updates, are given back by the
// type rules rather than directly, since the input type may not allow them.
constexpr std::array kPollLocked{
    id::UpdateCjc,
    id::UpdateWiring,
    id::UploadParams,
    id::Restart,
    id::FollowMeasurement,
    id::RecFactory,
    id::UpdateInputType,
    id::UpdateZero,
    id::UpdateFull,
    id::UpdateOffset,
    id::UpdateDamping,
    id::UpdateBreakAlarm,
    id::UpdateOutputDirection,
    id::AutoUpload,
};
constexpr std::size_t kRulesDecide = 2;  // the leading entries the type rules own

// Further buttons that send requests, locked as well: a click shortly before
// a tick had its request displaced by the poll's, and the device's stored
// write ended as "Time Out". Each gets back the state it had before the poll
// (the batch write stays off until the first write, the factory panel's
// buttons are off outside the factory build). The calibration view and
// update buttons are kept off by the type rules while the poll runs.
constexpr std::array kPollLockedBeyond{
    id::UpdateAll,     id::UpdateAllSettings, id::UpdateModel,    id::SimulateZero,
    id::SimulateFull,  id::UpdateOut1Zero,    id::UpdateOut1Full,
};

}  // namespace

void CMyDlgPrivate::OnAutoUpload() {
    DisableUpdateControls();
    MeasureStep = 0;
    PollMissed = false;
    window_.SetTimer(id::TimerPoll, kPollIntervalMs);
}

void CMyDlgPrivate::OnStopUpload() { EndPoll(PollEnd::Stopped); }

void CMyDlgPrivate::EndPoll(PollEnd how) {
    const bool wasPolling = Polling;
    window_.KillTimer(id::TimerPoll);
    EnableUpdateControls();
    if (wasPolling) Notify([how](DialogObserver& o) { o.OnPollEnded(how); });
}

void CMyDlgPrivate::PollTick() {
    if (PollMissed) {
        // Stopped before the box: its nested loop would deliver more ticks.
        EndPoll(PollEnd::Missed);
        // Before the box: listeners mark the gap while it waits for OK.
        Notify([](DialogObserver& o) { o.OnPollMissed(); });
        window_.MessageBox("Time Out !", MessageIcon::Exclamation);
        return;
    }
    // Set before sending: if the send throws, the next tick ends the poll.
    PollMissed = true;
    SendReadMeasure();
}

void CMyDlgPrivate::ShowMeasurement() {
    const auto block = protocol::DecodeMeasureBlock(std::span<const std::uint8_t, 18>(ReceiveBuffer.data() + 3, 18));
    for (std::size_t k = 0; k < block.raw.size(); ++k)
        Values.Text(id::Rv0 + static_cast<int>(k)) = std::to_string(block.raw[k]);
    // The test is on the list position, not the device code: the two-entry
    // voltage/current list stays below 8 and so shows a number.
    Values.Text(id::AmbientValue) = window_.GetCurSel(id::InputType) < kFirstNonThermocouplePosition
                                        ? FormatRangeValue(block.ambient)
                                        : std::string("NC");
    Values.Text(id::MeasuredValue) = FormatRangeValue(block.measured);
    ShowSettings();
}

void CMyDlgPrivate::DisableUpdateControls() {
    for (int control : kPollLocked) window_.EnableControl(control, false);
    if (!Polling) {
        pollHeld_.clear();
        for (int control : kPollLockedBeyond)
            if (window_.IsControlEnabled(control)) pollHeld_.push_back(control);
    }
    Polling = true;
    for (int control : kPollLockedBeyond) window_.EnableControl(control, false);
    ApplyTypeRules(window_.GetCurSel(id::ModelList), window_.GetCurSel(id::InputType));
}

void CMyDlgPrivate::EnableUpdateControls() {
    for (std::size_t i = kRulesDecide; i < kPollLocked.size(); ++i) window_.EnableControl(kPollLocked[i], true);
    if (Polling) {
        for (int control : pollHeld_) window_.EnableControl(control, true);
        pollHeld_.clear();
        Polling = false;
    }
    ApplyTypeRules(window_.GetCurSel(id::ModelList), window_.GetCurSel(id::InputType));
}

}  // namespace orv::app
