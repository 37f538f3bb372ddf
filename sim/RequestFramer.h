#pragma once
// Finding requests in the bytes a device receives. Pure value code, no I/O:
// bytes go in as they come off the line, events come out in line order.
//
// Framing is by checksum, not by the length byte alone: a frame start is a
// device address 0, a function this device knows and a length that function
// may carry; it is a request only when its CRC-8 checks. A frame whose
// header has come is waited for while its bytes keep arriving, since a
// write's data may contain what looks like a whole request. When it fails its
// checksum, or the line goes quiet before it is complete, the bytes after its
// first are searched again: noise that ends in something looking like a
// header then costs the request behind it no more than a quiet gap.
#include <cstdint>
#include <span>
#include <vector>

namespace orv::sim {

struct FramerEvent {
    enum class Kind {
        Request,      // bytes: one whole request, checksum included
        Skipped,      // bytes: noise dropped while looking for a frame start
        BadChecksum,  // bytes: a complete frame whose checksum failed (its first byte is then skipped)
        Incomplete,   // bytes: left of a partial frame when the line went quiet
    };
    Kind kind;
    std::vector<std::uint8_t> bytes;

    bool operator==(const FramerEvent&) const = default;
};

class RequestFramer {
public:
    // The bytes received next, in any chunking.
    std::vector<FramerEvent> Feed(std::span<const std::uint8_t> bytes);
    // The line has been quiet: a partial frame will not be completed, but a
    // request may lie inside its bytes.
    std::vector<FramerEvent> LineIdle();
    // Bytes held for a frame that is not complete yet.
    std::size_t Pending() const { return pending_.size(); }

    // The longest request this device accepts (a write of the whole block).
    static constexpr std::size_t kMaxRequest = 41;

private:
    std::vector<FramerEvent> Scan(bool quiet);

    std::vector<std::uint8_t> pending_;
};

}  // namespace orv::sim
