// Every one of the 2^32 single-precision bit patterns, written the way a
// configuration file writes a float and read back the way it reads one, must
// come back bit for bit. Too long for the test run (minutes on all cores);
// run it after touching config/FloatText or the JSON library:
//   cmake --preset bench && cmake --build --preset bench --target orvane_float_roundtrip
//   build-bench/bench/orvane_float_roundtrip
#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "config/FloatText.h"

namespace {

// The text the file holds for f: a JSON number printed from the double
// nearest the float's shortest decimal, or the text form of a non-finite value.
std::string FileText(float f) {
    if (!std::isfinite(f)) return orv::config::NonFiniteFloatText(f);
    const std::string shortest = orv::config::ShortestFloatText(f);
    double d = 0;
    std::from_chars(shortest.data(), shortest.data() + shortest.size(), d);
    return nlohmann::json(d).dump();
}

bool ComesBack(std::uint32_t bits) {
    const float f = std::bit_cast<float>(bits);
    const std::string text = FileText(f);
    const auto back = std::isfinite(f) ? orv::config::FloatFromDecimal(text) : orv::config::FloatFromNonFiniteText(text);
    return back && std::bit_cast<std::uint32_t>(*back) == bits;
}

}  // namespace

int main() {
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::uint64_t> failures{0}, firstFailure{~0ull};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (std::uint64_t bits = t; bits <= 0xffffffffull; bits += threads) {
                if (ComesBack(static_cast<std::uint32_t>(bits))) continue;
                if (failures++ == 0) firstFailure = bits;
            }
        });
    }
    for (auto& w : workers) w.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu of 4294967296 bit patterns did not come back (%u threads, %.0f s)\n",
                static_cast<unsigned long long>(failures.load()), threads, seconds);
    if (failures) std::printf("first: %08llx\n", static_cast<unsigned long long>(firstFailure.load()));
    return failures ? 1 : 0;
}
