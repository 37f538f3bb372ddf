#include "calib/CheckRecord.h"

namespace orv::calib {

bool IsComplete(const CheckRun& run, const CheckSetup& setup) {
    return run.points.size() == PlannedPoints(setup).size();
}

Verdict RunVerdict(const CheckRun& run, const CheckSetup& setup) {
    for (const PointResult& p : run.points)
        if (!p.pass) return Verdict::Fail;
    return IsComplete(run, setup) ? Verdict::Pass : Verdict::Incomplete;
}

const CheckRun* LastRun(const CheckRecord& record, RunKind kind) {
    for (auto it = record.runs.rbegin(); it != record.runs.rend(); ++it)
        if (it->kind == kind) return &*it;
    return nullptr;
}

Verdict RecordVerdict(const CheckRecord& record) {
    const CheckRun* left = LastRun(record, RunKind::AsLeft);
    const CheckRun* run = left ? left : LastRun(record, RunKind::AsFound);
    return run ? RunVerdict(*run, record.setup) : Verdict::Incomplete;
}

std::string_view VerdictWord(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass: return "pass";
        case Verdict::Fail: return "fail";
        case Verdict::Incomplete: break;
    }
    return "incomplete";
}

std::string_view RunKindWord(RunKind kind) { return kind == RunKind::AsFound ? "as-found" : "as-left"; }

std::string_view SettleWord(Settle settle) {
    switch (settle) {
        case Settle::Steady: return "steady";
        case Settle::TimeUp: return "settle-time";
        case Settle::CutShort: break;
    }
    return "cut-short";
}

}  // namespace orv::calib
