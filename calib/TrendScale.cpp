#include "calib/TrendScale.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "calib/ReadingRecorder.h"

namespace orv::calib {

namespace {

// Euclidean division: local times before the epoch still fall on the right tick.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

constexpr std::int64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute, kDay = 24 * kHour;
constexpr std::array<std::int64_t, 21> kTimeSteps = {
    kSecond,      2 * kSecond,  5 * kSecond,  10 * kSecond, 15 * kSecond, 30 * kSecond, kMinute,
    2 * kMinute,  5 * kMinute,  10 * kMinute, 15 * kMinute, 30 * kMinute, kHour,        2 * kHour,
    3 * kHour,    6 * kHour,    12 * kHour,   kDay,         2 * kDay,     7 * kDay,     28 * kDay,
};

}  // namespace

ValueRange FitValues(double min, double max) {
    if (!std::isfinite(min) || !std::isfinite(max) || max < min) return {0, 1};
    const double spread = max - min;
    if (spread <= std::fabs(max) * 1e-9 || spread == 0) {
        const double half = std::max(0.5, std::fabs(min) * 0.01);
        return {min - half, max + half};
    }
    return {min - spread * 0.1, max + spread * 0.1};
}

std::vector<ValueTick> RoundTicks(double lo, double hi, int maxTicks) {
    std::vector<ValueTick> ticks;
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo || maxTicks < 1) return ticks;
    const double raw = (hi - lo) / maxTicks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= raw * (1 - 1e-12)) {
            step = m * magnitude;
            break;
        }
    }
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    // Counting whole steps keeps 0.1 + 0.2 from piling up as 0.30000000000000004.
    const double first = std::ceil(lo / step - 1e-9);
    for (int k = 0; k <= maxTicks + 1; ++k) {
        const double v = (first + k) * step;
        if (v > hi + step * 1e-9) break;
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals, v == 0 ? 0.0 : v);
        std::string label = text;
        if (label.find_first_not_of("-0.") == std::string::npos) label = decimals ? label.substr(label[0] == '-') : "0";
        ticks.push_back({v, label});
    }
    return ticks;
}

std::vector<TimeTick> LocalTimeTicks(std::int64_t fromMs, std::int64_t toMs, int offsetMinutes, int maxTicks) {
    std::vector<TimeTick> ticks;
    if (toMs <= fromMs || maxTicks < 1) return ticks;
    const std::int64_t span = toMs - fromMs;
    std::int64_t step = kTimeSteps.back();
    for (std::int64_t s : kTimeSteps) {
        if (span / s <= maxTicks) {
            step = s;
            break;
        }
    }
    while (span / step > maxTicks) step *= 2;
    const std::int64_t offset = std::int64_t{offsetMinutes} * kMinute;
    // Weeks and four-week steps start on a midnight like days do.
    const std::int64_t align = step > kDay ? kDay : step;
    std::int64_t local = FloorDiv(fromMs + offset + align - 1, align) * align;
    if (step > kDay) {
        const std::int64_t days = FloorDiv(local, kDay);
        const std::int64_t stepDays = step / kDay;
        local = (days + ((stepDays - days % stepDays) % stepDays)) * kDay;
    }
    for (; local - offset <= toMs; local += step) {
        const std::int64_t ms = local - offset;
        const std::string iso = FormatIsoTime(ms, offsetMinutes);  // 2026-12-09T01:02:03.456+01:00
        std::string label;
        if (step >= kDay || (local % kDay == 0 && step >= kMinute))
            label = iso.substr(5, 5);
        else if (step >= kMinute)
            label = iso.substr(11, 5);
        else
            label = iso.substr(11, 8);
        ticks.push_back({ms, label});
    }
    return ticks;
}

std::string LocalDateTime(std::int64_t ms, int offsetMinutes) {
    const std::string iso = FormatIsoTime(ms, offsetMinutes);
    return iso.substr(0, 10) + " " + iso.substr(11, 8);
}

}  // namespace orv::calib
