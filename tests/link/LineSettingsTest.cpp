#include "link/serial/LineSettings.h"

#include <gtest/gtest.h>

namespace orv::link {
namespace {

struct Case {
    const char* text;
    bool valid;
    LineSettings expect;
};

TEST(LineSettings, ParsesTheSettingsText) {
    const Case cases[] = {
        {"1200, n, 8, 1", true, {1200, Parity::None, 8, StopBits::One}},
        {"1200,n,8,1", true, {1200, Parity::None, 8, StopBits::One}},
        {"  9600 ,E, 7 ,2  ", true, {9600, Parity::Even, 7, StopBits::Two}},
        {"19200,o,5,1.5", true, {19200, Parity::Odd, 5, StopBits::OneAndHalf}},
        {"300,M,6,1", true, {300, Parity::Mark, 6, StopBits::One}},
        {"110,s,8,2", true, {110, Parity::Space, 8, StopBits::Two}},
        {"1200,N,8,1", true, {1200, Parity::None, 8, StopBits::One}},
        // Rejected: each row is a slip someone could make in the text.
        {"", false, {}},
        {"1200", false, {}},
        {"1200,n,8", false, {}},
        {"1200,n,8,1,", false, {}},
        {"1200,n,8,1,1", false, {}},
        {"0,n,8,1", false, {}},
        {"-1200,n,8,1", false, {}},
        {"12 00,n,8,1", false, {}},
        {"9999999999,n,8,1", false, {}},
        {"1200,x,8,1", false, {}},
        {"1200,no,8,1", false, {}},
        {"1200,,8,1", false, {}},
        {"1200,n,4,1", false, {}},
        {"1200,n,9,1", false, {}},
        {"1200,n,8,0", false, {}},
        {"1200,n,8,3", false, {}},
        {"1200,n,8,1.0", false, {}},
        {"1200;n;8;1", false, {}},
    };
    for (const Case& c : cases) {
        const auto got = ParseLineSettings(c.text);
        EXPECT_EQ(got.has_value(), c.valid) << '"' << c.text << '"';
        if (got && c.valid) {
            EXPECT_EQ(*got, c.expect) << '"' << c.text << '"';
        }
    }
}

}  // namespace
}  // namespace orv::link
