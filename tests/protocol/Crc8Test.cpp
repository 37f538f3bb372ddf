#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "protocol/Crc8.h"

namespace orv::protocol {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// Published check values of CRC-8/MAXIM, not values this code produced; the
// two frame bodies pin the checksums the device expects on its requests.
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

}  // namespace
}  // namespace orv::protocol
