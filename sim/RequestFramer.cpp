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
    void Skip(std::uint8_t byte) { skipped_.push_back(byte); }
    void Add(FramerEvent::Kind kind, std::span<const std::uint8_t> bytes) {
        FlushSkipped();
        out_.push_back({kind, {bytes.begin(), bytes.end()}});
    }
    std::vector<FramerEvent> Take() {
        FlushSkipped();
        return std::move(out_);
    }

private:
    void FlushSkipped() {
        if (skipped_.empty()) return;
        out_.push_back({FramerEvent::Kind::Skipped, std::move(skipped_)});
        skipped_.clear();
    }
    std::vector<std::uint8_t> skipped_;
    std::vector<FramerEvent> out_;
};

}  // namespace

std::vector<FramerEvent> RequestFramer::Feed(std::span<const std::uint8_t> bytes) {
    Events events;
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    const std::span<const std::uint8_t> all(pending_);

    // A request is only sent once the previous answer came, so a good one is
    // the last thing on the line: one that ends right where the received
    // bytes end, behind a header whose frame is still incomplete, shows that
    // header to be noise.
    auto requestEndingHere = [&](std::size_t from) -> std::size_t {
        for (std::size_t at = from; at + kMinFrame <= all.size(); ++at) {
            const auto rest = all.subspan(at);
            if (LooksLikeHeader(rest) && FrameSize(rest) == rest.size() && protocol::Crc8(rest) == 0) return at;
        }
        return all.size();
    };

    std::size_t start = 0;
    while (start < all.size()) {
        const auto rest = all.subspan(start);
        if (rest[0] != 0) {  // every request is addressed to device 0
            events.Skip(rest[0]);
            ++start;
            continue;
        }
        if (rest.size() < kHeader) break;
        if (!LooksLikeHeader(rest)) {
            events.Skip(rest[0]);
            ++start;
            continue;
        }
        const std::size_t n = FrameSize(rest);
        if (rest.size() < n) {
            const std::size_t later = requestEndingHere(start + 1);
            if (later == all.size()) break;
            for (; start < later; ++start) events.Skip(all[start]);
            continue;
        }
        const auto frame = rest.first(n);
        if (protocol::Crc8(frame) != 0) {
            // Slide by one byte only: a good request may start inside what
            // looked like a frame.
            events.Add(FramerEvent::Kind::BadChecksum, frame);
            events.Skip(rest[0]);
            ++start;
            continue;
        }
        events.Add(FramerEvent::Kind::Request, frame);
        start += n;
    }
    std::vector<FramerEvent> out = events.Take();
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
    return out;
}

std::vector<FramerEvent> RequestFramer::LineIdle() {
    std::vector<FramerEvent> out;
    if (!pending_.empty()) out.push_back({FramerEvent::Kind::Incomplete, std::move(pending_)});
    pending_.clear();
    return out;
}

}  // namespace orv::sim
