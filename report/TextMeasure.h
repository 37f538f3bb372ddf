#pragma once
// The fonts of a printed page and how a front end measures text in them.
// Sizes are fixed here so both front ends print the same page; the face is
// the front end's (a sans-serif that can show Chinese). Lengths are in
// points (1/72 inch).
#include <string_view>

namespace orv::report {

enum class Font { Title, Heading, Body, Strong, Small };

struct FontStyle {
    double points;
    bool bold;
};

constexpr FontStyle StyleOf(Font font) {
    switch (font) {
        case Font::Title: return {16.0, true};
        case Font::Heading: return {12.0, true};
        case Font::Body: return {10.0, false};
        case Font::Strong: return {10.0, true};
        case Font::Small: return {8.0, false};
    }
    return {10.0, false};
}

struct LineMetrics {
    double ascent;  // from the top of a line to its baseline
    double height;  // from one baseline to the next
};

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // The advance of UTF-8 text on one line.
    virtual double Width(Font font, std::string_view text) const = 0;
    virtual LineMetrics Line(Font font) const = 0;
};

}  // namespace orv::report
