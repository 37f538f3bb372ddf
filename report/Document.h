#pragma once
// A printed page's content as blocks, before any page exists: what is on it,
// in which order, and how each table's columns share the width. It knows no
// painter and no paper; PageLayout flows it onto pages of a given size with
// a given front end's text measure, so the PDF on Linux and the page printed
// on Windows come from one description.
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace orv::report {

// The document's title, once at the top of the first page.
struct Title {
    std::string text;
};

// A section heading; it is never left alone at the foot of a page.
struct Heading {
    std::string text;
};

enum class Emphasis { Normal, Strong };

// Running text, wrapped at spaces; '\n' starts a new line.
struct Paragraph {
    std::string text;
    Emphasis emphasis = Emphasis::Normal;
};

// "Label: value" lines with the values aligned in one column.
struct Fields {
    std::vector<std::pair<std::string, std::string>> rows;
};

enum class Align { Left, Right, Center };

struct Column {
    std::string title;
    double weight = 1.0;  // its share of the width left once every column holds its longest word
    Align align = Align::Left;
};

// A grid with a shaded header row, repeated on every page the table runs
// onto. Cells wrap inside their column; a row is kept on one page when it
// fits on one.
struct Table {
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;  // a row may hold fewer cells than columns
};

// A label followed by a line to write on; without a label, blank space.
struct SignatureField {
    std::string label;
    double weight = 1.0;  // its share of the row's width
};

// Rows of fields to fill in by hand, kept together on one page.
struct Signatures {
    std::vector<std::vector<SignatureField>> rows;
};

using Block = std::variant<Title, Heading, Paragraph, Fields, Table, Signatures>;

struct Document {
    std::string name;    // the print job's and the PDF's title
    std::string footer;  // at the foot of every page, left of "Page n of m"
    std::vector<Block> blocks;
};

}  // namespace orv::report
