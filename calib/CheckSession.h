#pragma once
// One calibration check as it runs, point by point, fed with the measured
// values of a once-a-second poll by whoever owns the line: the window's
// "Auto Upload" poll, or the command line's own. It knows no device and no
// clock; the poll's period is its time base (the settle time is counted in
// readings).
//
// A point: the user applies the nominal value and accepts the reference
// value the reference instrument shows (the nominal when left empty), and
// optionally the output current read on a meter. Readings taken from then on
// count: the point is recorded as soon as the last N of them agree within a
// quarter of the tolerance, or, with the last N as they are, when the settle
// time is over or the user cuts the wait short.
//
//   CheckSession s(setup);
//   if (auto why = s.BeginRun(RunKind::AsFound, block, now); !why.empty()) ...
//   while (s.Running()) { show s.Nominal(), s.Live(), s.Steady();
//                         s.Accept("325.1", ""); ... s.OnReading(value); }
//   SaveCheckRecord(path, s.Record());
#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calib/CheckMath.h"
#include "calib/CheckRecord.h"
#include "calib/CheckSetup.h"
#include "config/ParamImage.h"

namespace orv::calib {

class CheckSession {
public:
    explicit CheckSession(CheckSetup setup = {});

    // Every run of a record is measured against the same points and limit,
    // so the set-up can change only while the record holds no run. Returns
    // what is wrong with it (and keeps the old one), or nothing.
    std::vector<std::string> SetSetup(const CheckSetup& setup);
    // Drops the runs, keeping the set-up, for the next device. Ends a run.
    void NewRecord();
    // Continues a record opened from a file: further runs are added to it.
    void Open(CheckRecord record);

    // Starts a run on the parameter block the device holds now. Returns why
    // it cannot: a problem of the set-up, a range of zero span or not a
    // number, an input type the tool does not know, a run already running.
    std::string BeginRun(RunKind kind, std::span<const std::uint8_t, config::kParamBlockSize> block,
                         std::string startedAt);

    bool Running() const { return running_; }
    // The current point of the running run (or, after it, of the last run).
    std::size_t PointIndex() const { return index_; }
    std::size_t PointCount() const { return planned_.size(); }
    float PointPercent() const;
    float Nominal() const;
    const CheckRange& Range() const { return range_; }
    const std::string& Unit() const { return unit_; }
    // The last measured value the poll brought.
    std::optional<float> Live() const { return live_; }
    // The last N readings at this point (from the accept on, once a
    // reference is accepted) agree within the band.
    bool Steady() const;
    // A reference is accepted and the point waits for its readings.
    bool Settling() const { return settling_; }
    int SettleSecondsLeft() const;

    // Returns why it refuses: no run, a reference or current that is not a
    // number. Accepting again while settling replaces the values and starts
    // the wait again.
    std::string Accept(std::string_view referenceText, std::string_view meterCurrentText);
    // Takes the point with the next N readings, steady or not.
    void CutShort();
    void OnReading(float measured);
    // Ends the running run before its last point; it keeps every point
    // measured and stays incomplete, with why.
    void Stop(std::string why);

    const CheckRecord& Record() const { return record_; }

private:
    void TakePoint(Settle settle);

    CheckRecord record_;
    bool running_ = false;
    std::vector<float> planned_;
    std::size_t index_ = 0;
    CheckRange range_;
    std::string unit_;
    double band_ = 0.0;
    std::optional<float> live_;
    std::deque<float> recent_;  // the last N readings at this point
    bool settling_ = false;
    float reference_ = 0.0f;
    std::optional<float> meterCurrent_;
    int sinceAccept_ = 0;
    bool cutShort_ = false;
};

}  // namespace orv::calib
