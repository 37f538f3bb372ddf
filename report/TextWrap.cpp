#include "report/TextWrap.h"

#include <algorithm>

namespace orv::report {

namespace {

// The byte length of the UTF-8 character at the start of text; stray
// continuation bytes stay with the character before them.
std::size_t CharLength(std::string_view text) {
    std::size_t n = 1;
    while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) ++n;
    return n;
}

std::vector<std::string_view> Split(std::string_view text, char at) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(at, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += '\n';
        } else if (c < 0x20 || c == 0x7F) {
            out += ' ';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<std::string> WrapText(std::string_view text, double width, Font font, const TextMeasure& measure) {
    const std::string printable = PrintableText(text);
    std::vector<std::string> lines;
    for (std::string_view paragraph : Split(printable, '\n')) {
        std::string line;
        for (std::string_view word : Split(paragraph, ' ')) {
            if (word.empty()) continue;
            if (!line.empty()) {
                std::string longer = line + ' ';
                longer += word;
                if (measure.Width(font, longer) <= width) {
                    line = std::move(longer);
                    continue;
                }
                lines.push_back(std::move(line));
                line.clear();
            }
            if (measure.Width(font, word) <= width) {
                line = word;
                continue;
            }
            // Character by character; a line holds at least one, so even a
            // width narrower than any character makes progress.
            for (std::size_t i = 0; i < word.size();) {
                const std::size_t n = CharLength(word.substr(i));
                const std::string_view ch = word.substr(i, n);
                std::string longer = line;
                longer += ch;
                if (!line.empty() && measure.Width(font, longer) > width) {
                    lines.push_back(std::move(line));
                    line = ch;
                } else {
                    line = std::move(longer);
                }
                i += n;
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

double LongestWord(std::string_view text, Font font, const TextMeasure& measure) {
    const std::string printable = PrintableText(text);
    double widest = 0.0;
    for (std::string_view paragraph : Split(printable, '\n'))
        for (std::string_view word : Split(paragraph, ' '))
            if (!word.empty()) widest = std::max(widest, measure.Width(font, word));
    return widest;
}

std::string Shortened(std::string_view original, double width, Font font, const TextMeasure& measure) {
    std::string printable = PrintableText(original);
    std::replace(printable.begin(), printable.end(), '\n', ' ');
    const std::string_view text = printable;
    if (measure.Width(font, text) <= width) return printable;
    static constexpr std::string_view kEllipsis = "…";
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text.substr(i));
        std::string longer = kept;
        longer += text.substr(i, n);
        if (measure.Width(font, longer + std::string(kEllipsis)) > width) break;
        kept = std::move(longer);
        i += n;
    }
    return kept + std::string(kEllipsis);
}

}  // namespace orv::report
