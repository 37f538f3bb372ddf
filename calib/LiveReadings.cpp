#include "calib/LiveReadings.h"

#include <utility>

namespace orv::calib {

LiveReadings::LiveReadings(std::function<WallTime()> now, std::function<std::string()> unit)
    : now_(std::move(now)), unit_(std::move(unit)) {}

void LiveReadings::StartRecording(const std::filesystem::path& file) {
    StopRecording();  // the old file is closed before a new one may replace it
    StartRecording(std::make_unique<ReadingRecorder>(file));
}

void LiveReadings::StartRecording(std::unique_ptr<ReadingRecorder> recorder) {
    if (recorder_) ended_ = EndedRecording{recorder_->File(), recorder_->Count(), {}};
    recorder_ = std::move(recorder);
    if (onChange) onChange();
}

void LiveReadings::StopRecording() {
    // One that never opened its file did not run.
    if (recorder_ && recorder_->Error().empty()) ended_ = EndedRecording{recorder_->File(), recorder_->Count(), recorder_->Error()};
    recorder_.reset();
    if (onChange) onChange();
}

void LiveReadings::OnMeasurement(const protocol::MeasureBlock& block) {
    const WallTime t = now_();
    StampedReading reading{FormatIsoTime(t.ms, t.offsetMinutes), block, unit_ ? unit_() : std::string{}};
    // A poll stopped and started again by hand leaves time nobody measured,
    // just as a missed poll does.
    // A clock set back starts a run of its own too: each run runs forward.
    if (const auto last = series_.LastMs(); last && (t.ms - *last > kLongestPollGapMs || t.ms < *last))
        series_.BreakRun();
    series_.Add({t.ms, block.measured, block.ambient});
    std::optional<EndedRecording> failed;
    if (recorder_) {
        recorder_->Write(reading.isoTime, block, reading.unit);
        if (!recorder_->Error().empty()) {
            failed = EndedRecording{recorder_->File(), recorder_->Count(), recorder_->Error()};
            ended_ = failed;
            recorder_.reset();
        }
    }
    last_.push_back(std::move(reading));
    if (last_.size() > kKeptForReport) last_.pop_front();
    if (onChange) onChange();
    // Last: the message may run a loop of its own, in which further readings arrive.
    if (failed && onRecordingFailed) onRecordingFailed(*failed);
}

void LiveReadings::OnPollMissed() {
    series_.BreakRun();
    if (onChange) onChange();
}

}  // namespace orv::calib
