#pragma once
// Flows a document onto pages: every line of text with its font and its
// place, every rule and shaded box, in points from the paper's top left
// corner. A front end draws the pages as they are (QPainter into a PDF, GDI
// on a printer), so what goes on which page is decided here once.
//
//   std::vector<Page> pages = LayOut(document, kA4, measure);
//
// Page breaks: a heading goes with what follows it (and lines of fields that
// lead into a table go with its first row), a table's header row is
// repeated on every page it runs onto, a table row and a block of signature
// lines are kept on one page, and a row taller than a whole page is split
// between its lines rather than cut. Each page ends with the document's
// footer and "Page n of m".
#include <string>
#include <vector>

#include "report/Document.h"
#include "report/TextMeasure.h"

namespace orv::report {

struct PageGeometry {
    double width;
    double height;
    double marginLeft;
    double marginTop;
    double marginRight;
    double marginBottom;
};

// A4 with 15 mm margins.
inline constexpr PageGeometry kA4{595.2756, 841.8898, 42.5197, 42.5197, 42.5197, 42.5197};

struct PlacedText {
    double x;
    double baseline;
    Font font;
    std::string text;
};

struct PlacedRule {
    double x1, y1, x2, y2;
    double width;
};

struct PlacedFill {
    double x, y, width, height;
    double grey;  // 0 black, 1 white
};

// Drawn in this order: fills, then rules, then text.
struct Page {
    std::vector<PlacedFill> fills;
    std::vector<PlacedRule> rules;
    std::vector<PlacedText> texts;
};

// Space between a cell's border and its text.
inline constexpr double kCellPaddingX = 4.0;
inline constexpr double kCellPaddingY = 2.0;

// Widths of the table's columns, summing to width. Each column gets its
// weight's share, but never less than its longest word (header and cells)
// needs; the columns with room to spare give up the difference in proportion
// to what they spare. When even the words do not fit, widths follow the
// words' widths and the words break.
std::vector<double> ColumnWidths(const Table& table, double width, const TextMeasure& measure);

// At least one page, even for an empty document.
std::vector<Page> LayOut(const Document& document, const PageGeometry& geometry, const TextMeasure& measure);

// "Page 2 of 3".
std::string PageLabel(std::size_t number, std::size_t count);

}  // namespace orv::report
