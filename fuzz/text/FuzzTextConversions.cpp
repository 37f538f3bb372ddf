// The edit-text conversions against the C library's, and the range format
// against printf.
//
// Agreement, precisely: the tool reads decimal numbers only, so strtod is
// given the text cut just before the first hexadecimal, "inf" or "nan"
// character of what strtod itself would consume; on that text the two must
// give the same double, bit for bit (sign of zero, overflow to infinity and
// gradual underflow included). Single precision is the hardware's rounding of
// that double. The integer conversion is strtoll clamped to 32 bits. The
// range format must show x with the decimals its range span calls for,
// rounded correctly, with an exact half going away from zero.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "config/RangeFormat.h"
#include "config/TextConversions.h"

namespace {

using namespace orv::config;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

double CLibraryDecimal(const std::string& text) {
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    std::string cut = text.substr(0, static_cast<std::size_t>(end - text.c_str()));
    const std::size_t odd = cut.find_first_of("xXiInN");
    if (odd != std::string::npos) cut.resize(odd);
    return std::strtod(cut.c_str(), nullptr);
}

float Narrow(double d) {
    volatile double v = d;  // keep the conversion at run time, in hardware
    return static_cast<float>(v);
}

int Decimals(float span) {
    if (std::isnan(span) || span >= 2000.0f) return 0;
    if (span >= 200.0f) return 1;
    if (span >= 20.0f) return 2;
    if (span >= 2.0f) return 3;
    return 4;
}

std::string Printf(double magnitude, int decimals) {
    std::vector<char> buf(400 + static_cast<std::size_t>(decimals));
    std::snprintf(buf.data(), buf.size(), "%.*f", decimals, magnitude);
    return buf.data();
}

// When magnitude lies exactly halfway between two neighbours with `decimals`
// decimals: the one away from zero, from its exact decimal expansion.
std::optional<std::string> HalfAwayFromZero(double magnitude, int decimals) {
    const std::string all = Printf(magnitude, 1100);  // every double's exact expansion fits
    const std::size_t point = all.find('.');
    const std::string rest = all.substr(point + 1 + static_cast<std::size_t>(decimals));
    if (rest[0] != '5' || rest.find_first_not_of('0', 1) != std::string::npos) return std::nullopt;
    std::string kept = all.substr(0, point + 1 + static_cast<std::size_t>(decimals));
    if (decimals == 0) kept.pop_back();
    for (std::size_t k = kept.size(); k-- > 0;) {
        if (kept[k] == '.') continue;
        if (kept[k] != '9') {
            ++kept[k];
            return kept;
        }
        kept[k] = '0';
    }
    return "1" + kept;
}

void CheckFormat(double x, const std::string& zero, const std::string& full) {
    const std::string out = FormatRangeValue(x, zero, full);
    const int n = Decimals(std::fabs(TextToFloat(zero) - TextToFloat(full)));
    if (std::isnan(x)) {
        ORV_FUZZ_CHECK(out == "NaN", "NaN shown as %s", out.c_str());
        return;
    }
    if (std::isinf(x)) {
        ORV_FUZZ_CHECK(out == (x < 0 ? "-Inf" : "Inf"), "infinity shown as %s", out.c_str());
        return;
    }
    const bool negative = x < 0;
    ORV_FUZZ_CHECK((out[0] == '-') == negative, "sign of %.17g shown as %s", x, out.c_str());
    const std::string magnitude = negative ? out.substr(1) : out;
    const double m = std::fabs(x);
    std::string expect = Printf(m, n);
    // printf takes an exact half to even; the window takes it away from zero.
    if (magnitude != expect)
        if (const auto away = HalfAwayFromZero(m, n)) expect = *away;
    if (expect.size() - (n > 0 ? 1 : 0) > 20) {
        // Too many digits for a field: the shortest text that reads back as x.
        ORV_FUZZ_CHECK(SameBits(std::strtod(magnitude.c_str(), nullptr), m), "%.17g shown as %s", x, out.c_str());
        return;
    }
    ORV_FUZZ_CHECK(magnitude == expect, "%.17g with %d decimals shown as %s, not %s", x, n, out.c_str(),
                   expect.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string zero = in.ConsumeRandomLengthString(40);
    const std::string full = in.ConsumeRandomLengthString(40);
    const double x = in.ConsumeBool() ? TextToDouble(in.ConsumeRandomLengthString(40))
                                      : in.ConsumeFloatingPoint<double>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    // Decimal conversion, then single precision.
    const double mine = TextToDouble(text), theirs = CLibraryDecimal(text);
    ORV_FUZZ_CHECK(SameBits(mine, theirs), "\"%s\": %.17g, strtod %.17g", text.c_str(), mine, theirs);
    ORV_FUZZ_CHECK(SameBits(TextToFloat(text), Narrow(theirs)), "\"%s\" to single precision", text.c_str());
    if (!std::isnan(x)) ORV_FUZZ_CHECK(SameBits(RoundToFloat(x), Narrow(x)), "%.17g to single precision", x);

    // Integers.
    errno = 0;
    const long long wide = std::strtoll(text.c_str(), nullptr, 10);
    const long long clamped = wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : wide;
    ORV_FUZZ_CHECK(TextToInt32(text) == clamped, "\"%s\": %d, strtoll %lld", text.c_str(), TextToInt32(text), wide);
    ORV_FUZZ_CHECK(TextToLow16(text) == static_cast<std::uint16_t>(clamped & 0xFFFF), "\"%s\" low 16 bits",
                   text.c_str());
    ORV_FUZZ_CHECK(TextToLow8(text) == static_cast<std::uint8_t>(clamped & 0xFF), "\"%s\" low 8 bits", text.c_str());

    CheckFormat(x, zero, full);
    CheckFormat(mine, zero, full);
    return 0;
}
