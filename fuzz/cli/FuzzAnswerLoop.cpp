// orvane-cli's answer loop fed a scripted line: noise in chunks of any size,
// then the device's answer, split anywhere, then more noise. The answer is
// always taken; nothing the noise holds can stop it, and the loop never
// holds more than one answer's bytes. Whatever is taken passes the answer
// checks and is the first run in the stream that does.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "cli/AnswerCollector.h"
#include "protocol/Crc8.h"
#include "protocol/Frames.h"
#include "protocol/FunctionCode.h"

namespace {

using orv::protocol::FunctionCode;
using Bytes = std::vector<std::uint8_t>;

constexpr std::array kFunctions{FunctionCode::ReadParams, FunctionCode::ReadMeasure, FunctionCode::WriteParams,
                                FunctionCode::Command};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const FunctionCode function = in.PickValueInArray(kFunctions);
    const std::uint8_t code = orv::protocol::ToByte(function);
    const std::size_t length = orv::protocol::AnswerLength(function);

    Bytes answer = in.ConsumeBytes<std::uint8_t>(length - 1);
    answer.resize(length - 1);
    answer[1] = code;
    answer.push_back(orv::protocol::Crc8(answer));
    const Bytes noise = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    Bytes stream = noise;
    stream.insert(stream.end(), answer.begin(), answer.end());
    const Bytes after = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 60));
    stream.insert(stream.end(), after.begin(), after.end());

    orv::cli::AnswerCollector collector(function);
    bool done = false;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min(stream.size() - at, in.ConsumeIntegralInRange<std::size_t>(1, 64));
        done = collector.Take(std::span(stream.data() + at, n));
        ORV_FUZZ_CHECK(collector.Pending() <= length, "the loop holds %zu bytes", collector.Pending());
        at += n;
    }
    ORV_FUZZ_CHECK(done && collector.Answer(), "a valid answer after %zu bytes of noise was not taken", noise.size());
    const Bytes& taken = *collector.Answer();
    ORV_FUZZ_CHECK(orv::protocol::AcceptAnswer(taken, static_cast<std::uint32_t>(length), code) == code,
                   "what was taken fails the answer checks");
    // The first acceptable run in the stream, found the slow way.
    std::size_t first = 0;
    while (orv::protocol::AcceptAnswer(std::span(stream.data() + first, length), static_cast<std::uint32_t>(length), code) != code)
        ++first;
    ORV_FUZZ_CHECK(Bytes(stream.begin() + static_cast<long>(first), stream.begin() + static_cast<long>(first + length)) == taken,
                   "taken at another place than the first acceptable run (%zu)", first);
    if (first == noise.size()) ORV_FUZZ_CHECK(taken == answer, "the device's answer was not what was taken");
    return 0;
}
