// orvane-cli's answer loop (the link layer's request client) on a scripted
// line and a virtual clock: noise in chunks of any size arrives, then the
// device's answer, split anywhere, then more noise, all before the read's
// time-out. The answer is always taken, and the wait ends; whatever is taken
// is the first run in the stream that passes the answer checks. The collector
// underneath never holds more than one answer's bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "link/line/RequestClient.h"
#include "protocol/AnswerCollector.h"
#include "protocol/Crc8.h"
#include "protocol/Frames.h"
#include "tests/line/ScriptedLine.h"

namespace {

using orv::test::ScriptedLine;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr std::size_t kLength = 40;  // a parameter read's answer

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Bytes answer = in.ConsumeBytes<std::uint8_t>(kLength - 1);
    answer.resize(kLength - 1);
    answer[1] = 0x03;
    answer.push_back(orv::protocol::Crc8(answer));
    const Bytes noise = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    Bytes stream = noise;
    stream.insert(stream.end(), answer.begin(), answer.end());
    const Bytes after = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 60));
    stream.insert(stream.end(), after.begin(), after.end());

    // The stream in chunks, each a few milliseconds after the last, all well
    // inside the read's 2 s.
    std::vector<ScriptedLine::Reply> replies;
    for (std::size_t at = 0, ms = 10; at < stream.size(); ms += in.ConsumeIntegralInRange<std::size_t>(0, 3)) {
        const std::size_t n = std::min(stream.size() - at, in.ConsumeIntegralInRange<std::size_t>(1, 64));
        replies.push_back({std::chrono::milliseconds(ms), Bytes(stream.begin() + static_cast<long>(at),
                                                                stream.begin() + static_cast<long>(at + n))});
        at += n;
    }
    ScriptedLine line([&](const Bytes&, auto) { return replies; });
    orv::link::RequestClient client(line, 1.0, [&] { return line.Now(); });
    ScriptedLine::Clock::duration waited{};
    std::array<std::uint8_t, 36> block{};
    try {
        block = client.ReadParams();
        waited = line.Elapsed();
    } catch (const std::exception& e) {
        ORV_FUZZ_CHECK(false, "a valid answer after %zu bytes of noise was not taken: %s", noise.size(), e.what());
    }
    ORV_FUZZ_CHECK(waited < 2s, "the wait went on to the time-out");

    // The first acceptable run in the stream, found the slow way.
    std::size_t first = 0;
    while (orv::protocol::AcceptAnswer(std::span(stream.data() + first, kLength), kLength, 0x03) != 0x03) ++first;
    ORV_FUZZ_CHECK(std::equal(block.begin(), block.end(), stream.begin() + static_cast<long>(first + 3)),
                   "taken at another place than the first acceptable run (%zu)", first);
    if (first == noise.size())
        ORV_FUZZ_CHECK(std::equal(block.begin(), block.end(), answer.begin() + 3), "the device's answer was not taken");

    // The collector alone, chunk by chunk: bounded.
    orv::protocol::AnswerCollector collector(orv::protocol::FunctionCode::ReadParams);
    for (const auto& r : replies) {
        collector.Take(r.bytes);
        ORV_FUZZ_CHECK(collector.Pending() <= kLength, "the collector holds %zu bytes", collector.Pending());
    }
    return 0;
}
