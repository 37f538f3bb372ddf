#pragma once
// Breaking text into lines that fit a width. Lines break at spaces; a word
// wider than the whole width (a long serial number, Chinese without spaces)
// breaks between characters, never inside one. Nothing is dropped but the
// spaces at the breaks.
#include <string>
#include <string_view>
#include <vector>

#include "report/TextMeasure.h"

namespace orv::report {

// Text as a page can show it: tabs and other control characters become
// spaces, and "\r\n" or a lone "\r" becomes "\n". Text comes from files a
// person may have edited.
std::string PrintableText(std::string_view text);

// The printable text in lines; at least one, an empty text gives one empty
// line. Runs of spaces between words on one line become one space.
std::vector<std::string> WrapText(std::string_view text, double width, Font font, const TextMeasure& measure);

// The widest part of the text that has no space in it: what a column needs
// so that nothing in it breaks inside a word.
double LongestWord(std::string_view text, Font font, const TextMeasure& measure);

// The text cut at a character so that it fits, with "…" where it was cut.
std::string Shortened(std::string_view text, double width, Font font, const TextMeasure& measure);

}  // namespace orv::report
