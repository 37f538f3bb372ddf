#include "cli/JsonText.h"

namespace orv::cli {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], 0 when none does
// (overlong forms, surrogates and values past U+10FFFF are invalid).
std::size_t SequenceAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    if (b < 0x80) return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) n = 2;
    else if (b == 0xE0) n = 3, lo = 0xA0;
    else if (b >= 0xE1 && b <= 0xEC) n = 3;
    else if (b == 0xED) n = 3, hi = 0x9F;
    else if (b >= 0xEE && b <= 0xEF) n = 3;
    else if (b == 0xF0) n = 4, lo = 0x90;
    else if (b >= 0xF1 && b <= 0xF3) n = 4;
    else if (b == 0xF4) n = 4, hi = 0x8F;
    else return 0;
    if (i + n > text.size()) return 0;
    if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return n;
}

Json Cleaned(const Json& value) {
    if (value.is_string()) return ValidUtf8(value.get_ref<const std::string&>());
    if (value.is_array()) {
        Json out = Json::array();
        for (const auto& element : value) out.push_back(Cleaned(element));
        return out;
    }
    if (value.is_object()) {
        Json out = Json::object();
        for (auto it = value.begin(); it != value.end(); ++it) out[ValidUtf8(it.key())] = Cleaned(it.value());
        return out;
    }
    return value;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t n = SequenceAt(text, i)) {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        const auto b = static_cast<unsigned char>(text[i++]);
        out += "\\x";
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::string DumpJson(const Json& document) { return Cleaned(document).dump(2) + "\n"; }

}  // namespace orv::cli
