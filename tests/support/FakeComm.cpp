#include "support/FakeComm.h"

#include <utility>

#include "protocol/CommError.h"

namespace orv::test {

using protocol::CommError;

void FakeComm::SetCommPort(short port) {
    calls.push_back("CommPort");
    commPort = port;
}
void FakeComm::SetInBufferSize(short size) {
    calls.push_back("InBufferSize");
    inBufferSize = size;
}
void FakeComm::SetInputLen(short length) {
    calls.push_back("InputLen");
    inputLen = length;
}
void FakeComm::SetOutBufferSize(short size) {
    calls.push_back("OutBufferSize");
    outBufferSize = size;
}

void FakeComm::SetPortOpen(bool open) {
    calls.push_back(open ? "PortOpen=1" : "PortOpen=0");
    if (!open) {
        if (stuckOpen) return;
        open_ = false;
        ++session_;
        rx_.clear();
        return;
    }
    if (open_) throw CommError(protocol::kErrPortAlreadyOpen);
    if (auto it = openErrors_.find(commPort); it != openErrors_.end()) throw CommError(it->second);
    if (commPort < 0) throw CommError(protocol::kErrInvalidPortNumber);
    open_ = true;
    openPort_ = commPort;
    rx_.clear();
}

bool FakeComm::GetPortOpen() {
    calls.push_back("PortOpen?");
    return open_;
}

void FakeComm::SetRThreshold(short count) {
    calls.push_back("RThreshold");
    rThreshold = count;
}

void FakeComm::SetSettings(const std::string& text) {
    calls.push_back("Settings");
    if (!open_) throw CommError(protocol::kErrPortNotOpen);
    settings = text;
}

void FakeComm::SetOutput(const std::vector<std::uint8_t>& bytes) {
    calls.push_back("Output");
    if (!open_) throw CommError(protocol::kErrPortNotOpen);
    sent.push_back(bytes);
    auto dev = devices_.find(openPort_);
    if (dev == devices_.end() || dev->second == nullptr) return;
    std::vector<std::uint8_t> answer = dev->second->Receive(bytes);
    if (answer.empty()) return;
    // The request itself takes its line time before the device can answer.
    const std::uint64_t lineMs = (bytes.size() * 25 + 2) / 3;  // 8.33 ms a byte
    const int session = session_;
    if (!paced) {
        clock_.Schedule(lineMs + answerDelayMs + (answer.size() * 25 + 2) / 3, [this, answer, session] {
            if (session == session_) Arrive(answer);
        });
        return;
    }
    for (std::size_t i = 0; i < answer.size(); ++i) {
        clock_.Schedule(lineMs + answerDelayMs + ((i + 1) * 25 + 2) / 3, [this, b = answer[i], session] {
            if (session == session_) Arrive({b});
        });
    }
}

std::vector<std::uint8_t> FakeComm::GetInput() {
    calls.push_back("Input");
    if (!open_) throw CommError(protocol::kErrPortNotOpen);
    ++inputReads;
    std::vector<std::uint8_t> out(rx_.begin(), rx_.end());
    rx_.clear();
    return out;
}

short FakeComm::GetCommEvent() { return event_; }

void FakeComm::SetInputMode(long mode) {
    calls.push_back("InputMode");
    if (!open_) throw CommError(protocol::kErrPortNotOpen);
    inputMode = mode;
}

void FakeComm::Inject(const std::vector<std::uint8_t>& bytes) {
    if (open_) Arrive(bytes);
}

void FakeComm::RaiseEvent(short commEvent) {
    event_ = commEvent;
    if (onComm_) onComm_();
}

void FakeComm::LoseLine(std::string reason) {
    open_ = false;
    ++session_;
    rx_.clear();
    lineFailure_ = std::move(reason);
    RaiseEvent(kEvPortClosed);
}

std::string FakeComm::TakeLineFailure() { return std::exchange(lineFailure_, std::string()); }

void FakeComm::Arrive(const std::vector<std::uint8_t>& bytes) {
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
    if (rThreshold > 0 && rx_.size() >= static_cast<std::size_t>(rThreshold)) RaiseEvent(kEvReceive);
}

}  // namespace orv::test
