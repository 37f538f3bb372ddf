#include "report/PageLayout.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "report/TextWrap.h"

namespace orv::report {

namespace {

constexpr double kTitleAfter = 8.0;
constexpr double kHeadingBefore = 12.0;
constexpr double kHeadingAfter = 4.0;
constexpr double kParagraphAfter = 4.0;
constexpr double kFieldsAfter = 6.0;
constexpr double kLabelGap = 10.0;
constexpr double kTableAfter = 10.0;
constexpr double kSignaturesBefore = 16.0;
constexpr double kSignatureRow = 30.0;  // room to write above the line
constexpr double kSignatureGap = 14.0;  // between two fields of a row
constexpr double kFooterGap = 8.0;
constexpr double kRule = 0.5;
constexpr double kHeaderGrey = 0.88;
constexpr double kEpsilon = 1e-6;

// A table's cells wrapped to its columns.
struct WrappedTable {
    std::vector<double> widths;
    std::vector<std::vector<std::string>> header;            // per column
    std::vector<std::vector<std::vector<std::string>>> rows;  // per row, per column
    std::size_t HeaderLines() const { return Lines(header); }
    static std::size_t Lines(const std::vector<std::vector<std::string>>& cells) {
        std::size_t n = 1;
        for (const auto& c : cells) n = std::max(n, c.size());
        return n;
    }
};

WrappedTable Wrap(const Table& table, double width, const TextMeasure& measure) {
    WrappedTable w;
    w.widths = ColumnWidths(table, width, measure);
    for (std::size_t c = 0; c < table.columns.size(); ++c)
        w.header.push_back(WrapText(table.columns[c].title, w.widths[c] - 2 * kCellPaddingX, Font::Strong, measure));
    for (const auto& row : table.rows) {
        std::vector<std::vector<std::string>> cells;
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            cells.push_back(WrapText(c < row.size() ? row[c] : std::string(), w.widths[c] - 2 * kCellPaddingX,
                                     Font::Body, measure));
        w.rows.push_back(std::move(cells));
    }
    return w;
}

class Flow {
public:
    Flow(const std::vector<Block>& blocks, const PageGeometry& geometry, const TextMeasure& measure)
        : blocks_(blocks), g_(geometry), m_(measure) {
        NewPage();
    }

    void PlaceAll() {
        for (std::size_t i = 0; i < blocks_.size(); ++i) std::visit([&](const auto& b) { Do(b, i + 1); }, blocks_[i]);
    }

    std::vector<Page> Finish(const std::string& footer) {
        const double baseline = g_.height - g_.marginBottom;
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            const std::string label = PageLabel(i + 1, pages_.size());
            const double labelWidth = m_.Width(Font::Small, label);
            pages_[i].texts.push_back({Right() - labelWidth, baseline, Font::Small, label});
            if (!footer.empty())
                pages_[i].texts.push_back(
                    {Left(), baseline, Font::Small, Shortened(footer, Width() - labelWidth - 12.0, Font::Small, m_)});
        }
        return std::move(pages_);
    }

private:
    double Left() const { return g_.marginLeft; }
    double Right() const { return g_.width - g_.marginRight; }
    double Width() const { return Right() - Left(); }
    double Top() const { return g_.marginTop; }
    double Bottom() const { return g_.height - g_.marginBottom - m_.Line(Font::Small).height - kFooterGap; }
    double Room() const { return Bottom() - y_; }
    bool AtTop() const { return y_ <= fresh_ + kEpsilon; }
    Page& Current() { return pages_.back(); }

    void NewPage() {
        pages_.emplace_back();
        y_ = Top();
        if (onNewPage_) onNewPage_();
        fresh_ = y_;
    }
    void Gap(double h) {
        if (!AtTop()) y_ += h;
    }
    void Need(double h) {
        if (h > Room() + kEpsilon && !AtTop()) NewPage();
    }

    void Text(double x, double top, std::size_t line, Font font, const std::string& text) {
        const LineMetrics lm = m_.Line(font);
        Current().texts.push_back({x, top + static_cast<double>(line) * lm.height + lm.ascent, font, text});
    }
    void Rule(double x1, double y1, double x2, double y2) { Current().rules.push_back({x1, y1, x2, y2, kRule}); }

    // Places `lines` lines of height lh with pad above and below, drawn by
    // draw(first, count, top). Kept on one page when they fit on an empty
    // one (freshRoom tells how much room that is); otherwise they flow on
    // from here, as many lines to a page as fit.
    void PlaceLines(std::size_t lines, double lh, double pad, bool keepTogether, double freshRoom,
                    const std::function<void(std::size_t, std::size_t, double)>& draw) {
        const double whole = static_cast<double>(lines) * lh + 2 * pad;
        if (keepTogether && whole > Room() + kEpsilon && whole <= freshRoom + kEpsilon) NewPage();
        std::size_t from = 0;
        while (from < lines) {
            auto fit = static_cast<std::size_t>(std::max(0.0, std::floor((Room() - 2 * pad + kEpsilon) / lh)));
            if (fit == 0) {
                if (!AtTop()) {
                    NewPage();
                    continue;
                }
                fit = 1;  // a page smaller than one line: it overflows rather than loops
            }
            const std::size_t count = std::min(fit, lines - from);
            draw(from, count, y_);
            y_ += static_cast<double>(count) * lh + 2 * pad;
            from += count;
        }
    }

    double FreshRoom() const { return Bottom() - Top(); }

    void FlowText(const std::vector<std::string>& lines, Font font, double x) {
        const double lh = m_.Line(font).height;
        PlaceLines(lines.size(), lh, 0.0, false, FreshRoom(), [&](std::size_t from, std::size_t count, double top) {
            for (std::size_t i = 0; i < count; ++i) Text(x, top, i, font, lines[from + i]);
        });
    }

    double FieldsHeight(const Fields& f) const {
        const double labelWidth = LabelWidth(f);
        double lines = 0;
        for (const auto& [label, value] : f.rows)
            lines += static_cast<double>(std::max(WrapText(label, labelWidth - kLabelGap, Font::Body, m_).size(),
                                                  WrapText(value, Width() - labelWidth, Font::Body, m_).size()));
        return lines * m_.Line(Font::Body).height;
    }
    double LabelWidth(const Fields& f) const {
        double labels = 0.0;
        for (const auto& [label, value] : f.rows) labels = std::max(labels, m_.Width(Font::Body, label));
        return std::min(labels + kLabelGap, Width() * 0.45);
    }

    // The height the block at index needs at the least on the page it starts
    // on, so that what introduces it (a heading, the lines above a table)
    // moves on with it.
    double FirstHeight(std::size_t index) const {
        if (index >= blocks_.size()) return 0.0;
        const Block* block = &blocks_[index];
        if (const auto* f = std::get_if<Fields>(block)) {
            const bool beforeTable = index + 1 < blocks_.size() && std::holds_alternative<Table>(blocks_[index + 1]);
            return FieldsHeight(*f) + (beforeTable ? kFieldsAfter + FirstHeight(index + 1) : 0.0);
        }
        if (const auto* t = std::get_if<Table>(block)) {
            if (t->columns.empty()) return 0.0;
            const WrappedTable w = Wrap(*t, Width(), m_);
            double h = static_cast<double>(w.HeaderLines()) * m_.Line(Font::Strong).height + 2 * kCellPaddingY;
            if (!w.rows.empty())
                h += static_cast<double>(WrappedTable::Lines(w.rows.front())) * m_.Line(Font::Body).height +
                     2 * kCellPaddingY;
            return h;
        }
        if (const auto* s = std::get_if<Signatures>(block)) return kSignaturesBefore + kSignatureRow * s->rows.size();
        if (std::holds_alternative<Heading>(*block)) return m_.Line(Font::Heading).height;
        return m_.Line(Font::Body).height;
    }

    void Do(const Title& t, std::size_t) {
        FlowText(WrapText(t.text, Width(), Font::Title, m_), Font::Title, Left());
        y_ += kTitleAfter;
    }

    void Do(const Heading& h, std::size_t next) {
        Gap(kHeadingBefore);
        const std::vector<std::string> lines = WrapText(h.text, Width(), Font::Heading, m_);
        Need(static_cast<double>(lines.size()) * m_.Line(Font::Heading).height + kHeadingAfter + FirstHeight(next));
        FlowText(lines, Font::Heading, Left());
        y_ += kHeadingAfter;
    }

    void Do(const Paragraph& p, std::size_t) {
        const Font font = p.emphasis == Emphasis::Strong ? Font::Strong : Font::Body;
        FlowText(WrapText(p.text, Width(), font, m_), font, Left());
        y_ += kParagraphAfter;
    }

    void Do(const Fields& f, std::size_t next) {
        // Lines that lead into a table go with its first row.
        if (next < blocks_.size() && std::holds_alternative<Table>(blocks_[next]))
            Need(FieldsHeight(f) + kFieldsAfter + FirstHeight(next));
        const double labelWidth = LabelWidth(f);
        const double lh = m_.Line(Font::Body).height;
        for (const auto& [label, value] : f.rows) {
            const auto l = WrapText(label, labelWidth - kLabelGap, Font::Body, m_);
            const auto v = WrapText(value, Width() - labelWidth, Font::Body, m_);
            PlaceLines(std::max(l.size(), v.size()), lh, 0.0, true, FreshRoom(),
                       [&](std::size_t from, std::size_t count, double top) {
                           for (std::size_t i = 0; i < count; ++i) {
                               if (from + i < l.size()) Text(Left(), top, i, Font::Body, l[from + i]);
                               if (from + i < v.size()) Text(Left() + labelWidth, top, i, Font::Body, v[from + i]);
                           }
                       });
        }
        y_ += kFieldsAfter;
    }

    void Do(const Table& t, std::size_t) {
        if (t.columns.empty()) return;
        const WrappedTable w = Wrap(t, Width(), m_);
        std::vector<double> edges{Left()};
        for (double width : w.widths) edges.push_back(edges.back() + width);
        edges.back() = Right();

        const auto verticals = [&](double top, double bottom) {
            for (double x : edges) Rule(x, top, x, bottom);
        };
        const auto cellX = [&](std::size_t c, Font font, const std::string& text) {
            const double inner = edges[c + 1] - edges[c] - 2 * kCellPaddingX;
            switch (t.columns[c].align) {
                case Align::Left: break;
                case Align::Right: return edges[c] + kCellPaddingX + inner - m_.Width(font, text);
                case Align::Center: return edges[c] + kCellPaddingX + (inner - m_.Width(font, text)) / 2;
            }
            return edges[c] + kCellPaddingX;
        };
        const double headerLh = m_.Line(Font::Strong).height;
        const double headerHeight = static_cast<double>(w.HeaderLines()) * headerLh + 2 * kCellPaddingY;
        const auto header = [&] {
            const double top = y_, bottom = y_ + headerHeight;
            Current().fills.push_back({Left(), top, Width(), headerHeight, kHeaderGrey});
            for (std::size_t c = 0; c < w.header.size(); ++c)
                for (std::size_t i = 0; i < w.header[c].size(); ++i)
                    Text(cellX(c, Font::Strong, w.header[c][i]), top + kCellPaddingY, i, Font::Strong, w.header[c][i]);
            Rule(Left(), top, Right(), top);
            Rule(Left(), bottom, Right(), bottom);
            verticals(top, bottom);
            y_ = bottom;
        };

        const double lh = m_.Line(Font::Body).height;
        const double firstRow = w.rows.empty() ? 0.0
                                               : static_cast<double>(WrappedTable::Lines(w.rows.front())) * lh +
                                                     2 * kCellPaddingY;
        Need(headerHeight + firstRow);
        header();
        onNewPage_ = header;  // a page the table runs onto starts with its header
        for (const auto& cells : w.rows) {
            PlaceLines(WrappedTable::Lines(cells), lh, kCellPaddingY, true, FreshRoom() - headerHeight,
                       [&](std::size_t from, std::size_t count, double top) {
                           for (std::size_t c = 0; c < cells.size(); ++c)
                               for (std::size_t i = 0; i < count && from + i < cells[c].size(); ++i)
                                   Text(cellX(c, Font::Body, cells[c][from + i]), top + kCellPaddingY, i, Font::Body,
                                        cells[c][from + i]);
                           const double bottom = top + static_cast<double>(count) * lh + 2 * kCellPaddingY;
                           Rule(Left(), bottom, Right(), bottom);
                           verticals(top, bottom);
                       });
        }
        onNewPage_ = nullptr;
        y_ += kTableAfter;
    }

    void Do(const Signatures& s, std::size_t) {
        Gap(kSignaturesBefore);
        Need(kSignatureRow * static_cast<double>(s.rows.size()));
        const double ascent = m_.Line(Font::Body).ascent;
        for (const auto& row : s.rows) {
            double total = 0.0;
            for (const SignatureField& f : row) total += std::max(f.weight, 0.0);
            const double baseline = y_ + kSignatureRow - m_.Line(Font::Body).height + ascent;
            double x = Left();
            for (std::size_t k = 0; k < row.size(); ++k) {
                const double share = total > 0 ? Width() * std::max(row[k].weight, 0.0) / total
                                                : Width() / static_cast<double>(row.size());
                const double end = k + 1 == row.size() ? Right() : x + share - kSignatureGap;
                if (row[k].label.empty()) {
                    x += share;
                    continue;
                }
                const std::string label = Shortened(row[k].label, std::max(0.0, end - x - 24.0), Font::Body, m_);
                Current().texts.push_back({x, baseline, Font::Body, label});
                const double lineFrom = x + m_.Width(Font::Body, label) + 4.0;
                if (lineFrom < end) Rule(lineFrom, baseline + 1.5, end, baseline + 1.5);
                x += share;
            }
            y_ += kSignatureRow;
        }
    }

    const std::vector<Block>& blocks_;
    const PageGeometry& g_;
    const TextMeasure& m_;
    std::vector<Page> pages_;
    double y_ = 0.0;
    double fresh_ = 0.0;
    std::function<void()> onNewPage_;
};

}  // namespace

std::vector<double> ColumnWidths(const Table& table, double width, const TextMeasure& measure) {
    const std::size_t n = table.columns.size();
    std::vector<double> least(n, 0.0), widths(n, 0.0);
    double leastSum = 0.0, weightSum = 0.0;
    for (std::size_t c = 0; c < n; ++c) {
        double word = LongestWord(table.columns[c].title, Font::Strong, measure);
        for (const auto& row : table.rows)
            if (c < row.size()) word = std::max(word, LongestWord(row[c], Font::Body, measure));
        least[c] = word + 2 * kCellPaddingX;
        leastSum += least[c];
        weightSum += std::max(table.columns[c].weight, 0.0);
    }
    if (n == 0) return widths;
    if (leastSum >= width) {
        for (std::size_t c = 0; c < n; ++c) widths[c] = width * least[c] / leastSum;
        return widths;
    }
    double deficit = 0.0, slack = 0.0;
    for (std::size_t c = 0; c < n; ++c) {
        const double weight = std::max(table.columns[c].weight, 0.0);
        widths[c] = weightSum > 0 ? width * weight / weightSum : width / static_cast<double>(n);
        if (widths[c] < least[c])
            deficit += least[c] - widths[c];
        else
            slack += widths[c] - least[c];
    }
    // slack - deficit = width - leastSum > 0, so every column keeps its words.
    for (std::size_t c = 0; c < n; ++c) {
        if (widths[c] < least[c])
            widths[c] = least[c];
        else if (slack > 0)
            widths[c] -= deficit * (widths[c] - least[c]) / slack;
    }
    return widths;
}

std::vector<Page> LayOut(const Document& document, const PageGeometry& geometry, const TextMeasure& measure) {
    Flow flow(document.blocks, geometry, measure);
    flow.PlaceAll();
    return flow.Finish(document.footer);
}

std::string PageLabel(std::size_t number, std::size_t count) {
    return "Page " + std::to_string(number) + " of " + std::to_string(count);
}

}  // namespace orv::report
