#include "cli/CheckJob.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "OrvaneVersion.h"
#include "calib/CheckMath.h"
#include "calib/CheckRecordFile.h"
#include "calib/CheckSession.h"
#include "cli/FilePath.h"
#include "cli/InputLines.h"
#include "config/ConfigFile.h"
#include "config/RangeFormat.h"

namespace orv::cli {

namespace {

using Clock = std::chrono::steady_clock;
using calib::CheckSession;

std::string InUnit(const calib::CheckRange& range, const std::string& unit, double value) {
    return calib::FormatInRange(range, value) + " " + unit;
}

std::string PercentText(double percent) { return config::FormatFixed(percent, 3); }

std::string PointName(std::size_t index, std::size_t count, float percent) {
    return "point " + std::to_string(index + 1) + " of " + std::to_string(count) + " (" + calib::FloatText(percent) +
           " %)";
}

std::string Outcome(const calib::PointResult& p, const calib::CheckRange& range, const std::string& unit) {
    return "measured " + InUnit(range, unit, p.measured) + ", error " + InUnit(range, unit, p.error) + " (" +
           PercentText(p.errorPercent) + " % of span): " + (p.pass ? "pass" : "fail");
}

// Why a run stopped, in the words the window's check uses.
std::string StopReason(const DeviceFailure& e) {
    switch (e.Kind()) {
        case FailureKind::TimeOut: return "the device stopped answering";
        case FailureKind::Port: return "the line to the device was lost";
        case FailureKind::BadAnswer: return "the device's answers did not pass the checks";
        default: return e.what();
    }
}

// "A sentence." and more: one message of clauses.
std::string Clauses(std::string first, const std::string& more) {
    while (!first.empty() && (first.back() == '.' || first.back() == ' ')) first.pop_back();
    if (first.empty()) return more;
    return more.empty() ? first : first + "; " + more;
}

std::string Kept(const calib::CheckRun& run, std::size_t planned) {
    const std::size_t n = run.points.size();
    return "the run stopped at point " + std::to_string(n + 1) + " of " + std::to_string(planned) + ", the " +
           std::to_string(n) + " point" + (n == 1 ? "" : "s") + " measured " + (n == 1 ? "is" : "are") + " kept";
}

// The prompt and the live value, drawn in place on a terminal; nothing
// elsewhere.
class TerminalView {
public:
    TerminalView(std::ostream* terminal, const CheckSession& session) : out_(terminal), session_(session) {}

    void Ask() {
        if (!out_) return;
        *out_ << "  live " << Live() << "\n  reference in " << session_.Unit() << " ["
              << calib::FormatInRange(session_.Range(), session_.Nominal()) << "]: " << std::flush;
        asking_ = true;
    }
    // The person's Enter has moved the cursor to the line below the prompt.
    void Accepted() { asking_ = false; }
    void Refused(const std::string& why) {
        if (!out_) return;
        *out_ << "  " << why << "\n";
        Ask();
    }
    void Reading() {
        if (!out_) return;
        if (asking_) {
            // The live line above the prompt, the cursor left where the person types.
            *out_ << "\x1b" "7\x1b[1A\r\x1b[K  live " << Live() << "\x1b" "8" << std::flush;
            return;
        }
        *out_ << "\r\x1b[K  settling, live " << Live()
              << (session_.Steady() ? std::string(" (steady)")
                                    : ", up to " + std::to_string(session_.SettleSecondsLeft()) + " readings more")
              << std::flush;
    }
    void PointTaken() {
        if (out_) *out_ << "\r\x1b[K" << std::flush;
    }

private:
    std::string Live() const {
        const auto live = session_.Live();
        return (live ? calib::FormatInRange(session_.Range(), *live) : std::string("-")) + " " + session_.Unit();
    }

    std::ostream* out_;
    const CheckSession& session_;
    bool asking_ = false;
};

std::string Column(const std::string& text, std::size_t width) {
    return text.size() >= width ? text + " " : std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string CheckTable(const calib::CheckRecord& record) {
    const calib::CheckRun& run = record.runs.back();
    const calib::CheckRange range = calib::RangeOf(run.block);
    const std::size_t planned = calib::PlannedPoints(record.setup).size();
    const std::string tolerance = calib::FloatText(record.setup.tolerance) + " % of span";
    std::string unit = std::string(config::UnitOfCode(run.block[config::InfoOf(config::Setting::InputType).offset]));
    std::string out = "calibration check, " + std::string(calib::RunKindWord(run.kind)) + ": range " +
                      InUnit(range, unit, range.zero) + " to " + InUnit(range, unit, range.full) + ", tolerance " +
                      tolerance + ", values in " + unit + "\n";
    out += "  point   nominal reference  measured     error   error %  settled      result\n";
    for (const calib::PointResult& p : run.points) {
        const auto value = [&](double v) { return Column(calib::FormatInRange(range, v), 10); };
        std::string settled(calib::SettleWord(p.settle));
        settled.resize(std::max<std::size_t>(settled.size() + 1, 13), ' ');
        out += Column(calib::FloatText(p.percent) + " %", 7) + value(p.nominal) + value(p.reference) +
               value(p.measured) + value(p.error) + Column(PercentText(p.errorPercent), 10) + "  " + settled +
               (p.pass ? "pass" : "fail") + "\n";
    }
    std::size_t failed = 0;
    for (const auto& p : run.points) failed += p.pass ? 0 : 1;
    switch (calib::RunVerdict(run, record.setup)) {
        case calib::Verdict::Pass: out += "result: pass, every point within " + tolerance + "\n"; break;
        case calib::Verdict::Fail:
            out += "result: fail, " + std::to_string(failed) + " of " + std::to_string(run.points.size()) +
                   " points measured outside " + tolerance + "\n";
            break;
        case calib::Verdict::Incomplete:
            out += "result: incomplete, " + std::to_string(run.points.size()) + " of " + std::to_string(planned) +
                   " points measured: " + run.stopped + "\n";
            break;
    }
    return out;
}

void RunCheck(DeviceLine& line, const JobContext& c, JobResult& r) {
    const Block block = ReadBlock(line, c, "reading the parameters");
    CheckSession session(c.options.check);
    if (const std::string why = session.BeginRun(calib::RunKind::AsFound, block, config::IsoTimestampNow()); !why.empty())
        throw DeviceFailure(FailureKind::Refused, Clauses(why, "nothing was measured"));
    r.textOnFailure = true;

    TerminalView view(c.terminal, session);
    InputLines input(c.input);
    const auto stop = [&c] { return c.stop && c.stop->load(); };
    std::optional<DeviceFailure> failure;
    std::string inputError;
    bool interrupted = false;
    bool asked = false;
    auto next = Clock::now();
    try {
        while (session.Running()) {
            const std::string point = PointName(session.PointIndex(), session.PointCount(), session.PointPercent());
            if (!session.Settling() && !asked) {
                c.step(point + ": apply " + InUnit(session.Range(), session.Unit(), session.Nominal()));
                view.Ask();
                input.Request();
                asked = true;
            }
            const auto got = input.Wait(next, stop);
            StopPoint(c);
            if (got) {
                asked = false;
                if (got->ended) {
                    inputError = "standard input ended before the reference value of " + point;
                    session.Stop(inputError);
                    break;
                }
                const std::string why = session.Accept(got->text, "");
                if (why.empty()) {
                    view.Accepted();
                    continue;
                }
                if (c.inputIsTerminal) {
                    view.Refused(why);
                    input.Request();
                    asked = true;
                    continue;
                }
                inputError = Clauses(why, "") + ", at " + point;
                session.Stop("the reference value of " + point + " was not a number");
                break;
            }
            const std::size_t taken = session.Record().runs.back().points.size();
            protocol::MeasureBlock reading;
            try {
                reading = line.ReadMeasure();
            } catch (const DeviceFailure& e) {
                session.Stop(StopReason(e));
                failure = e;
                break;
            }
            next = std::max(next + c.pollInterval, Clock::now());
            session.OnReading(reading.measured);
            const auto& points = session.Record().runs.back().points;
            if (points.size() > taken) {
                view.PointTaken();
                c.step(point + ": " + Outcome(points.back(), session.Range(), session.Unit()));
            } else {
                view.Reading();
            }
        }
    } catch (const Interrupted&) {
        session.Stop("stopped by a signal");
        interrupted = true;
    }
    view.PointTaken();

    calib::CheckRecord record = session.Record();
    record.tool = orv::kProductVersion;
    record.savedAt = config::IsoTimestampNow();
    const calib::CheckRun& run = record.runs.back();
    const std::size_t planned = calib::PlannedPoints(record.setup).size();
    const calib::Verdict verdict = calib::RunVerdict(run, record.setup);
    r.text = CheckTable(record);
    r.json["result"] = calib::VerdictWord(verdict);
    r.json["record"] = Json::parse(calib::SerializeCheckRecord(record));
    std::string saveError;
    if (!c.options.recordFile.empty()) {
        c.step("saving " + c.options.recordFile);
        saveError = calib::SaveCheckRecord(FilePath(c.options.recordFile), record);
        if (saveError.empty()) {
            r.json["saved"] = c.options.recordFile;
            r.text += "saved to " + c.options.recordFile + "\n";
        } else {
            r.text += saveError + "\n";
        }
    }
    if (interrupted) throw Interrupted{};
    if (failure) throw DeviceFailure(failure->Kind(), Clauses(Clauses(failure->what(), Kept(run, planned)), saveError));
    if (verdict == calib::Verdict::Fail) {
        std::size_t failed = 0;
        for (const auto& p : run.points) failed += p.pass ? 0 : 1;
        r.failure = Clauses(std::to_string(failed) + " of " + std::to_string(run.points.size()) +
                                " points measured outside the tolerance of " + calib::FloatText(record.setup.tolerance) +
                                " % of span",
                            Clauses(inputError, saveError));
        return;
    }
    if (!inputError.empty()) throw DeviceFailure(FailureKind::Refused, Clauses(Clauses(inputError, Kept(run, planned)), saveError));
    if (verdict == calib::Verdict::Incomplete) {
        r.failure = Clauses("the run is incomplete: " + run.stopped, saveError);
        return;
    }
    if (!saveError.empty()) throw DeviceFailure(FailureKind::File, saveError);
}

}  // namespace orv::cli
