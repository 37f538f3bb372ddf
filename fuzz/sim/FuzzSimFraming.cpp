// The simulated transmitter's framing. Line noise of any shape, in any
// chunking, followed by one valid request sent a byte at a time: the device
// must find and answer that request once the line goes quiet after it, unless
// the noise itself ended in the start of a frame that the request's first
// bytes complete into a valid one (a frame the device may rightly take). A
// request inside the request's own data is never taken for it. Nothing it
// handles may fail its checksum.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "protocol/Crc8.h"
#include "sim/Transmitter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Sealed(Bytes body) {
    body.push_back(orv::protocol::Crc8(body));
    return body;
}

Bytes Request(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return {0x00, 0x03, 0x02, 0x00, 0x24, 0x85};
        case 1: return {0x00, 0x04, 0x00, 0x3B};
        case 2: {
            const auto count = in.ConsumeIntegralInRange<std::uint8_t>(1, 36);
            const auto start = in.ConsumeIntegralInRange<std::uint8_t>(0, static_cast<std::uint8_t>(36 - count));
            Bytes f{0x00, 0x10, static_cast<std::uint8_t>(count + 1), start};
            for (int k = 0; k < count; ++k) f.push_back(in.ConsumeIntegral<std::uint8_t>());
            return Sealed(f);
        }
        default: {
            Bytes f{0x00, 0x11, 0x05};
            for (int k = 0; k < 5; ++k) f.push_back(in.ConsumeIntegral<std::uint8_t>());
            return Sealed(f);
        }
    }
}

Bytes Parse(const std::string& hex) {
    Bytes out;
    for (std::size_t k = 0; k + 1 < hex.size(); k += 3) out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(k, 2), nullptr, 16)));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const Bytes request = Request(in);
    const bool pause = in.ConsumeBool();

    orv::sim::Transmitter device;
    std::vector<Bytes> handled;
    device.SetLog([&](const std::string& line) {
        if (line.rfind("-> ", 0) == 0) handled.push_back(Parse(line.substr(3)));
    });

    Bytes line;  // everything sent, to tell where a handled frame came from
    while (in.remaining_bytes() > 0) {
        const auto chunk = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(1, 64));
        line.insert(line.end(), chunk.begin(), chunk.end());
        device.Receive(chunk);
        if (in.ConsumeIntegralInRange(0, 7) == 0) device.LineIdle();
    }
    if (pause) device.LineIdle();
    for (const Bytes& f : handled) ORV_FUZZ_CHECK(orv::protocol::Crc8(f) == 0, "a frame with a bad checksum was handled");

    handled.clear();
    const std::size_t noiseEnd = line.size();
    line.insert(line.end(), request.begin(), request.end());
    Bytes answer;
    for (std::size_t k = 0; k < request.size(); ++k) {
        const Bytes out = device.Receive(std::span(&request[k], 1));
        answer.insert(answer.end(), out.begin(), out.end());
    }
    const Bytes late = device.LineIdle();
    answer.insert(answer.end(), late.begin(), late.end());

    bool overlapped = false;
    for (const Bytes& f : handled) {
        ORV_FUZZ_CHECK(orv::protocol::Crc8(f) == 0, "a frame with a bad checksum was handled");
        if (f == request) continue;
        // Valid frames in the noise are fair game, and one begun there may
        // end within the request; one wholly inside the request is not.
        bool inNoise = false;
        for (std::size_t at = 0; at < noiseEnd && at + f.size() <= line.size(); ++at) {
            if (!std::equal(f.begin(), f.end(), line.begin() + static_cast<long>(at))) continue;
            inNoise = true;
            overlapped = overlapped || at + f.size() > noiseEnd;
        }
        ORV_FUZZ_CHECK(inNoise, "a request inside the request's own bytes was taken (%zu of %zu bytes)", f.size(),
                       request.size());
    }
    if (overlapped) return 0;
    bool found = false;
    for (const Bytes& f : handled) found = found || f == request;
    ORV_FUZZ_CHECK(found, "the request after the noise was not found (%zu bytes)", request.size());
    // Requests come one at a time, so its answer is the last thing said.
    bool answered = false;
    for (std::size_t i = 0; i + 4 <= answer.size(); ++i)
        answered = answered || (answer[i + 1] == request[1] && orv::protocol::Crc8(std::span(answer).subspan(i)) == 0);
    ORV_FUZZ_CHECK(answered, "the request after the noise was not answered");
    return 0;
}
