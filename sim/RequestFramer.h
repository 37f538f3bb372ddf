#pragma once
// Finding requests in the bytes a device receives. Pure value code, no I/O:
// bytes go in as they come off the line, events come out in line order.
//
// Framing is by checksum, not by the length byte alone: a frame start is a
// device address 0, a function this device knows and a length that function
// may carry; it is a request only when its CRC-8 checks. When line noise
// ends in something that looks like a header, the frame it promises is never
// completed; a valid request that ends where the received bytes end is then
// taken for what it is, instead of waiting for bytes that will never come.
#include <cstdint>
#include <span>
#include <vector>

namespace orv::sim {

struct FramerEvent {
    enum class Kind {
        Request,      // bytes: one whole request, checksum included
        Skipped,      // bytes: noise dropped while looking for a frame start
        BadChecksum,  // bytes: a complete frame whose checksum failed (its first byte is then skipped)
        Incomplete,   // bytes: a partial frame dropped because the line went quiet
    };
    Kind kind;
    std::vector<std::uint8_t> bytes;

    bool operator==(const FramerEvent&) const = default;
};

class RequestFramer {
public:
    // The bytes received next, in any chunking.
    std::vector<FramerEvent> Feed(std::span<const std::uint8_t> bytes);
    // The line has been quiet: a partial frame will not be completed.
    std::vector<FramerEvent> LineIdle();
    // Bytes held for a frame that is not complete yet.
    std::size_t Pending() const { return pending_.size(); }

    // The longest request this device accepts (a write of the whole block).
    static constexpr std::size_t kMaxRequest = 41;

private:
    std::vector<std::uint8_t> pending_;
};

}  // namespace orv::sim
