#include "cli/DeviceLine.h"

#include "link/line/SerialLineError.h"
#include "link/line/ThisPlatform.h"
#include "link/serial/LineSettings.h"

namespace orv::cli {

namespace {

FailureKind KindOf(link::RequestFailure::Kind kind) {
    switch (kind) {
        case link::RequestFailure::Kind::TimeOut: return FailureKind::TimeOut;
        case link::RequestFailure::Kind::BadAnswer: return FailureKind::BadAnswer;
        case link::RequestFailure::Kind::Line: break;
    }
    return FailureKind::Port;
}

template <typename Request>
auto Reported(Request&& request) {
    try {
        return request();
    } catch (const link::RequestFailure& e) {
        throw DeviceFailure(KindOf(e.GetKind()), e.what());
    } catch (const link::SerialLineError& e) {
        throw DeviceFailure(FailureKind::Port, e.what());
    }
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

DeviceLine::DeviceLine(std::string path, double timeoutScale, std::unique_ptr<link::SerialLine> line)
    : path_(std::move(path)), line_(line ? std::move(line) : link::MakeSerialLine()), client_(*line_, timeoutScale) {}

void DeviceLine::Open() {
    Reported([&] { line_->Open(path_, link::DeviceLineSettings()); });
}

Block DeviceLine::ReadParams() {
    return Reported([&] { return client_.ReadParams(); });
}

void DeviceLine::WriteParams(std::uint8_t start, std::span<const std::uint8_t> data) {
    Reported([&] { client_.WriteParams(start, data); });
}

std::uint8_t DeviceLine::Command(std::uint8_t code) {
    return Reported([&] { return client_.Command(code); });
}

protocol::MeasureBlock DeviceLine::ReadMeasure() {
    return Reported([&] { return client_.ReadMeasure(); });
}

link::RestartOutcome DeviceLine::Restart() {
    return Reported([&] { return client_.Restart(); });
}

}  // namespace orv::cli
