#pragma once
// A listener for what the dialog takes in from the device, for the features
// that sit beside the window (saved configurations, the trend, the report).
// It is told after the dialog has done everything it does anyway, and it has
// no way to steer it: with or without listeners the window behaves the same.
#include <cstdint>
#include <span>

#include "config/ParamImage.h"
#include "protocol/MeasureBlock.h"

namespace orv::app {

enum class PollEnd { Stopped, Missed, LineLost };

class DialogObserver {
public:
    virtual ~DialogObserver() = default;
    // An accepted parameter block, after it has been shown in the window.
    virtual void OnParamsRead(std::span<const std::uint8_t, config::kParamBlockSize> /*block*/) {}
    // An accepted live reading of the poll, after it has been shown.
    virtual void OnMeasurement(const protocol::MeasureBlock& /*block*/) {}
    // The poll ended because its last request went unanswered.
    virtual void OnPollMissed() {}
    // The poll ended, whichever way: "Stop Upload", a missed answer (told
    // before OnPollMissed) or the line lost.
    virtual void OnPollEnded(PollEnd /*how*/) {}
    // A read of the parameter block went unanswered ("Time Out").
    virtual void OnParamsMissed() {}
};

}  // namespace orv::app
