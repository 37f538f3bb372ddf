#include "app/win32/SimulatedComm.h"

#include <algorithm>
#include <map>
#include <utility>

#include "protocol/CommError.h"

namespace orv::app::win32 {

namespace {

struct PendingAnswer {
    SimulatedComm* comm;
    std::vector<std::uint8_t> bytes;
};

// Thread timers carry no context of their own; all of them run on the one UI
// thread, so a plain map from timer id to the answer is enough.
std::map<UINT_PTR, PendingAnswer>& Pending() {
    static std::map<UINT_PTR, PendingAnswer> pending;
    return pending;
}

constexpr unsigned kByteTimeUs = 8333;  // 10 bit times at 1200 baud

}  // namespace

SimulatedComm::SimulatedComm(int simulatedPort, std::unique_ptr<protocol::CMSComm> real)
    : simulatedPort_(simulatedPort), real_(std::move(real)) {
    if (real_) real_->SetOnComm([this] {
        if (onComm_) onComm_();
    });
}

SimulatedComm::~SimulatedComm() {
    for (UINT_PTR timer : timers_) {
        ::KillTimer(nullptr, timer);
        Pending().erase(timer);
    }
}

unsigned SimulatedComm::AnswerDelayMs(std::size_t bytes) const {
    return device_.answerDelayMs + static_cast<unsigned>((bytes * kByteTimeUs + 999) / 1000);
}

protocol::CMSComm& SimulatedComm::Real() const {
    if (!real_) throw protocol::CommError(protocol::kErrPortNotOpen);
    return *real_;
}

void SimulatedComm::RequireOpen() const {
    if (!open_) throw protocol::CommError(protocol::kErrPortNotOpen);
}

void SimulatedComm::SetCommPort(short port) {
    if (open_ || (real_ && real_->GetPortOpen())) throw protocol::CommError(protocol::kErrPortAlreadyOpen);
    port_ = port;
    if (real_ && !Simulated()) real_->SetCommPort(port);
}

void SimulatedComm::SetInBufferSize(short size) {
    if (real_ && !Simulated()) real_->SetInBufferSize(size);
}

void SimulatedComm::SetInputLen(short length) {
    if (real_ && !Simulated()) real_->SetInputLen(length);
}

void SimulatedComm::SetOutBufferSize(short size) {
    if (real_ && !Simulated()) real_->SetOutBufferSize(size);
}

void SimulatedComm::SetPortOpen(bool open) {
    if (!Simulated()) {
        if (!real_) throw protocol::CommError(protocol::kErrInvalidPortNumber);
        Real().SetPortOpen(open);
        return;
    }
    if (open && open_) throw protocol::CommError(protocol::kErrPortAlreadyOpen);
    open_ = open;
    waiting_.clear();
}

bool SimulatedComm::GetPortOpen() {
    if (Simulated()) return open_;
    return real_ && real_->GetPortOpen();
}

void SimulatedComm::SetRThreshold(short count) {
    if (!Simulated()) return Real().SetRThreshold(count);
    threshold_ = count;
}

void SimulatedComm::SetSettings(const std::string& settings) {
    if (!Simulated()) return Real().SetSettings(settings);
}

void SimulatedComm::SetOutput(const std::vector<std::uint8_t>& bytes) {
    if (!Simulated()) return Real().SetOutput(bytes);
    RequireOpen();
    std::vector<std::uint8_t> answer = device_.Receive(bytes);
    if (answer.empty()) return;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, AnswerDelayMs(answer.size()), &SimulatedComm::OnTimer);
    if (timer == 0) throw protocol::CommError("the simulated line has no timer left");
    Pending()[timer] = PendingAnswer{this, std::move(answer)};
    timers_.push_back(timer);
}

std::vector<std::uint8_t> SimulatedComm::GetInput() {
    if (!Simulated()) return Real().GetInput();
    RequireOpen();
    return std::exchange(waiting_, {});
}

short SimulatedComm::GetCommEvent() {
    if (!Simulated()) return Real().GetCommEvent();
    return event_;
}

void SimulatedComm::SetInputMode(long mode) {
    if (!Simulated()) return Real().SetInputMode(mode);
}

void SimulatedComm::SetOnComm(std::function<void()> handler) { onComm_ = std::move(handler); }

void CALLBACK SimulatedComm::OnTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
    ::KillTimer(nullptr, timerId);
    auto& pending = Pending();
    const auto it = pending.find(timerId);
    if (it == pending.end()) return;
    PendingAnswer answer = std::move(it->second);
    pending.erase(it);
    auto& timers = answer.comm->timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), timerId), timers.end());
    answer.comm->Deliver(answer.bytes);
}

void SimulatedComm::Deliver(const std::vector<std::uint8_t>& bytes) {
    // A port closed while the answer was on the line never sees it.
    if (!open_ || !Simulated()) return;
    waiting_.insert(waiting_.end(), bytes.begin(), bytes.end());
    if (threshold_ > 0 && waiting_.size() >= static_cast<std::size_t>(threshold_) && onComm_) {
        event_ = kEvReceive;
        onComm_();
    }
}

}  // namespace orv::app::win32
