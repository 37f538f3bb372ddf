#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "config/InputTypeCatalogue.h"
#include "config/SettingCatalogue.h"

namespace orv::config {
namespace {

using Block = std::array<std::uint8_t, kParamBlockSize>;

// The codec's struct writes every field with a value of its own; the
// catalogue's offset, width and encoding must read each one back, and no two
// fields may share a byte.
TEST(SettingCatalogue, FieldsTileTheBlockAsTheCodecWritesThem) {
    ParamFields f;
    f.model = 0xA1;
    f.inputType = 0xA2;
    f.cjcMode = 0xA3;
    f.wireCount = 0xA4;
    f.rangeZero = -1234.5f;
    f.rangeFull = 98765.25f;
    f.dampingLevel = 0xA5;
    f.breakAlarm = 0xA6;
    f.outputDirection = 0xA7;
    f.resistanceCal = -0.375f;
    f.millivoltCal = -12345;
    f.ambientCal = 54321;
    f.out1ZeroTrim = 40001;
    f.out1FullTrim = 40002;
    f.offsetCorrection = -99;
    f.voltageCal = -23456;
    f.currentCal = 23456;
    f.out2ZeroTrim = 40003;
    f.out2FullTrim = 40004;
    const double want[] = {0xA1, 0xA2, 0xA3, 0xA4, -1234.5, 98765.25, 0xA5, 0xA6, 0xA7, -0.375,
                           -12345, 54321, 40001, 40002, -99, -23456, 23456, 40003, 40004};
    Block block{};
    f.Write(block);
    std::array<int, kParamBlockSize> owner{};
    owner.fill(-1);
    for (const SettingInfo& s : kSettings) {
        SCOPED_TRACE(std::string(s.word));
        for (std::size_t k = s.offset; k < s.offset + s.width; ++k) {
            EXPECT_EQ(owner[k], -1) << "byte " << k;
            owner[k] = static_cast<int>(s.id);
        }
        EXPECT_EQ(ReadField(s, block), want[static_cast<std::size_t>(s.id)]);
        EXPECT_EQ(&InfoOf(s.id), &s);
    }
    for (std::size_t k = 0; k < kParamBlockSize; ++k) EXPECT_NE(owner[k], -1) << "byte " << k << " has no field";
}

TEST(SettingCatalogue, LimitsAreWhatTheDeviceGivesMeaningTo) {
    struct Case {
        Setting setting;
        double value;
        bool inside;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float max = std::numeric_limits<float>::max();
    const Case cases[] = {
        {Setting::WireCount, 0, false},       {Setting::WireCount, 2, true},      {Setting::WireCount, 4, true},
        {Setting::WireCount, 255, false},     {Setting::DampingLevel, 9, true},  {Setting::DampingLevel, 12, false},
        {Setting::CjcMode, 2, false},         {Setting::BreakAlarm, 7, false},   {Setting::OutputDirection, 1, true},
        {Setting::InputType, 8, false},       {Setting::InputType, 15, true},    {Setting::Model, 6, false},
        {Setting::OffsetCorrection, -128, true}, {Setting::RangeZero, max, true}, {Setting::RangeZero, -max, true},
        {Setting::RangeZero, inf, false},     {Setting::RangeFull, nan, false},  {Setting::ResistanceCal, nan, false},
    };
    for (const Case& c : cases) {
        const SettingInfo& s = InfoOf(c.setting);
        SCOPED_TRACE(std::string(s.word) + " = " + std::to_string(c.value));
        Block block{};
        if (s.encoding == Encoding::F32) {
            const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(c.value));
            for (int k = 0; k < 4; ++k) block[s.offset + k] = static_cast<std::uint8_t>(bits >> (8 * k));
        } else {
            const auto raw = static_cast<std::uint32_t>(static_cast<std::int32_t>(c.value));
            for (int k = 0; k < s.width; ++k) block[s.offset + k] = static_cast<std::uint8_t>(raw >> (8 * k));
        }
        EXPECT_EQ(FieldInLimits(s, block), c.inside);
    }
}

// Scripts and files find a setting and a value by its word alone.
TEST(SettingCatalogue, EveryWordNamesOneThing) {
    std::set<std::string_view> settings;
    for (const SettingInfo& s : kSettings) {
        EXPECT_TRUE(settings.insert(s.word).second) << s.word;
        EXPECT_EQ(FindSetting(s.word), &s);
        std::set<std::string_view> values;
        for (const ValueWord& v : s.values) {
            EXPECT_TRUE(values.insert(v.word).second) << s.word << "=" << v.word;
            EXPECT_EQ(CodeOfWord(s, v.word), v.code);
        }
    }
    std::set<std::string_view> types;
    for (std::size_t row = 0; row < InputTypes().size(); ++row) {
        const std::string_view w = InputTypes()[row].word;
        EXPECT_TRUE(types.insert(w).second) << w;
        EXPECT_EQ(RowOfWord(w), static_cast<int>(row));
    }
    EXPECT_EQ(RowOfWord("TC-K"), 0);
    EXPECT_EQ(RowOfWord("tc-"), kNoRow);
}

}  // namespace
}  // namespace orv::config
