#include "calib/OutputCurrent.h"

#include <algorithm>
#include <cmath>

namespace orv::calib {

std::optional<double> OutputMilliamps(double measured, const OutputRange& range) {
    const double width = range.full - range.zero;
    if (!std::isfinite(measured) || !std::isfinite(width) || width == 0) return std::nullopt;
    const double fraction = (measured - range.zero) / width;
    const double ma = range.reverse ? (kOutputZeroMa + kOutputSpanMa) - kOutputSpanMa * fraction
                                    : kOutputZeroMa + kOutputSpanMa * fraction;
    return std::clamp(ma, kOutputLowestMa, kOutputHighestMa);
}

}  // namespace orv::calib
