#include "app/core/features/CheckWindowModel.h"

#include <utility>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/features/FileFeatures.h"
#include "calib/CheckMath.h"
#include "calib/CheckSetupFile.h"
#include "config/ConfigFile.h"

namespace orv::app {

CheckWindowModel::CheckWindowModel(CMyDlg& dlg, std::filesystem::path keptSetup, std::function<std::string()> now)
    : CheckWindowModel(CMyDlgPrivate::Of(dlg), std::move(keptSetup), std::move(now)) {}

CheckWindowModel::CheckWindowModel(CMyDlgPrivate& dlg, std::filesystem::path keptSetup, std::function<std::string()> now)
    : check_(dlg, now),
      now_(now ? std::move(now) : std::function<std::string()>(config::IsoTimestampNow)),
      keptSetup_(std::move(keptSetup)) {
    calib::CheckSetup setup;
    if (!keptSetup_.empty()) {
        const calib::CheckSetupLoad loaded = calib::LoadCheckSetup(keptSetup_);
        if (loaded.setup) {
            setup = *loaded.setup;
            keptText_ = calib::SerializeCheckSetup(setup);
        } else if (!loaded.error.empty()) {
            keptNotice_ = loaded.error + "; the usual set-up is shown instead.";
        }
    }
    check_.SetSetup(setup);
    ShowForm(setup);
    check_.onChange = [this] {
        // The check's own word on its runs replaces whatever was said before.
        if (check_.Notice() != lastCheckNotice_) notice_ = lastCheckNotice_ = check_.Notice();
        Changed();
    };
}

void CheckWindowModel::Changed() {
    if (onChange) onChange();
}

void CheckWindowModel::ShowForm(const calib::CheckSetup& setup) {
    form_ = FormOf(setup);
    formProblems_ = ReadForm(form_).problems;
    ++formKey_;
}

void CheckWindowModel::Edit(const CheckForm& form) {
    if (!Controls().form || form == form_) return;
    form_ = form;
    formProblems_ = ReadForm(form_).problems;
    Changed();
}

std::vector<std::string> CheckWindowModel::Problems() const {
    std::vector<std::string> out = formProblems_;
    if (!keptNotice_.empty()) out.push_back(keptNotice_);
    const calib::CheckSetup& setup = Controls().form ? ReadForm(form_).setup : check_.Session().Record().setup;
    if (calib::ReferenceOverdue(setup, now_()))
        out.push_back("The reference instrument's own certificate was due on " + setup.reference.dueDate + ".");
    return out;
}

void CheckWindowModel::Start(calib::RunKind kind) {
    if (Controls().form) {
        const FormReading typed = ReadForm(form_);
        std::vector<std::string> problems = typed.problems;
        if (problems.empty()) problems = check_.SetSetup(typed.setup);
        if (!problems.empty()) {
            notice_ = "The run did not start: " + problems.front();
            Changed();
            return;
        }
        if (!keptSetup_.empty()) {
            if (const std::string text = calib::SerializeCheckSetup(typed.setup); text != keptText_) {
                const std::string error = calib::SaveCheckSetup(keptSetup_, typed.setup);
                keptNotice_ = error.empty() ? std::string() : "The set-up is not kept for the next time. " + error;
                if (error.empty()) keptText_ = text;
            }
        }
    }
    if (const std::string why = check_.StartRun(kind); !why.empty()) {
        notice_ = "The run did not start: " + why;
        Changed();
    }
}

void CheckWindowModel::Accept(std::string_view reference, std::string_view meterCurrent) {
    // The default shown is the value to apply, rounded for the eye; left as
    // it is, it stands for that value exactly.
    if (reference == Point().referenceDefault) reference = {};
    if (std::string why = check_.Accept(reference, meterCurrent); !why.empty()) {
        notice_ = std::move(why);
        Changed();
    }
}

void CheckWindowModel::CutShort() { check_.CutShort(); }

void CheckWindowModel::Abort() { check_.Abort(); }

void CheckWindowModel::NewCheck() {
    check_.NewRecord();
    notice_.clear();
    Changed();
}

void CheckWindowModel::Close() {
    if (check_.CurrentPhase() != CalibrationCheck::Phase::Idle) check_.Abort();
}

std::string CheckWindowModel::SaveRecord(const std::filesystem::path& file) {
    std::string error = check_.SaveRecord(file);
    if (error.empty()) {
        notice_ = "The record is saved in \"" + PathText(file) + "\".";
        Changed();
    }
    return error;
}

std::string CheckWindowModel::OpenRecord(const std::filesystem::path& file) {
    std::string error = check_.OpenRecord(file);
    if (error.empty()) {
        ShowForm(check_.Session().Record().setup);
        notice_ = "The record \"" + PathText(file) + "\" is open; a new run is added to it.";
        Changed();
    }
    return error;
}

CheckPoint CheckWindowModel::Point() const {
    CheckPoint p;
    const calib::CheckSession& s = check_.Session();
    if (check_.CurrentPhase() == CalibrationCheck::Phase::ReadingDevice) {
        p.heading = "Reading the device's settings...";
        return p;
    }
    if (!s.Running()) {
        p.heading = "No run in progress.";
        return p;
    }
    const std::size_t runs = s.Record().runs.size();
    const calib::CheckRange& range = s.Range();
    const std::string unit = " " + s.Unit();
    p.heading = RunName(s.Record().runs.back().kind) + ": point " + std::to_string(s.PointIndex() + 1) + " of " +
                std::to_string(s.PointCount()) + ", " + calib::FloatText(s.PointPercent()) + " % of the range";
    p.referenceDefault = calib::FormatInRange(range, s.Nominal());
    p.apply = p.referenceDefault + unit;
    p.measured = s.Live() ? calib::FormatInRange(range, *s.Live()) + unit : "-";
    p.state = s.Settling() ? "Settling: " + std::to_string(s.SettleSecondsLeft()) + " s left"
                           : (s.Steady() ? "Steady" : "Settling");
    p.referenceLabel = "Reference (" + s.Unit() + "):";
    p.key = runs * 1000 + s.PointIndex() + 1;
    return p;
}

Shade CheckWindowModel::ResultShade() const {
    const calib::CheckRecord& record = check_.Session().Record();
    return record.runs.empty() ? Shade::Plain : ShadeOf(calib::RecordVerdict(record));
}

CheckControls CheckWindowModel::Controls() const {
    const CalibrationCheck::Phase phase = check_.CurrentPhase();
    const bool idle = phase == CalibrationCheck::Phase::Idle;
    const bool measuring = phase == CalibrationCheck::Phase::Measuring;
    const bool runs = !check_.Session().Record().runs.empty();
    CheckControls c;
    c.form = idle && !runs;
    c.start = idle;
    c.accept = measuring;
    c.cutShort = measuring && check_.Session().Settling();
    c.abort = !idle;
    c.newCheck = idle && runs;
    c.open = idle;
    c.save = runs;
    // Between runs only, so a certificate never shows a run still being measured.
    c.certificate = idle && runs;
    return c;
}

}  // namespace orv::app
