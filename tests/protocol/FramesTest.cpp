#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "protocol/AnswerCollector.h"
#include "protocol/Crc8.h"
#include "protocol/Frames.h"

namespace orv::protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Frames, RequestsAreByteExactWithCommandArgumentsHighByteFirst) {
    struct Case {
        const char* what;
        Bytes frame, expected;
    };
    const Case cases[] = {
        {"read parameters", ReadParamsFrame(), {0x00, 0x03, 0x02, 0x00, 0x24, 0x85}},
        {"read measurement", ReadMeasureFrame(), {0x00, 0x04, 0x00, 0x3B}},
        {"restart", CommandFrame(4, 4, 0), {0x00, 0x11, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00, 0xAC}},
        {"factory restore", CommandFrame(3, 0, 0), {0x00, 0x11, 0x05, 0x03, 0x00, 0x00, 0x00, 0x00, 0x63}},
        {"follow measurement", CommandFrame(0, 0, 0), {0x00, 0x11, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2D}},
        {"byte order", CommandFrame(1, 0x1234, 0xABCD), {0x00, 0x11, 0x05, 0x01, 0x12, 0x34, 0xAB, 0xCD, 0x65}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.frame, c.expected) << c.what;
}

TEST(Frames, WriteCountsStartAddressInLengthByte) {
    const std::uint8_t one[] = {0x5A};
    const Bytes single = WriteParamsFrame(13, one);
    ASSERT_EQ(single.size(), 6u);
    EXPECT_EQ(Bytes(single.begin(), single.end() - 1), (Bytes{0x00, 0x10, 0x02, 0x0D, 0x5A}));
    EXPECT_EQ(Crc8(single), 0);

    std::array<std::uint8_t, 36> block{};
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0xC0 + i);
    const Bytes whole = WriteParamsFrame(0, block);
    ASSERT_EQ(whole.size(), 41u);
    EXPECT_EQ(whole[2], 37);
    EXPECT_EQ(whole[3], 0);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), whole.begin() + 4));
    EXPECT_EQ(Crc8(whole), 0);

    const std::vector<std::uint8_t> tooLong(255);
    EXPECT_THROW(WriteParamsFrame(0, tooLong), std::length_error);
}

Bytes WithCrc(Bytes body) {
    body.push_back(Crc8(body));
    return body;
}
// A good 5-byte command answer, the base of the variations below.
Bytes Good(std::uint8_t function = 17) { return WithCrc({0x00, function, 0x01, 0x03}); }

TEST(AcceptAnswer, ChecksumAndFunctionCodeDecide) {
    struct Case {
        const char* what;
        Bytes answer;
        std::uint32_t length;
        std::uint8_t function;
        std::uint8_t result;
    };
    Bytes badCrc = Good();
    badCrc.back() ^= 0x01;
    Bytes trailing = Good();
    trailing.insert(trailing.end(), {0xEE, 0xFF, 0x00});
    Bytes trailingBroken = Good();
    trailingBroken.back() ^= 0x80;
    trailingBroken.push_back(0x11);

    const Case cases[] = {
        {"good", Good(), 5, 17, 17},
        {"bad checksum", badCrc, 5, 17, 0},
        {"another function code", Good(16), 5, 17, 0},
        {"any address byte", WithCrc({0x7F, 17, 0x00, 0x03}), 5, 17, 17},
        {"any byte 2", WithCrc({0x00, 17, 0xFF, 0x03}), 5, 17, 17},
        {"trailing bytes ignored", trailing, 5, 17, 17},
        {"trailing bytes do not rescue a bad frame", trailingBroken, 5, 17, 0},
        {"shorter than expected", Good(), 6, 17, 0},
        {"nothing outstanding", Good(), 0, 0, 0},
        {"function 0 never accepted", WithCrc({0x00, 0x00, 0x00, 0x00}), 5, 0, 0},
        {"empty read", {}, 5, 17, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(AcceptAnswer(c.answer, c.length, c.function), c.result) << c.what;
}

// What the line delivers before and around the answer: the answer is found
// wherever it starts, in whatever chunks it comes.
TEST(CliAnswers, TheAnswerIsFoundAfterAnyNoise) {
    Bytes ack{0x00, 0x10, 0x03};
    ack.push_back(Crc8(ack));
    Bytes badAck = ack;
    badAck.back() ^= 0x5A;
    Bytes otherAck{0x00, 0x90, 0x03};
    otherAck.push_back(Crc8(otherAck));
    const struct {
        const char* what;
        std::vector<Bytes> chunks;
        bool found;
        unsigned bad, other;
    } cases[] = {
        {"the answer alone", {ack}, true, 0, 0},
        {"byte by byte", {{ack[0]}, {ack[1]}, {ack[2]}, {ack[3]}}, true, 0, 0},
        // Noise and answer in one chunk: the window's per-chunk test would miss it.
        {"noise first, one chunk", {{0x55, 0x00, 0x10, ack[0], ack[1], ack[2], ack[3]}}, true, 1, 0},
        {"a bad answer first", {badAck, ack}, true, 1, 0},
        {"another function's answer first", {otherAck, ack}, true, 0, 1},
        {"only a bad answer", {badAck}, false, 1, 0},
        {"half an answer", {{ack[0], ack[1]}}, false, 0, 0},
    };
    for (const auto& c : cases) {
        AnswerCollector collector(FunctionCode::WriteParams);
        bool done = false;
        for (const auto& chunk : c.chunks) done = collector.Take(chunk) || done;
        EXPECT_EQ(done, c.found) << c.what;
        if (c.found) {
            EXPECT_EQ(*collector.Answer(), ack) << c.what;
        }
        // A frame's own checksum makes the runs just past it look sound too:
        // the counts are at least the frames sent.
        EXPECT_GE(collector.BadChecksums(), c.bad) << c.what;
        EXPECT_GE(collector.OtherFunctions(), c.other) << c.what;
        EXPECT_EQ(collector.BadChecksums() + collector.OtherFunctions() > 0, c.bad + c.other > 0) << c.what;
    }
}

}  // namespace
}  // namespace orv::protocol
