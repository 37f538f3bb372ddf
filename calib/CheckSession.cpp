#include "calib/CheckSession.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "config/SettingCatalogue.h"

namespace orv::calib {

namespace {

std::string Joined(const std::vector<std::string>& sentences) {
    std::string out;
    for (const std::string& s : sentences) out += (out.empty() ? "" : " ") + s;
    return out;
}

}  // namespace

CheckSession::CheckSession(CheckSetup setup) { record_.setup = std::move(setup); }

std::vector<std::string> CheckSession::SetSetup(const CheckSetup& setup) {
    if (!record_.runs.empty())
        return {"The set-up cannot change once a run is recorded: start a new check for other points or limits."};
    std::vector<std::string> problems = SetupProblems(setup);
    if (problems.empty()) record_.setup = setup;
    return problems;
}

void CheckSession::NewRecord() {
    running_ = false;
    settling_ = false;
    record_.runs.clear();
    record_.tool.clear();
    record_.savedAt.clear();
}

void CheckSession::Open(CheckRecord record) {
    running_ = false;
    settling_ = false;
    record_ = std::move(record);
}

std::string CheckSession::BeginRun(RunKind kind, std::span<const std::uint8_t, config::kParamBlockSize> block,
                                   std::string startedAt) {
    if (running_) return "A run is in progress: finish or abort it first.";
    if (const auto problems = SetupProblems(record_.setup); !problems.empty()) return Joined(problems);
    const int code = static_cast<int>(config::ReadField(config::InfoOf(config::Setting::InputType), block));
    const std::string unit(config::UnitOf(config::InfoOf(config::Setting::RangeZero), code));
    if (unit.empty())
        return "The device's input type (code " + std::to_string(code) +
               ") is not one the tool knows, so there is no range to check it against.";
    const CheckRange range = RangeOf(block);
    if (!std::isfinite(range.zero) || !std::isfinite(range.full))
        return "The device's range is not a number: set a range before checking.";
    if (Span(range) == 0.0) {
        return "The device's range has zero span (zero and full are both " + FloatText(range.zero) + " " + unit +
               "): set a range before checking.";
    }

    CheckRun run;
    run.kind = kind;
    run.started = std::move(startedAt);
    std::copy(block.begin(), block.end(), run.block.begin());
    record_.runs.push_back(std::move(run));
    range_ = range;
    unit_ = unit;
    band_ = SteadyBand(range, record_.setup.tolerance);
    planned_ = PlannedPoints(record_.setup);
    index_ = 0;
    live_.reset();
    recent_.clear();
    settling_ = false;
    running_ = true;
    return {};
}

float CheckSession::PointPercent() const { return index_ < planned_.size() ? planned_[index_] : 0.0f; }

float CheckSession::Nominal() const { return NominalAt(range_, PointPercent()); }

bool CheckSession::Steady() const {
    const std::vector<float> last(recent_.begin(), recent_.end());
    return running_ && last.size() == static_cast<std::size_t>(record_.setup.readings) && IsSteady(last, band_);
}

int CheckSession::SettleSecondsLeft() const {
    return std::max(0, record_.setup.settleSeconds - (settling_ ? sinceAccept_ : 0));
}

std::string CheckSession::Accept(std::string_view referenceText, std::string_view meterCurrentText) {
    if (!running_) return "No run is in progress.";
    const bool blank = referenceText.find_first_not_of(" \t\r\n") == std::string_view::npos;
    const std::optional<float> reference = blank ? std::optional<float>(Nominal()) : ParseNumber(referenceText);
    if (!reference)
        return "The reference value \"" + std::string(referenceText) + "\" is not a number in " + unit_ + ".";
    std::optional<float> meter;
    if (meterCurrentText.find_first_not_of(" \t\r\n") != std::string_view::npos) {
        meter = ParseNumber(meterCurrentText);
        if (!meter) return "The output current \"" + std::string(meterCurrentText) + "\" is not a number in mA.";
    }
    reference_ = *reference;
    meterCurrent_ = meter;
    settling_ = true;
    sinceAccept_ = 0;
    cutShort_ = false;
    // Readings from before the reference was applied say nothing about it.
    recent_.clear();
    return {};
}

void CheckSession::CutShort() {
    if (!settling_) return;
    cutShort_ = true;
    if (recent_.size() == static_cast<std::size_t>(record_.setup.readings)) TakePoint(Settle::CutShort);
}

void CheckSession::OnReading(float measured) {
    if (!running_) return;
    if (!std::isfinite(measured)) {
        Stop("the device reported a measured value that is not a number");
        return;
    }
    live_ = measured;
    recent_.push_back(measured);
    const auto n = static_cast<std::size_t>(record_.setup.readings);
    while (recent_.size() > n) recent_.pop_front();
    if (!settling_) return;
    ++sinceAccept_;
    if (recent_.size() < n) return;
    if (Steady())
        TakePoint(Settle::Steady);
    else if (cutShort_)
        TakePoint(Settle::CutShort);
    else if (sinceAccept_ >= record_.setup.settleSeconds)
        TakePoint(Settle::TimeUp);
}

void CheckSession::Stop(std::string why) {
    if (!running_) return;
    record_.runs.back().stopped = std::move(why);
    running_ = false;
    settling_ = false;
}

void CheckSession::TakePoint(Settle settle) {
    const std::vector<float> readings(recent_.begin(), recent_.end());
    CheckRun& run = record_.runs.back();
    run.points.push_back(EvaluatePoint(range_, record_.setup.tolerance, planned_[index_], reference_, readings, settle,
                                       meterCurrent_));
    settling_ = false;
    recent_.clear();
    if (++index_ == planned_.size()) running_ = false;
}

}  // namespace orv::calib
