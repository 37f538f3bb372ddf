#include "config/ShownValues.h"

#include <algorithm>
#include <bit>

namespace orv::config {

void ShownValues::Remember(std::size_t at, std::size_t width, std::string_view text,
                           std::span<const std::uint8_t, kParamBlockSize> block) {
    if (at >= kParamBlockSize) return;
    if (width == 0 || width > kMaxWidth || width > kParamBlockSize - at) {
        entries_[at] = Entry{};
        return;
    }
    Entry& e = entries_[at];
    e.width = width;
    e.text.assign(text);
    std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(at), width, e.bytes.begin());
}

void ShownValues::RememberFloat(std::size_t at, std::string_view text, float value) {
    if (at >= kParamBlockSize || kParamBlockSize - at < 4) return;
    std::array<std::uint8_t, kParamBlockSize> block{};
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (std::size_t k = 0; k < 4; ++k) block[at + k] = static_cast<std::uint8_t>(bits >> (8 * k));
    Remember(at, 4, text, block);
}

bool ShownValues::Restore(std::size_t at, std::string_view text, std::span<std::uint8_t, kParamBlockSize> block) const {
    if (at >= kParamBlockSize) return false;
    const Entry& e = entries_[at];
    if (e.width == 0 || e.text != text) return false;
    std::copy_n(e.bytes.begin(), e.width, block.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

}  // namespace orv::config
