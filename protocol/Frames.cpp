#include "protocol/Frames.h"

#include <stdexcept>

#include "protocol/Crc8.h"

namespace orv::protocol {

namespace {

Frame Build(FunctionCode f, std::span<const std::uint8_t> payload) {
    if (payload.size() > 0xFF) throw std::length_error("frame payload longer than 255 bytes");
    Frame frame;
    frame.reserve(payload.size() + 4);
    frame.push_back(0);  // the device answers on address 0 only
    frame.push_back(ToByte(f));
    frame.push_back(static_cast<std::uint8_t>(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(Crc8(frame));
    return frame;
}

}  // namespace

Frame ReadParamsFrame() {
    const std::uint8_t payload[] = {0x00, 0x24};
    return Build(FunctionCode::ReadParams, payload);
}

Frame ReadMeasureFrame() { return Build(FunctionCode::ReadMeasure, {}); }

Frame WriteParamsFrame(std::uint8_t start, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> payload;
    payload.reserve(data.size() + 1);
    payload.push_back(start);
    payload.insert(payload.end(), data.begin(), data.end());
    return Build(FunctionCode::WriteParams, payload);
}

Frame CommandFrame(std::uint8_t code, std::uint16_t first, std::uint16_t second) {
    const std::uint8_t payload[] = {
        code,
        static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first & 0xFF),
        static_cast<std::uint8_t>(second >> 8), static_cast<std::uint8_t>(second & 0xFF),
    };
    return Build(FunctionCode::Command, payload);
}

std::uint8_t AcceptAnswer(std::span<const std::uint8_t> answer, std::uint32_t length, std::uint8_t function) {
    // Before the first request the expected length is 0; a stray event then
    // must not index in front of the buffer.
    if (length < 3 || length > answer.size()) return 0;
    const auto body = answer.first(length - 1);
    if (Crc8(body) != answer[length - 1]) return 0;
    if (answer[1] != function) return 0;
    return function;
}

}  // namespace orv::protocol
