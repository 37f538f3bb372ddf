#pragma once
// What the check window shows and what its controls do, for both front
// ends: the set-up form (kept between runs of the program), the current
// point, the points table, the result and the last notice, and which
// controls are usable. A front end fills its widgets from here whenever
// onChange fires and hands every press and edit back; it decides nothing.
//
//   CheckWindowModel model(dlg, UserConfigFolder() / kCheckSetupFileName);
//   model.onChange = [&] { redraw from model.Form(), Point(), Rows(), ... };
//   model.Edit(typedForm); model.Start(calib::RunKind::AsFound);
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/CMyDlg.h"
#include "app/core/features/CalibrationCheck.h"
#include "app/core/features/CheckTexts.h"

namespace orv::app {

struct CheckPoint {
    std::string heading;  // "As found: point 2 of 5, 25 % of the range", or that no run is in progress
    std::string apply;    // the value to apply, with its unit; empty without a run
    std::string measured;  // the poll's last measured value, with its unit
    std::string state;     // "Steady", "Settling", "Settling: 57 s left"
    std::string referenceLabel;    // "Reference (℃):"
    std::string referenceDefault;  // the value to apply, as the reference edit starts
    // Changes when another point comes up: the front end then puts the
    // default into the reference edit and empties the current edit.
    std::uint64_t key = 0;
};

struct CheckControls {
    bool form = false;  // the set-up can still change: no run recorded
    bool start = false;
    bool accept = false;
    bool cutShort = false;
    bool abort = false;
    bool newCheck = false;
    bool open = false;
    bool save = false;
    bool certificate = false;
};

class CheckWindowModel {
public:
    // keptSetup: where the set-up is kept between runs of the program (empty:
    // nowhere). It is read now; a file that cannot be read is passed over
    // with a word in Problems(). now gives the time stamps and today's date.
    CheckWindowModel(CMyDlg& dlg, std::filesystem::path keptSetup, std::function<std::string()> now = {});
    CheckWindowModel(CMyDlgPrivate& dlg, std::filesystem::path keptSetup, std::function<std::string()> now = {});
    CheckWindowModel(const CheckWindowModel&) = delete;
    CheckWindowModel& operator=(const CheckWindowModel&) = delete;

    // The form's fields as they should show: the kept set-up at first, an
    // opened record's later. FormKey() changes whenever the front end must
    // show them again; between times the edits are the user's.
    const CheckForm& Form() const { return form_; }
    std::uint64_t FormKey() const { return formKey_; }
    // The user typed: what keeps the form from running is worked out again.
    void Edit(const CheckForm& form);
    // The form's problems, then anything to know about the kept set-up or the reference.
    std::vector<std::string> Problems() const;

    // The buttons. Each says what went wrong in Notice().
    void Start(calib::RunKind kind);
    void Accept(std::string_view reference, std::string_view meterCurrent);
    void CutShort();
    void Abort();
    void NewCheck();
    // The window closes: a run in progress ends, keeping what it measured.
    void Close();
    // Empty on success (the notice says where it went), else the message.
    std::string SaveRecord(const std::filesystem::path& file);
    std::string OpenRecord(const std::filesystem::path& file);

    CheckPoint Point() const;
    std::vector<CheckRow> Rows() const { return CheckRows(check_.Session().Record()); }
    std::string Result() const { return ResultText(check_.Session().Record()); }
    std::string Device() const { return DeviceText(check_.Session().Record()); }
    Shade ResultShade() const;
    const std::string& Notice() const { return notice_; }
    CheckControls Controls() const;

    const CalibrationCheck& Check() const { return check_; }

    std::function<void()> onChange;

private:
    void Changed();
    void ShowForm(const calib::CheckSetup& setup);

    CalibrationCheck check_;
    std::function<std::string()> now_;
    std::filesystem::path keptSetup_;
    std::string keptText_;  // the set-up as the file holds it, so an unchanged one is not written again
    std::string keptNotice_;
    CheckForm form_;
    std::uint64_t formKey_ = 0;
    std::vector<std::string> formProblems_;
    std::string notice_;
    std::string lastCheckNotice_;
};

}  // namespace orv::app
