#include "cli/DeviceLine.h"

#include <poll.h>

#include <chrono>
#include <cmath>

#include "cli/AnswerCollector.h"

namespace orv::cli {

namespace {

using Clock = std::chrono::steady_clock;
using protocol::FunctionCode;

// Qt also reports "nothing to read yet" as a read error; only a line that
// really hung up (the adapter was pulled) is a failure.
bool LineGone(qintptr handle) {
    if (handle < 0) return true;
    pollfd p{static_cast<int>(handle), POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::string Seconds(int ms) {
    const double s = ms / 1000.0;
    char text[32];
    std::snprintf(text, sizeof text, "%g s", s);
    return text;
}

}  // namespace

std::string_view KindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::Port: return "port";
        case FailureKind::TimeOut: return "time-out";
        case FailureKind::BadAnswer: return "bad-answer";
        case FailureKind::Mismatch: return "mismatch";
        case FailureKind::Refused: return "refused";
        case FailureKind::File: return "file";
    }
    return "unknown";
}

DeviceLine::DeviceLine(std::string path, double timeoutScale) : path_(std::move(path)), scale_(timeoutScale) {}

DeviceLine::~DeviceLine() {
    if (port_.isOpen()) port_.close();
}

void DeviceLine::PortFailure(const std::string& doing) {
    std::string text = port_.error() != QSerialPort::NoError ? port_.errorString().toStdString() : "unknown error";
    port_.clearError();
    if (port_.isOpen()) port_.close();
    throw DeviceFailure(FailureKind::Port, doing + ": " + text);
}

void DeviceLine::Open() {
    port_.setPortName(QString::fromStdString(path_));
    if (!port_.open(QIODevice::ReadWrite)) PortFailure("cannot open " + path_);
    const bool ok = port_.setBaudRate(1200) && port_.setDataBits(QSerialPort::Data8) &&
                    port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) PortFailure("cannot set 1200 baud 8N1 on " + path_);
    // Qt does not flush on open: bytes from before are no answer to us.
    port_.clear(QSerialPort::AllDirections);
}

std::vector<std::uint8_t> DeviceLine::Exchange(const protocol::Frame& frame, FunctionCode function, int timeoutMs,
                                               const char* what) {
    const auto n = protocol::AnswerLength(function);
    const int limitMs = static_cast<int>(std::lround(timeoutMs * scale_));
    // A late answer to an earlier request must not prefix this one's.
    port_.clear(QSerialPort::Input);
    port_.readAll();
    if (port_.write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size())) !=
        static_cast<qint64>(frame.size()))
        PortFailure(std::string("cannot send the ") + what + " request");
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (port_.bytesToWrite() > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || !port_.waitForBytesWritten(static_cast<int>(left))) {
            if (port_.error() == QSerialPort::TimeoutError || left <= 0)
                throw DeviceFailure(FailureKind::TimeOut, std::string("the ") + what + " request could not be sent within " + Seconds(limitMs));
            PortFailure(std::string("cannot send the ") + what + " request");
        }
    }

    // As in the window, a rejected answer is dropped and the time-out keeps
    // running; the collector keeps the reasons for the report.
    AnswerCollector collector(function);
    for (;;) {
        const QByteArray chunk = port_.readAll();
        if (collector.Take(std::span(reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::size_t>(chunk.size()))))
            return *collector.Answer();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        if (!port_.waitForReadyRead(static_cast<int>(left))) {
            const auto error = port_.error();
            // Qt's text for a hung-up line is left over from some earlier
            // call, so the condition is named here instead.
            if (LineGone(port_.handle())) {
                port_.clearError();
                port_.close();
                throw DeviceFailure(FailureKind::Port, std::string("the line hung up waiting for the ") + what +
                                                           " answer (adapter unplugged?)");
            }
            if (error == QSerialPort::TimeoutError || error == QSerialPort::NoError || error == QSerialPort::ReadError) {
                port_.clearError();
                continue;
            }
            PortFailure(std::string("line failed waiting for the ") + what + " answer");
        }
    }
    const unsigned badChecksum = collector.BadChecksums(), otherFunction = collector.OtherFunctions();
    if (badChecksum || otherFunction) {
        std::string text = std::string("no valid ") + what + " answer within " + Seconds(limitMs) + ": ";
        if (badChecksum) text += std::to_string(badChecksum) + " with a bad checksum";
        if (badChecksum && otherFunction) text += ", ";
        if (otherFunction) text += std::to_string(otherFunction) + " with another function code";
        throw DeviceFailure(FailureKind::BadAnswer, text);
    }
    const std::string got = collector.Pending() == 0 ? "no answer" : "only " + std::to_string(collector.Pending()) + " of " + std::to_string(n) + " answer bytes";
    throw DeviceFailure(FailureKind::TimeOut, got + " to the " + what + " request within " + Seconds(limitMs));
}

Block DeviceLine::ReadParams() {
    const auto answer = Exchange(protocol::ReadParamsFrame(), FunctionCode::ReadParams, kReadTimeoutMs, "read-parameters");
    Block block{};
    std::copy(answer.begin() + 3, answer.begin() + 3 + block.size(), block.begin());
    return block;
}

void DeviceLine::WriteParams(std::uint8_t start, std::span<const std::uint8_t> data) {
    Exchange(protocol::WriteParamsFrame(start, data), FunctionCode::WriteParams, kWriteTimeoutMs, "write");
}

std::uint8_t DeviceLine::Command(std::uint8_t code, std::uint16_t first, std::uint16_t second) {
    return Exchange(protocol::CommandFrame(code, first, second), FunctionCode::Command, kCommandTimeoutMs,
                    "command")[3];
}

protocol::MeasureBlock DeviceLine::ReadMeasure() {
    const auto answer = Exchange(protocol::ReadMeasureFrame(), FunctionCode::ReadMeasure, kMeasureTimeoutMs, "measurement");
    return protocol::DecodeMeasureBlock(std::span<const std::uint8_t, 18>(answer.data() + 3, 18));
}

}  // namespace orv::cli
