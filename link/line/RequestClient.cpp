#include "link/line/RequestClient.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "link/line/SerialLineError.h"
#include "protocol/CommandCatalogue.h"
#include "protocol/Crc8.h"
#include "protocol/RequestTimers.h"

namespace orv::link {

namespace {

using protocol::FunctionCode;
using Kind = RequestFailure::Kind;

std::string Seconds(std::chrono::milliseconds ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", static_cast<double>(ms.count()) / 1000.0);
    return text;
}

// The reasons answers were turned down, for the failure's text.
struct Rejects {
    unsigned badChecksum = 0;
    unsigned otherFunction = 0;

    bool Any() const { return badChecksum + otherFunction > 0; }
    Rejects& operator+=(const Rejects& r) {
        badChecksum += r.badChecksum;
        otherFunction += r.otherFunction;
        return *this;
    }
    std::string Text() const {
        std::string text;
        if (badChecksum) text += std::to_string(badChecksum) + " with a bad checksum";
        if (badChecksum && otherFunction) text += ", ";
        if (otherFunction) text += std::to_string(otherFunction) + " with another function code";
        return text;
    }
};

}  // namespace

struct RequestClient::Waited {
    std::vector<std::uint8_t> answer;  // the accepted answer; empty when none came
    Rejects rejects;
    std::size_t partial = 0;  // bytes of an answer still incomplete at the deadline
};

RequestClient::RequestClient(SerialLine& line, double timeoutScale, std::function<Clock::time_point()> now)
    : line_(line), scale_(timeoutScale), now_(std::move(now)) {}

RequestClient::Clock::duration RequestClient::Scaled(unsigned ms) const {
    return std::chrono::milliseconds(std::lround(ms * scale_));
}

void RequestClient::Send(const protocol::Frame& frame, Clock::time_point deadline, const std::string& what) {
    try {
        line_.Write(frame, deadline);
    } catch (const SerialLineError& e) {
        switch (e.GetKind()) {
            case SerialLineError::Kind::HungUp:
                throw RequestFailure(Kind::Line, "the line hung up sending the " + what + " request (adapter unplugged?)");
            case SerialLineError::Kind::Stalled:
                throw RequestFailure(Kind::TimeOut, "the " + what + " request could not be sent in time");
            default:
                throw RequestFailure(Kind::Line, "cannot send the " + what + " request: " + e.what());
        }
    }
}

RequestClient::Waited RequestClient::Await(FunctionCode function, Clock::time_point deadline,
                                           const std::string& what) {
    const std::uint32_t n = protocol::AnswerLength(function);
    Waited w;
    std::vector<std::uint8_t> buffer;
    std::uint8_t chunk[64];
    for (;;) {
        std::size_t got = 0;
        try {
            got = line_.Read(chunk, deadline);
        } catch (const SerialLineError& e) {
            if (e.GetKind() == SerialLineError::Kind::HungUp)
                throw RequestFailure(Kind::Line, "the line hung up waiting for the " + what + " answer (adapter unplugged?)");
            throw RequestFailure(Kind::Line, "line failed waiting for the " + what + " answer: " + e.what());
        }
        if (got == 0) break;
        buffer.insert(buffer.end(), chunk, chunk + got);
        if (buffer.size() < n) continue;
        if (protocol::AcceptAnswer(buffer, n, protocol::ToByte(function)) != 0) {
            buffer.resize(n);
            w.answer = std::move(buffer);
            return w;
        }
        // Dropped as the window drops it; the wait goes on.
        const auto crc = protocol::Crc8(std::span<const std::uint8_t>(buffer.data(), n - 1));
        (crc != buffer[n - 1] ? w.rejects.badChecksum : w.rejects.otherFunction)++;
        buffer.clear();
    }
    w.partial = buffer.size();
    return w;
}

std::vector<std::uint8_t> RequestClient::Exchange(const protocol::Frame& frame, FunctionCode function,
                                                  unsigned timeoutMs, const std::string& what) {
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(Scaled(timeoutMs));
    // A late answer to an earlier request must not prefix this one's.
    line_.DropInput();
    const auto deadline = now_() + limit;
    Send(frame, deadline, what);
    Waited w = Await(function, deadline, what);
    if (!w.answer.empty()) return std::move(w.answer);
    if (w.rejects.Any())
        throw RequestFailure(Kind::BadAnswer, "no valid " + what + " answer within " + Seconds(limit) + ": " +
                                                  w.rejects.Text());
    const std::string got = w.partial == 0 ? "no answer"
                                           : "only " + std::to_string(w.partial) + " of " +
                                                 std::to_string(protocol::AnswerLength(function)) + " answer bytes";
    throw RequestFailure(Kind::TimeOut, got + " to the " + what + " request within " + Seconds(limit));
}

RequestClient::Block RequestClient::ReadParams() {
    const auto answer = Exchange(protocol::ReadParamsFrame(), FunctionCode::ReadParams,
                                 protocol::kReadParamsTimeoutMs, "read-parameters");
    Block block{};
    std::copy_n(answer.begin() + 3, block.size(), block.begin());
    return block;
}

void RequestClient::WriteParams(std::uint8_t start, std::span<const std::uint8_t> data) {
    Exchange(protocol::WriteParamsFrame(start, data), FunctionCode::WriteParams, protocol::kWriteParamsTimeoutMs,
             "write");
}

std::uint8_t RequestClient::Command(std::uint8_t code) {
    const auto entry = protocol::FindCommand(code);
    if (!entry || entry->timeoutMs == 0)
        throw std::invalid_argument("command " + std::to_string(code) + " has no time-out to wait for its answer");
    return Exchange(protocol::CommandFrame(entry->code, entry->first, entry->second), FunctionCode::Command,
                    entry->timeoutMs, "command")[3];
}

protocol::MeasureBlock RequestClient::ReadMeasure() {
    const auto answer = Exchange(protocol::ReadMeasureFrame(), FunctionCode::ReadMeasure, protocol::kPollIntervalMs,
                                 "measurement");
    return protocol::DecodeMeasureBlock(std::span<const std::uint8_t, 18>(answer.data() + 3, 18));
}

RestartOutcome RequestClient::Restart() {
    const auto entry = *protocol::FindCommand(protocol::kCmdRestart);
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(Scaled(protocol::kRestartRecoveryMs));
    const auto start = now_();
    const auto end = start + limit;
    line_.DropInput();
    Send(protocol::CommandFrame(entry.code, entry.first, entry.second), end, "restart");

    // An acknowledgement, if one comes, shows the device heard the command
    // and is going down now; without one, the device is given one read's
    // time before it is asked.
    RestartOutcome outcome;
    Waited ack = Await(FunctionCode::Command, std::min(start + Scaled(protocol::kRestartReadMs), end), "restart");
    outcome.acknowledged = !ack.answer.empty() && ack.answer[3] == entry.code;
    Rejects rejects = ack.rejects;

    // One read at a time, each given its whole wait: a device that is still
    // starting misses a read, and the next one asks again.
    while (now_() < end) {
        line_.DropInput();
        const auto attemptEnd = std::min(now_() + Scaled(protocol::kRestartReadMs), end);
        Send(protocol::ReadParamsFrame(), attemptEnd, "read-parameters");
        Waited read = Await(FunctionCode::ReadParams, attemptEnd, "read-parameters");
        if (!read.answer.empty()) {
            std::copy_n(read.answer.begin() + 3, outcome.block.size(), outcome.block.begin());
            return outcome;
        }
        rejects += read.rejects;
    }
    const std::string within = " within " + Seconds(limit) + " of the restart";
    if (rejects.Any())
        throw RequestFailure(Kind::BadAnswer, "no valid answer" + within + ": " + rejects.Text());
    throw RequestFailure(Kind::TimeOut, std::string("no answer to a parameter read") + within +
                                            (outcome.acknowledged ? " (it acknowledged the restart)" : ""));
}

}  // namespace orv::link
