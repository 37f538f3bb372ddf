#pragma once
// What the poll brings in, kept for the features beside the window: the
// trend's runs, the last readings for the device report, and the CSV
// recording while one runs. Time comes from outside, so tests drive it on a
// virtual clock and the front end on the wall clock.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "protocol/MeasureBlock.h"
#include "calib/ReadingRecorder.h"
#include "calib/TrendSeries.h"

namespace orv::calib {

struct WallTime {
    std::int64_t ms;    // since the epoch
    int offsetMinutes;  // of local time from UTC
};

struct StampedReading {
    std::string isoTime;
    protocol::MeasureBlock block;
    std::string unit;
};

// How a recording ended: stopped by the user, or failed (error says why).
struct EndedRecording {
    std::filesystem::path file;
    std::size_t count = 0;
    std::string error;
};

class LiveReadings {
public:
    static constexpr std::size_t kKeptForReport = 10;
    // Readings come once a second; further apart, the curve breaks.
    static constexpr std::int64_t kLongestPollGapMs = 2500;

    // unit gives the measured value's unit as the window shows it now.
    LiveReadings(std::function<WallTime()> now, std::function<std::string()> unit);

    // Replaces a recording that runs; Recorder()->Error() says if it failed to start.
    void StartRecording(const std::filesystem::path& file);
    void StartRecording(std::unique_ptr<ReadingRecorder> recorder);
    void StopRecording();
    // The recording that runs; none once it has ended, by the user or by a failed write.
    const ReadingRecorder* Recorder() const { return recorder_.get(); }
    const std::optional<EndedRecording>& LastEnded() const { return ended_; }

    // Called once when a write fails, after the recording has ended.
    std::function<void(const EndedRecording&)> onRecordingFailed;

    const TrendSeries& Series() const { return series_; }
    // Oldest first, at most kKeptForReport.
    const std::deque<StampedReading>& Last() const { return last_; }

    // Called after every change, for a window that draws the readings.
    std::function<void()> onChange;

    // A reading of the poll, stamped with the time it arrived.
    void OnMeasurement(const protocol::MeasureBlock& block);
    // The poll lost a reading: the curve breaks here.
    void OnPollMissed();

private:
    std::function<WallTime()> now_;
    std::function<std::string()> unit_;
    TrendSeries series_;
    std::deque<StampedReading> last_;
    std::unique_ptr<ReadingRecorder> recorder_;
    std::optional<EndedRecording> ended_;
};

}  // namespace orv::calib
