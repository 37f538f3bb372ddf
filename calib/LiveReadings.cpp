#include "calib/LiveReadings.h"

#include <utility>

namespace orv::calib {

LiveReadings::LiveReadings(std::function<WallTime()> now, std::function<std::string()> unit)
    : now_(std::move(now)), unit_(std::move(unit)) {}

void LiveReadings::StartRecording(const std::filesystem::path& file) {
    recorder_.reset();  // the old file is closed before a new one may replace it
    recorder_ = std::make_unique<ReadingRecorder>(file);
    if (onChange) onChange();
}

void LiveReadings::StopRecording() {
    recorder_.reset();
    if (onChange) onChange();
}

void LiveReadings::OnMeasurement(const protocol::MeasureBlock& block) {
    const WallTime t = now_();
    StampedReading reading{FormatIsoTime(t.ms, t.offsetMinutes), block, unit_ ? unit_() : std::string{}};
    // A poll stopped and started again by hand leaves time nobody measured,
    // just as a missed poll does.
    if (const auto last = series_.LastMs(); last && t.ms - *last > kLongestPollGapMs) series_.BreakRun();
    series_.Add({t.ms, block.measured, block.ambient});
    if (recorder_) recorder_->Write(reading.isoTime, block, reading.unit);
    last_.push_back(std::move(reading));
    if (last_.size() > kKeptForReport) last_.pop_front();
    if (onChange) onChange();
}

void LiveReadings::OnPollMissed() {
    series_.BreakRun();
    if (onChange) onChange();
}

}  // namespace orv::calib
