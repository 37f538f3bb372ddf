#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "protocol/MeasureBlock.h"

namespace orv::protocol {
namespace {

TEST(MeasureBlock, RawReadingsAreSignedLittleEndian) {
    struct Case {
        std::uint8_t lo, hi;
        std::int16_t value;
    };
    const Case cases[] = {
        {0x34, 0x12, 0x1234}, {0xFF, 0xFF, -1}, {0x00, 0x80, -32768}, {0xFF, 0x7F, 32767}, {0x01, 0x00, 1},
    };
    for (const auto& c : cases) {
        for (std::size_t slot = 0; slot < 5; ++slot) {
            std::array<std::uint8_t, 18> payload{};
            payload[2 * slot] = c.lo;
            payload[2 * slot + 1] = c.hi;
            const MeasureBlock m = DecodeMeasureBlock(payload);
            for (std::size_t i = 0; i < 5; ++i)
                EXPECT_EQ(m.raw[i], i == slot ? c.value : 0) << "slot " << slot << " reading " << i;
        }
    }
}

TEST(MeasureBlock, FloatsAreLittleEndianSinglePrecision) {
    // 25.5f is 0x41CC0000 and -1.25f is 0xBFA00000, written low byte first.
    std::array<std::uint8_t, 18> payload{};
    const std::uint8_t ambient[] = {0x00, 0x00, 0xCC, 0x41};
    const std::uint8_t measured[] = {0x00, 0x00, 0xA0, 0xBF};
    std::memcpy(payload.data() + 10, ambient, 4);
    std::memcpy(payload.data() + 14, measured, 4);
    payload[8] = 0x07;  // RV4 next to the floats must stay its own
    const MeasureBlock m = DecodeMeasureBlock(payload);
    EXPECT_EQ(m.ambient, 25.5f);
    EXPECT_EQ(m.measured, -1.25f);
    EXPECT_EQ(m.raw[4], 7);
}

}  // namespace
}  // namespace orv::protocol
