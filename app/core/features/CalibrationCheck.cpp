#include "app/core/features/CalibrationCheck.h"

#include <exception>
#include <utility>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/features/FileFeatures.h"
#include "calib/CheckRecordFile.h"
#include "config/ConfigFile.h"

namespace orv::app {

namespace {

std::string RunName(calib::RunKind kind) { return kind == calib::RunKind::AsFound ? "as-found" : "as-left"; }

}  // namespace

CalibrationCheck::CalibrationCheck(CMyDlg& dlg, std::function<std::string()> now)
    : CalibrationCheck(CMyDlgPrivate::Of(dlg), std::move(now)) {}

CalibrationCheck::CalibrationCheck(CMyDlgPrivate& dlg, std::function<std::string()> now)
    : dlg_(dlg), now_(now ? std::move(now) : std::function<std::string()>(config::IsoTimestampNow)) {
    dlg_.AddObserver(this);
}

CalibrationCheck::~CalibrationCheck() {
    dlg_.RemoveObserver(this);
    // The poll was the check's: left running, it would lock the window's
    // buttons for a check nobody sees any more.
    if (phase_ == Phase::Measuring) dlg_.OnStopUpload();
}

void CalibrationCheck::Changed() {
    if (onChange) onChange();
}

std::vector<std::string> CalibrationCheck::SetSetup(const calib::CheckSetup& setup) {
    if (phase_ != Phase::Idle) return {"The set-up cannot change while a run is in progress."};
    auto problems = session_.SetSetup(setup);
    Changed();
    return problems;
}

void CalibrationCheck::NewRecord() {
    if (phase_ != Phase::Idle) Abort();
    session_.NewRecord();
    notice_.clear();
    Changed();
}

std::string CalibrationCheck::StartRun(calib::RunKind kind) {
    if (phase_ != Phase::Idle) return "A run is in progress: finish or abort it first.";
    if (const auto problems = calib::SetupProblems(session_.Record().setup); !problems.empty()) return problems.front();
    CMyDlgPrivate& d = dlg_;
    try {
        // The run's own read and poll replace the user's: a poll left running
        // would displace the read of the block.
        if (d.Polling) d.OnStopUpload();
        d.OnUploadParams();
    } catch (const std::exception& e) {
        return std::string("Cannot read the device to start the check: ") + e.what();
    }
    phase_ = Phase::ReadingDevice;
    startingKind_ = kind;
    notice_ = "Reading the device's settings...";
    Changed();
    return {};
}

void CalibrationCheck::OnParamsRead(std::span<const std::uint8_t, config::kParamBlockSize> block) {
    if (phase_ != Phase::ReadingDevice) return;
    phase_ = Phase::Idle;
    notice_ = session_.BeginRun(startingKind_, block, now_());
    if (notice_.empty()) {
        dlg_.OnAutoUpload();
        phase_ = Phase::Measuring;
    }
    Changed();
}

void CalibrationCheck::OnParamsMissed() {
    if (phase_ != Phase::ReadingDevice) return;
    phase_ = Phase::Idle;
    notice_ = "The device did not answer the read of its settings; the run did not start.";
    Changed();
}

void CalibrationCheck::OnMeasurement(const protocol::MeasureBlock& block) {
    if (phase_ != Phase::Measuring) return;
    session_.OnReading(block.measured);
    if (!session_.Running()) RunEnded();
    Changed();
}

void CalibrationCheck::OnPollEnded(PollEnd how) {
    if (phase_ != Phase::Measuring) return;
    session_.Stop(how == PollEnd::Missed     ? "the device stopped answering"
                  : how == PollEnd::LineLost ? "the line to the device was lost"
                                             : "the poll was stopped with \"Stop Upload\"");
    RunEnded();
    Changed();
}

std::string CalibrationCheck::Accept(std::string_view reference, std::string_view meterCurrent) {
    if (phase_ != Phase::Measuring) return "No run is in progress.";
    std::string why = session_.Accept(reference, meterCurrent);
    Changed();
    return why;
}

void CalibrationCheck::CutShort() {
    if (phase_ != Phase::Measuring) return;
    session_.CutShort();
    if (!session_.Running()) RunEnded();
    Changed();
}

void CalibrationCheck::Abort() {
    if (phase_ == Phase::Idle) return;
    if (phase_ == Phase::Measuring) {
        session_.Stop("aborted by the user");
        RunEnded();
    } else {
        // The block may still come; the run it was for is no more.
        phase_ = Phase::Idle;
        notice_ = "The run did not start.";
    }
    Changed();
}

void CalibrationCheck::RunEnded() {
    // Idle first: stopping the poll reports its end back here.
    phase_ = Phase::Idle;
    CMyDlgPrivate& d = dlg_;
    if (d.Polling) d.OnStopUpload();
    const calib::CheckRecord& record = session_.Record();
    const calib::CheckRun& run = record.runs.back();
    const std::size_t planned = calib::PlannedPoints(record.setup).size();
    std::size_t failed = 0;
    for (const auto& p : run.points) failed += p.pass ? 0 : 1;
    if (calib::IsComplete(run, record.setup)) {
        notice_ = "The " + RunName(run.kind) + " run is complete: " +
                  (failed == 0 ? std::string("every point passed.")
                               : std::to_string(failed) + " of " + std::to_string(planned) + " points failed.");
    } else {
        notice_ = "The " + RunName(run.kind) + " run stopped at point " + std::to_string(run.points.size() + 1) +
                  " of " + std::to_string(planned) + ": " + run.stopped + ". The " + std::to_string(run.points.size()) +
                  " points measured are kept; the run is incomplete.";
    }
}

std::string CalibrationCheck::SaveRecord(const std::filesystem::path& file) const {
    calib::CheckRecord record = session_.Record();
    record.tool = kToolName;
    record.savedAt = now_();
    return calib::SaveCheckRecord(file, record);
}

std::string CalibrationCheck::OpenRecord(const std::filesystem::path& file) {
    if (phase_ != Phase::Idle) return "Finish or abort the run before opening a record.";
    calib::CheckRecordLoad loaded = calib::LoadCheckRecord(file);
    if (!loaded.record) return loaded.error;
    session_.Open(std::move(*loaded.record));
    notice_.clear();
    Changed();
    return {};
}

}  // namespace orv::app
