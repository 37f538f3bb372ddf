#pragma once
// The calibration check beside the window, on the window's own line: a run
// reads the device's block as "Upload Para." does, then measures on the
// "Auto Upload" poll, so the device sees exactly the requests the window
// sends anyway and nothing new. The check starts and stops that poll itself;
// while it runs, the poll's lock keeps the update buttons off, so nothing
// changes the device in the middle of a run. Between runs the window is the
// user's for adjusting (offset, range, calibration and trims).
//
// Front ends show Session() and call the few actions below; onChange says
// when to draw again, Notice() what the user should read.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/CMyDlg.h"
#include "app/core/DialogObserver.h"
#include "calib/CheckSession.h"

namespace orv::app {

class CMyDlgPrivate;

namespace text {
inline constexpr char kCalibrationCheck[] = "Calibration Check...";
inline constexpr char kCheckRecordFiles[] = "Check records (*.json)";
}  // namespace text

class CalibrationCheck : public DialogObserver {
public:
    enum class Phase {
        Idle,           // no run; the window is the user's
        ReadingDevice,  // a run asked for the block and waits for it
        Measuring,      // the poll runs for the check
    };

    // Listens to dlg until destroyed; dlg must outlive it. now gives the
    // time stamps (ISO 8601 with the offset from UTC).
    explicit CalibrationCheck(CMyDlg& dlg, std::function<std::string()> now = {});
    explicit CalibrationCheck(CMyDlgPrivate& dlg, std::function<std::string()> now = {});
    ~CalibrationCheck() override;
    CalibrationCheck(const CalibrationCheck&) = delete;
    CalibrationCheck& operator=(const CalibrationCheck&) = delete;

    // What is wrong with the set-up (it is kept only when nothing is), or
    // why it cannot change now.
    std::vector<std::string> SetSetup(const calib::CheckSetup& setup);
    // A new record for the next device, with the same set-up; ends a run.
    void NewRecord();

    // Asks the device for its block and starts the run once it comes.
    // Returns why it cannot start; what goes wrong later (the device does
    // not answer, its range has zero span) ends in Notice().
    std::string StartRun(calib::RunKind kind);
    // The reference value (empty: the nominal value) and the output current
    // read on a meter (empty: none). Returns why it refuses.
    std::string Accept(std::string_view reference, std::string_view meterCurrent);
    // Takes the point with the next readings, steady or not.
    void CutShort();
    // Ends a run; the points measured are kept and the run is incomplete.
    void Abort();

    // Empty on success, else the message.
    std::string SaveRecord(const std::filesystem::path& file) const;
    // Refused while a run runs; a refused file leaves the record as it is.
    std::string OpenRecord(const std::filesystem::path& file);

    Phase CurrentPhase() const { return phase_; }
    const calib::CheckSession& Session() const { return session_; }
    // The last thing that happened for the user to read: a run complete or
    // ended early, and why.
    const std::string& Notice() const { return notice_; }

    std::function<void()> onChange;

    // DialogObserver
    void OnParamsRead(std::span<const std::uint8_t, config::kParamBlockSize> block) override;
    void OnParamsMissed() override;
    void OnMeasurement(const protocol::MeasureBlock& block) override;
    void OnPollEnded(PollEnd how) override;

private:
    void Changed();
    // After the session ended the run, by itself or told to.
    void RunEnded();

    CMyDlgPrivate& dlg_;
    std::function<std::string()> now_;
    calib::CheckSession session_;
    Phase phase_ = Phase::Idle;
    calib::RunKind startingKind_ = calib::RunKind::AsFound;
    std::string notice_;
};

}  // namespace orv::app
