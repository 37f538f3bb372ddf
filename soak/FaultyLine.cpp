#include "FaultyLine.h"

#include "protocol/CommError.h"
#include "protocol/Crc8.h"

namespace orv::soak {

namespace {
constexpr std::uint64_t kMsPerByte10 = 25;  // 8.33 ms a byte at 1200 baud, in thirds
std::uint64_t LineMs(std::size_t bytes) { return (bytes * kMsPerByte10 + 2) / 3; }
constexpr std::uint64_t kTurnaroundMs = 20;
}  // namespace

std::string_view FaultName(Fault fault) {
    static constexpr std::array<std::string_view, kFaultKinds> names{
        "none", "lost", "bad checksum", "wrong function", "short", "noise", "late", "send failure", "read failure",
        "split", "line lost"};
    return names[static_cast<std::size_t>(fault)];
}

FaultyLine::FaultyLine(test::VirtualClock& clock, sim::Transmitter& device, std::uint32_t seed)
    : clock_(clock), device_(device), rng_(seed) {}

void FaultyLine::SetPortOpen(bool open) {
    if (open && open_) throw protocol::CommError(protocol::kErrPortAlreadyOpen);
    if (open && port_ < 0) throw protocol::CommError(protocol::kErrInvalidPortNumber);
    open_ = open;
    rx_.clear();
}

void FaultyLine::SetSettings(const std::string&) {
    if (!open_) throw protocol::CommError(protocol::kErrPortNotOpen);
}

Fault FaultyLine::Pick() {
    if (std::uniform_real_distribution<double>(0.0, 1.0)(rng_) >= faultRate) return Fault::None;
    return static_cast<Fault>(std::uniform_int_distribution<std::size_t>(1, kFaultKinds - 1)(rng_));
}

void FaultyLine::SetOutput(const std::vector<std::uint8_t>& bytes) {
    if (!open_) throw protocol::CommError(protocol::kErrPortNotOpen);
    const Fault fault = Pick();
    ++requests_;
    ++injected_[static_cast<std::size_t>(fault)];
    sent_.push_back({bytes.size() > 1 ? bytes[1] : std::uint8_t{0}, fault});
    if (fault == Fault::SendFailure) throw protocol::CommError("Input/output error");

    std::vector<std::uint8_t> answer = device_.Receive(bytes);
    if (answer.empty()) return;
    const std::uint64_t at = LineMs(bytes.size()) + kTurnaroundMs;
    switch (fault) {
        case Fault::Lost: return;
        case Fault::BadChecksum: answer.back() ^= 0x5A; break;
        case Fault::WrongFunction:
            answer[1] |= 0x80;
            answer.back() = protocol::Crc8(std::span(answer).first(answer.size() - 1));
            break;
        case Fault::Short:
            answer.resize(std::uniform_int_distribution<std::size_t>(1, answer.size() - 1)(rng_));
            break;
        case Fault::Noise: {
            // High bytes only: no function code is among them, so the spoiled
            // answer can never pass for a good one by chance.
            std::vector<std::uint8_t> noise(std::uniform_int_distribution<std::size_t>(2, 12)(rng_));
            for (auto& b : noise) b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0x80, 0xFF)(rng_));
            answer.insert(answer.begin(), noise.begin(), noise.end());
            break;
        }
        case Fault::Late: Deliver(answer, at + lateByMs, false); return;
        case Fault::ReadFailure: failEventRead_ = true; break;
        case Fault::Split: Deliver(answer, at, true); return;
        case Fault::LineLost:
            // Gone while the request was on the line; the component closes
            // the port first, then raises its event.
            clock_.Schedule(LineMs(bytes.size()), [this] {
                open_ = false;
                rx_.clear();
                Raise(kEvPortClosed);
            });
            return;
        default: break;
    }
    Deliver(answer, at, false);
}

void FaultyLine::Deliver(std::vector<std::uint8_t> bytes, std::uint64_t afterMs, bool paced) {
    if (!paced) {
        clock_.Schedule(afterMs + LineMs(bytes.size()), [this, bytes] { Arrive(bytes); });
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i)
        clock_.Schedule(afterMs + LineMs(i + 1), [this, b = bytes[i]] { Arrive({b}); });
}

void FaultyLine::Arrive(const std::vector<std::uint8_t>& bytes) {
    if (!open_) return;
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
    if (threshold_ <= 0 || rx_.size() < static_cast<std::size_t>(threshold_)) return;
    Raise(kEvReceive);
}

void FaultyLine::Raise(short event) {
    if (!onComm_) return;
    event_ = event;
    inEvent_ = true;
    onComm_();
    inEvent_ = false;
}

std::vector<std::uint8_t> FaultyLine::GetInput() {
    if (!open_) throw protocol::CommError(protocol::kErrPortNotOpen);
    if (inEvent_ && failEventRead_) {
        failEventRead_ = false;
        rx_.clear();
        throw protocol::CommError("Input/output error");
    }
    std::vector<std::uint8_t> out;
    out.swap(rx_);
    return out;
}

}  // namespace orv::soak
