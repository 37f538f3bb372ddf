#include "protocol/AnswerCollector.h"

#include "protocol/Crc8.h"
#include "protocol/Frames.h"

namespace orv::protocol {

AnswerCollector::AnswerCollector(FunctionCode function)
    : function_(ToByte(function)), length_(AnswerLength(function)) {
    buffer_.reserve(length_);
}

bool AnswerCollector::Take(std::span<const std::uint8_t> chunk) {
    for (const std::uint8_t byte : chunk) {
        if (answer_) return true;
        buffer_.push_back(byte);
        if (buffer_.size() < length_) continue;
        if (AcceptAnswer(buffer_, static_cast<std::uint32_t>(length_), function_) != 0) {
            answer_ = buffer_;
            return true;
        }
        // Not an answer from here: look again one byte on.
        const bool checksumGood = Crc8(std::span<const std::uint8_t>(buffer_.data(), length_ - 1)) == buffer_.back();
        if (checksumGood) ++otherFunction_;
        else if (buffer_[1] == function_) ++badChecksum_;
        buffer_.erase(buffer_.begin());
    }
    return answer_.has_value();
}

}  // namespace orv::protocol
