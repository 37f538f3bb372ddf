#pragma once
// Finds the answer to the one request outstanding in what the line delivers.
//
// Bytes come in chunks of any size, after any noise: a late answer to an
// earlier request, a glitch as the adapter powers up, half a frame. The
// answer is the first run of the expected length, anywhere in the stream,
// whose last byte is the checksum of the others and whose second byte is the
// request's function code: the window's acceptance test applied at every
// position rather than only where a chunk happens to start. Pure value code.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/FunctionCode.h"

namespace orv::protocol {

class AnswerCollector {
public:
    explicit AnswerCollector(FunctionCode function);

    // Takes a chunk off the line; true once the answer is complete. Bytes
    // after the answer are ignored.
    bool Take(std::span<const std::uint8_t> chunk);

    // The answer, once Take returned true.
    const std::optional<std::vector<std::uint8_t>>& Answer() const { return answer_; }

    // For the report when no answer came: runs of the answer's length that
    // carried the function code but failed the checksum, and ones with a
    // good checksum and another function code; and the bytes that may still
    // be the start of an answer.
    unsigned BadChecksums() const { return badChecksum_; }
    unsigned OtherFunctions() const { return otherFunction_; }
    std::size_t Pending() const { return buffer_.size(); }

private:
    std::uint8_t function_;
    std::size_t length_;
    std::vector<std::uint8_t> buffer_;  // never longer than one answer
    std::optional<std::vector<std::uint8_t>> answer_;
    unsigned badChecksum_ = 0;
    unsigned otherFunction_ = 0;
};

}  // namespace orv::protocol
