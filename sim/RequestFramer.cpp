#include "sim/RequestFramer.h"

#include "protocol/Crc8.h"

namespace orv::sim {

namespace {

constexpr std::uint8_t kReadParams = 3, kReadMeasure = 4, kWriteParams = 16, kCommand = 17;
constexpr std::size_t kHeader = 3;  // address, function, length
constexpr std::size_t kMinFrame = kHeader + 1;

// The length byte each function may carry. Anything else cannot be a request
// of this device, so the byte at the frame start is taken for line noise; that
// also keeps a corrupted length byte from making the device wait for up to
// 259 bytes.
bool PlausibleLength(std::uint8_t function, std::uint8_t length) {
    switch (function) {
        case kReadParams: return length == 2;
        case kReadMeasure: return length == 0;
        case kWriteParams: return length >= 1 && length <= 37;  // start byte + up to 36 data bytes
        case kCommand: return length == 5;
        default: return false;
    }
}

bool LooksLikeHeader(std::span<const std::uint8_t> at) {
    return at.size() >= kHeader && at[0] == 0 && PlausibleLength(at[1], at[2]);
}

std::size_t FrameSize(std::span<const std::uint8_t> at) { return static_cast<std::size_t>(at[2]) + kMinFrame; }

class Events {
public:
    // Bytes dropped in a row are reported as one event of their kind.
    void Drop(FramerEvent::Kind kind, std::uint8_t byte) {
        if (!dropped_.empty() && kind != droppedKind_) FlushDropped();
        droppedKind_ = kind;
        dropped_.push_back(byte);
    }
    void Add(FramerEvent::Kind kind, std::span<const std::uint8_t> bytes) {
        FlushDropped();
        out_.push_back({kind, {bytes.begin(), bytes.end()}});
    }
    std::vector<FramerEvent> Take() {
        FlushDropped();
        return std::move(out_);
    }

private:
    void FlushDropped() {
        if (dropped_.empty()) return;
        out_.push_back({droppedKind_, std::move(dropped_)});
        dropped_.clear();
    }
    FramerEvent::Kind droppedKind_ = FramerEvent::Kind::Skipped;
    std::vector<std::uint8_t> dropped_;
    std::vector<FramerEvent> out_;
};

}  // namespace

std::vector<FramerEvent> RequestFramer::Feed(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    return Scan(false);
}

std::vector<FramerEvent> RequestFramer::LineIdle() { return Scan(true); }

std::vector<FramerEvent> RequestFramer::Scan(bool quiet) {
    using Kind = FramerEvent::Kind;
    Events events;
    const std::span<const std::uint8_t> all(pending_);
    // Once the line is quiet, every byte left over belongs to a frame that
    // will never be completed.
    const Kind noise = quiet ? Kind::Incomplete : Kind::Skipped;

    std::size_t start = 0;
    while (start < all.size()) {
        const auto rest = all.subspan(start);
        // No frame starts here: every request is addressed to device 0 and
        // opens with a header this device knows.
        if (rest[0] != 0 || (rest.size() >= kHeader && !LooksLikeHeader(rest))) {
            events.Drop(noise, rest[0]);
            ++start;
            continue;
        }
        const std::size_t n = rest.size() < kHeader ? kMinFrame : FrameSize(rest);
        if (rest.size() < n) {
            // A frame still arriving keeps the line, even when a valid
            // request seems to end inside it: a write's data may well look
            // like one. Only a quiet line gives it up; the bytes after its
            // first are then searched again, so a request that a header in
            // the noise swallowed is still found.
            if (!quiet) break;
            events.Drop(Kind::Incomplete, rest[0]);
            ++start;
            continue;
        }
        const auto frame = rest.first(n);
        if (protocol::Crc8(frame) != 0) {
            // Slide by one byte only: a good request may start inside what
            // looked like a frame.
            events.Add(Kind::BadChecksum, frame);
            events.Drop(noise, rest[0]);
            ++start;
            continue;
        }
        events.Add(Kind::Request, frame);
        start += n;
    }
    std::vector<FramerEvent> out = events.Take();
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
    return out;
}

}  // namespace orv::sim
