// Wrapping, table widths and page breaks, measured with a fake font whose
// every character is as wide as a tenth of its size, so the cases can be
// worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "report/PageLayout.h"
#include "report/TextWrap.h"

namespace orv::report {
namespace {

class FakeMeasure : public TextMeasure {
public:
    double Width(Font font, std::string_view text) const override {
        double chars = 0;
        for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
        return chars * StyleOf(font).points / 10.0;
    }
    LineMetrics Line(Font font) const override { return {StyleOf(font).points * 0.8, StyleOf(font).points * 1.2}; }
};
const FakeMeasure kMeasure;

// Small pages (200 x 300 pt, 20 pt margins): the Body line is 12 pt.
constexpr PageGeometry kSmall{200, 300, 20, 20, 20, 20};

TEST(WrapText, BreaksAtSpacesAndInsideAWordOnlyWhenItIsWiderThanTheLine) {
    struct Case {
        const char* text;
        double width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"alpha beta gamma", 10, {"alpha beta", "gamma"}},  // the width itself fits
        {"a   b", 10, {"a b"}},
        {"one\ntwo", 20, {"one", "two"}},
        {"a\r\nb\rc", 20, {"a", "b", "c"}},
        {"tab\there", 20, {"tab here"}},
        {"", 10, {""}},
        {"short verylongword", 5, {"short", "veryl", "ongwo", "rd"}},
        {"温度传感器", 2, {"温度", "传感", "器"}},  // never inside a character's bytes
        {"xy", 0.5, {"x", "y"}},                  // narrower than a character: one a line
    };
    for (const Case& c : cases) EXPECT_EQ(WrapText(c.text, c.width, Font::Body, kMeasure), c.lines) << c.text;
}

TEST(ColumnWidths, WeightsShareTheWidthButEveryColumnKeepsItsLongestWord) {
    struct Case {
        const char* what;
        std::vector<double> weights;
        std::vector<std::string> cells;  // one row
        double width;
        std::vector<double> widths;
    };
    const std::string word40(40, 'w');
    const Case cases[] = {
        {"by weight", {3, 1}, {"a", "b"}, 100, {75, 25}},
        {"no weights: equal", {0, 0}, {"a", "b"}, 100, {50, 50}},
        // The wide column takes 48 (40 + padding); the others give up the
        // 23 missing in proportion to their 16 spare each.
        {"a long word", {1, 1, 1, 1}, {word40, "a", "b", "c"}, 100, {48, 52.0 / 3, 52.0 / 3, 52.0 / 3}},
        {"words too wide: by word", {1, 1}, {std::string(60, 'x'), std::string(140, 'y')}, 100,
         {100.0 * 68 / 216, 100.0 * 148 / 216}},
    };
    for (const Case& c : cases) {
        Table t;
        for (double w : c.weights) t.columns.push_back({"", w, Align::Left});
        t.rows.push_back(c.cells);
        const std::vector<double> got = ColumnWidths(t, c.width, kMeasure);
        ASSERT_EQ(got.size(), c.widths.size()) << c.what;
        for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], c.widths[k], 1e-9) << c.what << " column " << k;
    }
}

std::vector<std::string> TextsOf(const Page& page) {
    std::vector<std::string> t;
    for (const PlacedText& p : page.texts) t.push_back(p.text);
    return t;
}
int PageOf(const std::vector<Page>& pages, const std::string& text) {
    for (std::size_t i = 0; i < pages.size(); ++i)
        for (const PlacedText& p : pages[i].texts)
            if (p.text == text) return static_cast<int>(i);
    return -1;
}
int Count(const std::vector<Page>& pages, const std::string& text) {
    int n = 0;
    for (const Page& page : pages)
        for (const PlacedText& p : page.texts) n += p.text == text;
    return n;
}

Paragraph Filler(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += "filler" + std::to_string(i) + "\n";
    text.pop_back();
    return {text};
}

Table Numbered(int rows, int linesPerRow = 1) {
    Table t;
    t.columns = {{"No", 1, Align::Right}, {"Item", 3, Align::Left}};
    for (int r = 0; r < rows; ++r) {
        std::string item = "item" + std::to_string(r);
        for (int k = 1; k < linesPerRow; ++k) item += "\nmore" + std::to_string(r) + "-" + std::to_string(k);
        t.rows.push_back({std::to_string(r), item});
    }
    return t;
}

TEST(LayOut, PageBreaksKeepWhatBelongsTogetherAndLoseNothing) {
    // Room for text: 300 - 20 - 20 - footer (9.6 + 8) = 242.4 pt; 20 Body lines.
    struct Case {
        const char* what;
        std::vector<Block> blocks;
        std::function<void(const std::vector<Page>&)> check;
    };
    const std::vector<Case> cases = {
        {"a long table repeats its header on every page, each row once and in order",
         {Numbered(40)},
         [](const std::vector<Page>& pages) {
             ASSERT_GE(pages.size(), 3u);
             for (const Page& p : pages) EXPECT_EQ(TextsOf(p).front(), "No");
             int page = 0;
             for (int r = 0; r < 40; ++r) {
                 EXPECT_EQ(Count(pages, "item" + std::to_string(r)), 1) << r;
                 EXPECT_GE(PageOf(pages, "item" + std::to_string(r)), page) << r;
                 page = PageOf(pages, "item" + std::to_string(r));
             }
         }},
        {"a heading at the foot of a page goes on with its table",
         {Filler(17), Heading{"Section"}, Numbered(3)},
         [](const std::vector<Page>& pages) {
             EXPECT_EQ(PageOf(pages, "Section"), 1);
             EXPECT_EQ(PageOf(pages, "item0"), 1);
         }},
        {"a heading, and the lines that lead into a table, go with its first row",
         {Filler(14), Heading{"Run"}, Fields{{{"Started", "10:00"}, {"Result", "PASS"}}}, Numbered(3)},
         [](const std::vector<Page>& pages) {
             EXPECT_EQ(PageOf(pages, "Run"), 1);
             EXPECT_EQ(PageOf(pages, "PASS"), 1);
             EXPECT_EQ(PageOf(pages, "item0"), 1);
         }},
        {"a table row is not split when it fits on a page",
         {Filler(15), Table{{{"No", 1, Align::Right}, {"Item", 3, Align::Left}},
                            {{"0", "item0"}, {"1", "item1\nmore0-1\nmore0-2\nmore0-3"}}}},
         [](const std::vector<Page>& pages) {
             EXPECT_EQ(PageOf(pages, "item0"), 0);
             EXPECT_EQ(PageOf(pages, "item1"), 1);
             EXPECT_EQ(PageOf(pages, "more0-3"), 1);
         }},
        {"a row taller than a page runs on between its lines",
         {Numbered(1, 50)},
         [](const std::vector<Page>& pages) {
             EXPECT_GE(pages.size(), 3u);
             for (int k = 1; k < 50; ++k) EXPECT_EQ(Count(pages, "more0-" + std::to_string(k)), 1) << k;
         }},
        {"signature lines stay together",
         {Filler(18), Signatures{{{{"Name:", 1}}, {{"Signature:", 1}}}}},
         [](const std::vector<Page>& pages) {
             EXPECT_EQ(PageOf(pages, "Name:"), 1);
             EXPECT_EQ(PageOf(pages, "Signature:"), 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Page> pages = LayOut(Document{"doc", "footer", c.blocks}, kSmall, kMeasure);
        c.check(pages);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            EXPECT_EQ(Count({pages[i]}, PageLabel(i + 1, pages.size())), 1);
            for (const PlacedText& t : pages[i].texts) {
                EXPECT_GE(t.x, kSmall.marginLeft - 1e-9) << t.text;
                EXPECT_LE(t.x + kMeasure.Width(t.font, t.text), kSmall.width - kSmall.marginRight + 1e-9) << t.text;
                EXPECT_GE(t.baseline - kMeasure.Line(t.font).ascent, kSmall.marginTop - 1e-9) << t.text;
                EXPECT_LE(t.baseline, kSmall.height - kSmall.marginBottom + 1e-9) << t.text;
            }
        }
    }
}

}  // namespace
}  // namespace orv::report
