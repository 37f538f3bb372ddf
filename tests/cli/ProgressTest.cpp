// What a person sees on the terminal when readings and redrawn progress
// lines share it: the readings scroll past above, each port's line stays
// once, below them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Progress.h"

namespace orv::cli {
namespace {

// The screen after the text, for the few sequences the progress lines use:
// CR, LF, ESC[nA (up), ESC[K (clear to the end of the line), ESC[J (clear
// below).
std::vector<std::string> Screen(const std::string& text) {
    std::vector<std::string> rows(1);
    std::size_t row = 0, column = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            if (++row == rows.size()) rows.emplace_back();
            column = 0;
        } else if (c == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
            std::size_t end = i + 2, n = 0;
            for (; text[end] >= '0' && text[end] <= '9'; ++end) n = n * 10 + static_cast<std::size_t>(text[end] - '0');
            if (text[end] == 'A') row -= std::min(row, n == 0 ? 1 : n);
            if (text[end] == 'K') rows[row].resize(std::min(rows[row].size(), column));
            if (text[end] == 'J') rows.resize(row + 1), rows[row].resize(std::min(rows[row].size(), column));
            i = end;
        } else {
            rows[row].resize(std::max(rows[row].size(), column + 1), ' ');
            rows[row][column++] = c;
        }
    }
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

TEST(Progress, ReadingsScrollAboveThePortsLinesOnOneTerminal) {
    std::ostringstream terminal;
    Progress progress(terminal, true, {"COM1", "COM2"});
    progress.Step(0, "reading 1 of 2");
    progress.Emit(terminal, true, "COM1  measured 1.0\n");
    progress.Step(1, "reading 1 of 2");
    progress.Emit(terminal, true, "COM2  measured 2.0\n");
    progress.Step(0, "done");
    EXPECT_EQ(Screen(terminal.str()), (std::vector<std::string>{"COM1  measured 1.0", "COM2  measured 2.0",
                                                                 "COM1: done", "COM2: reading 1 of 2"}));
    // Results into a file leave the terminal's lines alone.
    std::ostringstream file;
    progress.Emit(file, false, "COM1  measured 3.0\n");
    EXPECT_EQ(file.str(), "COM1  measured 3.0\n");
    EXPECT_EQ(Screen(terminal.str()).size(), 4u);
}

}  // namespace
}  // namespace orv::cli
