// orvane-soak: a technician's day, compressed. The dialog core polls, writes,
// reads back, runs calibration views and output commands against the
// simulated transmitter for hours of virtual time, while the line spoils a
// share of the exchanges in every way it can. After each action the boxes
// shown are checked against what that action's fault (or its absence) must
// show, so a box storm or a swallowed answer stops the run; the heap is
// compared between the first and the last stretch; the run ends by writing
// and reading a known state. Prints what it did; exits non-zero on any breach.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "FaultyLine.h"
#include "app/core/CMyDlg.h"
#include "app/core/ControlIds.h"
#include "config/ParamFields.h"
#include "sim/Transmitter.h"
#include "support/FakeWindow.h"
#include "support/VirtualClock.h"

namespace {

using namespace orv;
namespace id = app::id;
using soak::Fault;
using Texts = std::vector<std::string>;

constexpr std::uint64_t kHourMs = 3'600'000;
constexpr std::uint64_t kSettleMs = 8000;  // after every action: late answers land inside it
constexpr const char* kTimeOut = "Time Out";
constexpr const char* kPollTimeOut = "Time Out !";
constexpr const char* kUpdated = "Update Success !";
constexpr const char* kSendError = "!Input/output error";  // '!': a stop-icon box

struct Options {
    double hours = 24;
    std::uint32_t seed = 1;
    double faultRate = 0.05;
};

bool Spoils(Fault f) { return f != Fault::None && f != Fault::Split; }

// What one request with its time-out timer must show, given its fault.
Texts ExpectedFor(Fault f, const std::string& onAnswer) {
    Texts t;
    switch (f) {
        case Fault::None:
        case Fault::Split: break;
        case Fault::SendFailure: return {kSendError};
        case Fault::Late: t.push_back(kTimeOut); break;
        // The request's time-out still runs; the loss itself shows nothing.
        case Fault::LineLost: return {kTimeOut};
        default: return {kTimeOut};
    }
    if (!onAnswer.empty()) t.push_back(onAnswer);
    return t;
}

std::string Join(const Texts& t) {
    std::string s;
    for (const auto& x : t) s += (s.empty() ? "" : " | ") + x;
    return s.empty() ? "(none)" : s;
}

class Soak {
public:
    explicit Soak(const Options& o) : options_(o), rng_(o.seed), line_(clock_, device_, o.seed * 7919u + 1) {
        window_.LoadTemplateDefaults();
        window_.onTimer = [this](int timer) { dlg_.OnTimerEvent(timer); };
        line_.faultRate = o.faultRate;
    }

    int Run();

private:
    void Action(const char* name, const std::function<void()>& act, const std::function<Texts()>& expect);
    void SingleRequest(const char* name, int button, const std::string& onAnswer);
    void Poll();
    void TryButtonWhilePolling();
    void Write();
    void View();
    void Command();
    void EndInKnownState();
    void Reconnect();
    Texts Shown() const;
    void Breach(const std::string& what);
    void Sample();  // the heap and resident size now; the first call is the baseline

    Options options_;
    std::mt19937 rng_;
    test::VirtualClock clock_;
    test::FakeWindow window_{clock_};
    sim::Transmitter device_;
    soak::FaultyLine line_;
    app::CMyDlg dlg_{window_, line_, [] { return 3; }};

    std::map<std::string, unsigned> actions_, boxes_;
    unsigned long long pollsAnswered_ = 0;
    unsigned refusedWhilePolling_ = 0;  // buttons found locked during a poll
    unsigned breaches_ = 0;
    soak::HeapUse heapFirst_{}, heapLast_{};
    long long rssFirst_ = 0, rssLast_ = 0;
    bool sampledFirst_ = false;
};

Texts Soak::Shown() const {
    Texts t;
    for (const auto& m : window_.messages) t.push_back((m.icon == app::MessageIcon::Stop ? "!" : "") + m.text);
    return t;
}

void Soak::Breach(const std::string& what) {
    if (++breaches_ <= 20) std::fprintf(stderr, "at %.3f h: %s\n", clock_.Now() / double(kHourMs), what.c_str());
}

void Soak::Action(const char* name, const std::function<void()>& act, const std::function<Texts()>& expect) {
    ++actions_[name];
    window_.messages.clear();
    line_.ForgetRequests();
    act();
    clock_.Advance(kSettleMs);
    const Texts shown = Shown(), expected = expect();
    for (const auto& t : shown) ++boxes_[t];
    if (shown != expected) Breach(std::string(name) + ": shown " + Join(shown) + ", expected " + Join(expected));
}

void Soak::SingleRequest(const char* name, int button, const std::string& onAnswer) {
    Action(
        name, [&] { dlg_.OnCommand(button); },
        [&] {
            const auto& sent = line_.Requests();
            if (sent.size() != 1) return Texts{"(" + std::to_string(sent.size()) + " requests sent)"};
            return ExpectedFor(sent[0].fault, onAnswer);
        });
}

void Soak::Poll() {
    const unsigned seconds = std::uniform_int_distribution<unsigned>(5, 900)(rng_);
    Action(
        "poll",
        [&] {
            dlg_.OnCommand(id::AutoUpload);
            // The technician watches until the poll ends by itself or enough is
            // seen, and at some moment reaches for another button.
            const unsigned reach = std::uniform_int_distribution<unsigned>(0, seconds)(rng_);
            for (unsigned s = 0; s < seconds && window_.TimerRunning(id::TimerPoll); ++s) {
                if (s == reach) TryButtonWhilePolling();
                clock_.Advance(1000);
            }
            clock_.Advance(500);
            // A spoiled last request shows only at the next tick: let it.
            while (window_.TimerRunning(id::TimerPoll) && Spoils(line_.Requests().back().fault)) clock_.Advance(1000);
            if (window_.TimerRunning(id::TimerPoll)) dlg_.OnCommand(id::StopUpload);
        },
        [&] {
            const auto& sent = line_.Requests();
            for (std::size_t i = 0; i < sent.size(); ++i) {
                if (!Spoils(sent[i].fault)) {
                    ++pollsAnswered_;
                    continue;
                }
                // One miss ends the poll with one box; nothing is sent after it.
                if (i + 1 != sent.size()) return Texts{"(requests after a missed poll)"};
                if (sent[i].fault == Fault::SendFailure) return Texts{kSendError, kPollTimeOut};
                // A pulled cable ends the poll without a time-out to report.
                if (sent[i].fault == Fault::LineLost) return Texts{};
                return Texts{kPollTimeOut};
            }
            return Texts{};
        });
    if (window_.TimerRunning(id::TimerPoll)) Breach("poll still running after its end");
}

// Every button that sends a request. While a poll runs each must be locked:
// a request sent then is displaced by the next poll tick and ends in a false
// time-out although the device did what was asked.
constexpr std::array kSendingButtons{
    id::UploadParams, id::UpdateAllSettings, id::RecFactory,      id::UpdateInputType,  id::UpdateCjc,
    id::UpdateWiring, id::UpdateZero,        id::UpdateFull,      id::UpdateOffset,     id::UpdateDamping,
    id::UpdateBreakAlarm, id::UpdateOutputDirection, id::Restart, id::UpdateAll,        id::Connection,
    id::AutoUpload,   id::ViewResistance,    id::ViewMillivolt,   id::ViewAmbient,      id::ViewVoltage,
    id::ViewCurrent,  id::UpdateResistance,  id::UpdateMillivolt, id::UpdateAmbient,    id::UpdateVoltage,
    id::UpdateCurrent, id::UpdateOut1Zero,   id::UpdateOut1Full,  id::UpdateOut2Zero,   id::UpdateOut2Full,
    id::FollowMeasurement, id::SimulateZero, id::SimulateFull,    id::UpdateModel,
};

void Soak::TryButtonWhilePolling() {
    const int button = kSendingButtons[std::uniform_int_distribution<std::size_t>(0, kSendingButtons.size() - 1)(rng_)];
    if (!window_.IsControlEnabled(button)) {
        ++refusedWhilePolling_;
        return;
    }
    const std::size_t before = line_.Requests().size();
    dlg_.OnCommand(button);
    if (line_.Requests().size() != before) Breach("button " + std::to_string(button) + " sent a request while polling");
}

void Soak::Write() {
    switch (std::uniform_int_distribution<int>(0, 2)(rng_)) {
        case 0:
            window_.SetCurSel(id::Damping, std::uniform_int_distribution<int>(0, 9)(rng_));
            SingleRequest("write damping", id::UpdateDamping, kUpdated);
            break;
        case 1:
            window_.TypeText(id::Offset, std::to_string(std::uniform_int_distribution<int>(-20, 20)(rng_)));
            SingleRequest("write offset", id::UpdateOffset, kUpdated);
            break;
        default:
            if (window_.IsControlEnabled(id::UpdateAll)) SingleRequest("update all", id::UpdateAll, kUpdated);
            break;
    }
}

void Soak::View() {
    std::vector<int> enabled;
    for (int b : {id::ViewResistance, id::ViewMillivolt, id::ViewAmbient, id::ViewVoltage, id::ViewCurrent})
        if (window_.IsControlEnabled(b)) enabled.push_back(b);
    if (enabled.empty()) return;
    SingleRequest("calibration view", enabled[std::uniform_int_distribution<std::size_t>(0, enabled.size() - 1)(rng_)],
                  "");
}

void Soak::Command() {
    if (std::uniform_int_distribution<int>(0, 1)(rng_) == 0)
        SingleRequest("simulated zero output", id::SimulateZero, "Set Output Current 4mA");
    else
        SingleRequest("output follows measurement", id::FollowMeasurement, "设置当前输出为测量输出");
}

// After a pulled cable the port choice must come back; the technician plugs
// the cable in again and presses "connection" until the block is read.
void Soak::Reconnect() {
    for (int tries = 0; !line_.GetPortOpen() || window_.IsControlEnabled(id::Connection); ++tries) {
        if (tries == 100) {
            Breach("no connection after 100 tries");
            return;
        }
        if (!window_.IsControlEnabled(id::Connection) || !window_.IsControlEnabled(id::PortList)) {
            Breach("the port cannot be chosen again after the line failed");
            return;
        }
        SingleRequest("reconnect", id::Connection, "");
    }
}

void Soak::Sample() {
    heapLast_ = soak::LiveHeap();
    rssLast_ = soak::ResidentBytes();
    if (!sampledFirst_) {
        heapFirst_ = heapLast_;
        rssFirst_ = rssLast_;
        sampledFirst_ = true;
    }
}

void Soak::EndInKnownState() {
    line_.faultRate = 0;
    window_.SetCurSel(id::Damping, 7);
    window_.TypeText(id::Offset, "-3");
    SingleRequest("final write damping", id::UpdateDamping, kUpdated);
    SingleRequest("final write offset", id::UpdateOffset, kUpdated);
    SingleRequest("final read", id::UploadParams, "");
    const auto fields = config::ParamFields::Read(device_.Block());
    if (fields.dampingLevel != 7 || fields.offsetCorrection != -3) Breach("the device did not end with the last values");
    if (window_.GetCurSel(id::Damping) != 7 || window_.GetControlText(id::Offset) != "-3")
        Breach("the window did not show the device's values at the end");
    for (int t : {id::TimerReadParams, id::TimerPoll, id::TimerWrite, id::TimerCommand, 41, 42, 43, 44, 45})
        if (window_.TimerRunning(t)) Breach("timer " + std::to_string(t) + " still running at the end");
}

int Soak::Run() {
    const auto endMs = static_cast<std::uint64_t>(options_.hours * kHourMs);
    const std::uint64_t stretch = std::max<std::uint64_t>(endMs / 24, 60'000);

    Action("start-up", [&] { dlg_.OnInitDialog(); },
           [&] {
               const auto& sent = line_.Requests();
               return sent.size() == 1 ? ExpectedFor(sent[0].fault, "") : Texts{"(no first read)"};
           });
    // Without a block read the window has no model, and every write would
    // complain about it: the technician reads until the device answers.
    while (window_.GetCurSel(id::ModelList) < 0 && clock_.Now() < endMs) {
        if (line_.GetPortOpen()) SingleRequest("read block", id::UploadParams, "");
        else Reconnect();
    }
    dlg_.EnableFactoryPanel();
    window_.TypeText(id::RefResistance, "100");
    window_.TypeText(id::RefTemperature, "25");

    std::uint64_t nextSample = stretch;
    while (clock_.Now() < endMs) {
        const int pick = std::uniform_int_distribution<int>(0, 99)(rng_);
        if (pick < 45) Poll();
        else if (pick < 70) Write();
        else if (pick < 80) SingleRequest("read block", id::UploadParams, "");
        else if (pick < 92) View();
        else Command();
        if (!line_.GetPortOpen()) Reconnect();
        if (clock_.Now() >= nextSample) {
            Sample();
            nextSample += stretch;
        }
    }
    EndInKnownState();
    Sample();

    std::printf("orvane-soak: %.2f virtual hours, seed %u, fault rate %.1f %%\n", clock_.Now() / double(kHourMs),
                options_.seed, options_.faultRate * 100);
    std::printf("requests: %llu (polls answered: %llu; sending buttons found locked while polling: %u)\n",
                line_.RequestCount(), pollsAnswered_, refusedWhilePolling_);
    std::printf("faults injected:");
    for (std::size_t k = 1; k < soak::kFaultKinds; ++k)
        std::printf(" %s %u%s", soak::FaultName(static_cast<Fault>(k)).data(), line_.Injected()[k],
                    k + 1 < soak::kFaultKinds ? "," : "\n");
    std::printf("actions:");
    for (const auto& [name, n] : actions_) std::printf(" %s %u;", name.c_str(), n);
    std::printf("\nboxes shown:");
    for (const auto& [text, n] : boxes_) std::printf(" \"%s\" %u;", text.c_str(), n);
    const long long heapGrowth = heapLast_.bytes - heapFirst_.bytes;
    std::printf("\nheap after the first stretch: %lld blocks, %lld bytes; at the end: %lld blocks, %lld bytes\n",
                heapFirst_.blocks, heapFirst_.bytes, heapLast_.blocks, heapLast_.bytes);
    std::printf("resident: %lld KiB after the first stretch, %lld KiB at the end\n", rssFirst_ / 1024,
                rssLast_ / 1024);
    // The live heap holds the dialog, the window's state and the clock's few
    // pending events; none of that grows with the hours run.
    if (heapGrowth > 16 * 1024 || heapLast_.blocks - heapFirst_.blocks > 64) Breach("the heap grew over the run");
    std::printf("%s: %u breach%s\n", breaches_ ? "FAILED" : "passed", breaches_, breaches_ == 1 ? "" : "es");
    return breaches_ ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--hours") && more) o.hours = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--seed") && more) o.seed = static_cast<std::uint32_t>(std::atol(argv[++i]));
        else if (!std::strcmp(argv[i], "--fault-rate") && more) o.faultRate = std::atof(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--hours H (24)] [--seed N (1)] [--fault-rate P (0.05)]\n", argv[0]);
            return 2;
        }
    }
    if (!(o.hours > 0) || !(o.faultRate >= 0 && o.faultRate <= 1)) {
        std::fprintf(stderr, "%s: hours must be positive and the fault rate between 0 and 1\n", argv[0]);
        return 2;
    }
    return Soak(o).Run();
}
