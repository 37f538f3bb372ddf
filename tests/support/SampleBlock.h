#pragma once
// A universal dual-output device on TC K over 0..1300, with values that
// survive the trip through the window unchanged, so a block decoded into the
// window and encoded again is byte for byte the block it came from.
#include <array>
#include <cstdint>

#include "config/ParamFields.h"

namespace orv::test {

using Block = std::array<std::uint8_t, 36>;

inline config::ParamFields SampleFields() {
    config::ParamFields f;
    f.model = 5;
    f.inputType = 0;
    f.cjcMode = 1;
    f.wireCount = 3;
    f.rangeZero = 0.0f;
    f.rangeFull = 1300.0f;
    f.dampingLevel = 2;
    f.breakAlarm = 1;
    f.outputDirection = 1;
    f.resistanceCal = 1000.0f;
    f.millivoltCal = -300;
    f.ambientCal = 40000;
    f.out1ZeroTrim = 915;
    f.out1FullTrim = 4700;
    f.offsetCorrection = -5;
    f.voltageCal = 19088;
    f.currentCal = -9160;
    f.out2ZeroTrim = 916;
    f.out2FullTrim = 4701;
    return f;
}

inline Block ToBlock(const config::ParamFields& f) {
    Block b{};
    f.Write(b);
    return b;
}

}  // namespace orv::test
