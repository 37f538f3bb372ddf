#include "sim/Transmitter.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "protocol/Crc8.h"
#include "sim/BlockFields.h"

namespace orv::sim {

namespace {

constexpr std::uint8_t kReadParams = 3, kReadMeasure = 4, kWriteParams = 16, kCommand = 17;

void PutFloatLE(std::vector<std::uint8_t>& out, float v) {
    const auto bits = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void Seal(std::vector<std::uint8_t>& frame) { frame.push_back(protocol::Crc8(frame)); }

std::string FormatCurrents(const OutputCurrents& c) {
    char text[64];
    if (c.dual)
        std::snprintf(text, sizeof text, "out1 %.3f mA, out2 %.3f mA", c.out1, c.out2);
    else
        std::snprintf(text, sizeof text, "out1 %.3f mA", c.out1);
    return text;
}

}  // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    return text;
}

std::array<std::uint8_t, 36> Transmitter::FactoryBlock() {
    using namespace field;
    field::Block b{};
    b[kModel] = 5;       // universal input, two outputs
    b[kInputType] = 0;   // TC K
    b[kCjcMode] = 1;     // internal cold-junction sensor
    b[kWireCount] = 3;
    PutF32(b, kRangeZero, 0.0f);
    PutF32(b, kRangeFull, 1300.0f);
    b[kDamping] = 1;
    b[kBreakAlarm] = 1;        // alarm above the high limit
    b[kOutputDirection] = 1;   // 4 mA at the low end
    PutF32(b, kResistanceCal, 20102.201171875f);
    PutU16(b, kMillivoltCal, 12217);
    PutU16(b, kAmbientCal, 20460);
    PutU16(b, kOut1Zero, 915);
    PutU16(b, kOut1Full, 4700);
    b[kOffset] = 0;
    PutU16(b, kVoltageCal, 19088);
    PutU16(b, kCurrentCal, 9160);
    PutU16(b, kOut2Zero, 915);
    PutU16(b, kOut2Full, 4700);
    return b;
}

Transmitter::Transmitter() : block_(FactoryBlock()) {}

void Transmitter::Log(const std::string& line) const {
    if (log_) log_(line);
}

void Transmitter::Take(const std::vector<FramerEvent>& events, std::vector<std::uint8_t>& out) {
    for (const FramerEvent& e : events) {
        switch (e.kind) {
            case FramerEvent::Kind::Request:
                Log("-> " + HexBytes(e.bytes));
                Handle(e.bytes, out);
                break;
            case FramerEvent::Kind::Skipped:
                Log("!! ignored " + HexBytes(e.bytes));
                stats_.skippedBytes += static_cast<unsigned>(e.bytes.size());
                break;
            case FramerEvent::Kind::BadChecksum:
                Log("!! bad checksum " + HexBytes(e.bytes));
                ++stats_.badChecksum;
                break;
            case FramerEvent::Kind::Incomplete:
                Log("!! incomplete " + HexBytes(e.bytes));
                stats_.skippedBytes += static_cast<unsigned>(e.bytes.size());
                break;
        }
    }
}

std::vector<std::uint8_t> Transmitter::Receive(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    Take(framer_.Feed(bytes), out);
    return out;
}

std::vector<std::uint8_t> Transmitter::LineIdle() {
    std::vector<std::uint8_t> out;
    Take(framer_.LineIdle(), out);
    return out;
}

void Transmitter::Answer(std::vector<std::uint8_t> answer, std::vector<std::uint8_t>& out) {
    ++stats_.answered;
    if (faults.silent) {
        Log("   (silent)");
        return;
    }
    if (faults.wrongFunction) {
        answer[1] = static_cast<std::uint8_t>(answer[1] | 0x80);
        answer.back() = protocol::Crc8(std::span(answer).first(answer.size() - 1));
    }
    if (faults.corruptChecksum) answer.back() = static_cast<std::uint8_t>(answer.back() ^ 0x5A);
    Log("<- " + HexBytes(answer));
    out.insert(out.end(), answer.begin(), answer.end());
}

void Transmitter::Handle(std::span<const std::uint8_t> frame, std::vector<std::uint8_t>& out) {
    const std::uint8_t function = frame[1];
    const auto payload = frame.subspan(3, frame[2]);
    switch (function) {
        case kReadParams: {
            const unsigned start = payload[0], count = payload[1];
            if (count == 0 || start + count > block_.size()) {
                ++stats_.refused;
                Log("!! read of " + std::to_string(count) + " bytes at " + std::to_string(start) +
                    " is outside the block, not answered");
                return;
            }
            std::vector<std::uint8_t> answer{0, kReadParams, static_cast<std::uint8_t>(count)};
            answer.insert(answer.end(), block_.begin() + start, block_.begin() + start + count);
            Seal(answer);
            Answer(std::move(answer), out);
            return;
        }
        case kReadMeasure: {
            const protocol::MeasureBlock m = Measure();
            std::vector<std::uint8_t> answer{0, kReadMeasure, 18};
            for (std::int16_t raw : m.raw) {
                const auto u = static_cast<std::uint16_t>(raw);
                answer.push_back(static_cast<std::uint8_t>(u & 0xFF));
                answer.push_back(static_cast<std::uint8_t>(u >> 8));
            }
            PutFloatLE(answer, m.ambient);
            PutFloatLE(answer, m.measured);
            Seal(answer);
            Answer(std::move(answer), out);
            return;
        }
        case kWriteParams: {
            const unsigned start = payload[0];
            const unsigned count = static_cast<unsigned>(payload.size()) - 1;
            // A write that runs past the block would corrupt whatever follows
            // it in a real device's memory; it is refused whole, nothing stored.
            if (count == 0 || start + count > block_.size()) {
                ++stats_.refused;
                Log("!! write of " + std::to_string(count) + " bytes at " + std::to_string(start) +
                    " is outside the block, not answered");
                return;
            }
            if (!faults.keepBlock) std::copy(payload.begin() + 1, payload.end(), block_.begin() + start);
            std::vector<std::uint8_t> answer{0, kWriteParams, static_cast<std::uint8_t>(count)};
            Seal(answer);
            Answer(std::move(answer), out);
            return;
        }
        case kCommand: {
            const std::uint8_t code = payload[0];
            const auto first = static_cast<std::uint16_t>((payload[1] << 8) | payload[2]);
            const auto second = static_cast<std::uint16_t>((payload[3] << 8) | payload[4]);
            Command(code, first, second);
            if (code == 4 && faults.silentRestart) {
                Log("   (reset before acknowledging)");
                return;
            }
            // Unknown codes are echoed too: the device acknowledges what it
            // heard, and the tool decides what an unknown code means.
            std::vector<std::uint8_t> answer{0, kCommand, 1, code};
            Seal(answer);
            Answer(std::move(answer), out);
            if (code <= 3) Log("   " + FormatCurrents(Outputs()));
            return;
        }
        default: return;  // unreachable: the framer admits only the four functions
    }
}

void Transmitter::Command(std::uint8_t code, std::uint16_t first, std::uint16_t second) {
    switch (code) {
        case 0: mode_ = OutputMode::FollowMeasurement; break;
        case 1:
        case 2:
            mode_ = code == 1 ? OutputMode::SimulateZero : OutputMode::SimulateFull;
            simulated1_ = first;
            simulated2_ = second;
            break;
        case 3:
            block_ = FactoryBlock();
            mode_ = OutputMode::FollowMeasurement;
            break;
        case 4:
            // A restart keeps the stored block and drops everything volatile.
            // It is acknowledged before the reset, unless the device is told
            // to reset at once.
            mode_ = OutputMode::FollowMeasurement;
            // Whatever was half received is lost with the reset.
            framer_ = RequestFramer{};
            ++stats_.restarts;
            Log("   restart");
            break;
        default: Log("!! unknown command " + std::to_string(code)); break;
    }
}

}  // namespace orv::sim
