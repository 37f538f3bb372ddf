#pragma once
// Hands the poll's readings from the dialog to the store the trend, the
// recording and the report read, which knows nothing of the dialog.
#include "app/core/DialogObserver.h"
#include "calib/LiveReadings.h"

namespace orv::app {

class ReadingsFeed : public DialogObserver {
public:
    explicit ReadingsFeed(calib::LiveReadings& live) : live_(live) {}
    void OnMeasurement(const protocol::MeasureBlock& block) override { live_.OnMeasurement(block); }
    void OnPollMissed() override { live_.OnPollMissed(); }

private:
    calib::LiveReadings& live_;
};

}  // namespace orv::app
