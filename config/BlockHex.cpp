#include "config/BlockHex.h"

namespace orv::config {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string BlockHex(std::span<const std::uint8_t, kParamBlockSize> block) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(block.size() * 3);
    for (std::size_t k = 0; k < block.size(); ++k) {
        if (k) out += ' ';
        out += kDigits[block[k] >> 4];
        out += kDigits[block[k] & 0xF];
    }
    return out;
}

std::optional<std::array<std::uint8_t, kParamBlockSize>> BlockFromHex(std::string_view text) {
    std::array<std::uint8_t, kParamBlockSize> block{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const int hi = HexDigit(text[i]);
        const int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (hi < 0 || lo < 0 || n == block.size()) return std::nullopt;
        block[n++] = static_cast<std::uint8_t>(hi << 4 | lo);
        i += 2;
    }
    if (n != block.size()) return std::nullopt;
    return block;
}

}  // namespace orv::config
