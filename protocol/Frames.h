#pragma once
// Request frames and the acceptance test for answers. Pure value code: no
// port, no clock, no dialog.
//
// Every frame: address 0, function code, length of the payload, the payload,
// then Crc8 over everything before it.
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/FunctionCode.h"

namespace orv::protocol {

using Frame = std::vector<std::uint8_t>;

// Always 00 03 02 00 24 85: the whole 36-byte block from address 0.
Frame ReadParamsFrame();
// Always 00 04 00 3B.
Frame ReadMeasureFrame();
// The length byte counts the start address together with the data bytes.
// Throws std::length_error when the data would not fit the length byte.
Frame WriteParamsFrame(std::uint8_t start, std::span<const std::uint8_t> data);
// The two arguments go out high byte first, unlike everything the device sends.
Frame CommandFrame(std::uint8_t code, std::uint16_t first, std::uint16_t second);

// Accepts the first `length` bytes of `answer` when their last byte is the
// checksum of the others and byte 1 is `function`. Returns `function` when
// accepted and 0 when not; the address byte and byte 2 are never looked at,
// and bytes after the first `length` are ignored. Fewer than `length` bytes,
// or a length too short to hold a function code and a checksum, is a reject.
std::uint8_t AcceptAnswer(std::span<const std::uint8_t> answer, std::uint32_t length, std::uint8_t function);

}  // namespace orv::protocol
