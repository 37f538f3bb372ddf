#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "protocol/Crc8.h"

namespace orv::protocol {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// Published check values of CRC-8/MAXIM, not values this code produced.
TEST(Crc8, MatchesPublishedCheckValues) {
    struct Case {
        std::vector<std::uint8_t> input;
        std::uint8_t crc;
    };
    const Case cases[] = {
        {Bytes("123456789"), 0xA1},
        {Bytes("abc"), 0x42},
        {{}, 0x00},
        {{0x00, 0x03, 0x02, 0x00, 0x24}, 0x85},
        {{0x00, 0x04, 0x00}, 0x3B},
    };
    for (const auto& c : cases) EXPECT_EQ(Crc8(c.input), c.crc) << ::testing::PrintToString(c.input);
}

TEST(Crc8, OverAFrameWithItsChecksumIsZero) {
    const std::vector<std::vector<std::uint8_t>> frames{
        {0x00, 0x03, 0x02, 0x00, 0x24, 0x85},
        {0x00, 0x11, 0x05, 0x04, 0x00, 0x04, 0x00, 0x00, 0xAC},
        {0x00, 0x11, 0x05, 0x03, 0x00, 0x00, 0x00, 0x00, 0x63},
    };
    for (const auto& f : frames) EXPECT_EQ(Crc8(f), 0) << ::testing::PrintToString(f);
}

}  // namespace
}  // namespace orv::protocol
