// The words a user reads about the settings, in README, the manual page and
// the shell completion, are the catalogue's: a word changed in one place
// and not in the others fails here.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/SettingNames.h"
#include "config/InputTypeCatalogue.h"

namespace orv::cli {
namespace {

std::string Read(const char* name) {
    std::ifstream in(std::string(ORVANE_SOURCE_DIR) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// troff writes a hyphen as \-.
std::string Unescaped(std::string text) {
    for (auto at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at)) text.erase(at, 1);
    return text;
}

// The word as a whole among others ("-W \"low high\"").
bool HasWord(const std::string& text, const std::string& word) {
    const auto part = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; };
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        if ((at == 0 || !part(text[at - 1])) && (at + word.size() == text.size() || !part(text[at + word.size()])))
            return true;
    return false;
}

// The README table row that starts with these cells, or "".
std::string Row(const std::string& text, const std::string& start) {
    const auto at = text.find("\n" + start);
    return at == std::string::npos ? std::string() : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST(DocumentedWords, SettingsValuesAndInputTypesAreTheCatalogues) {
    const std::string readme = Read("README.md");
    const std::string manual = Unescaped(Read("packaging/man/orvane-cli.1"));
    const std::string completion = Read("cli/orvane-cli.bash-completion");
    ASSERT_FALSE(readme.empty() || manual.empty() || completion.empty());
    for (const config::SettingInfo* s : SettableSettings()) {
        const std::string word(s->word);
        SCOPED_TRACE(word);
        const std::string row = Row(readme, "| `" + word + "` | " + std::string(s->label) + " | ");
        EXPECT_FALSE(row.empty()) << "README has no row for it with the window's label";
        EXPECT_EQ(row.ends_with("| the input type's |"), s->inRangeUnit) << row;
        EXPECT_NE(manual.find(word), std::string::npos);
        EXPECT_NE(completion.find(" " + word + "="), std::string::npos);
        for (const config::ValueWord& v : s->values) {
            const std::string value(v.word);
            EXPECT_NE(row.find("`" + value + "` (" + std::string(v.label) + ")"), std::string::npos) << row;
            EXPECT_NE(manual.find(value), std::string::npos) << value;
            EXPECT_TRUE(HasWord(completion, value)) << value;
        }
    }
    for (const config::InputTypeRow& t : config::InputTypes()) {
        const std::string word(t.word);
        EXPECT_FALSE(Row(readme, "| `" + word + "` | " + std::to_string(t.code) + " | " + std::string(t.modelText) +
                                     " | " + std::string(t.unit) + " |")
                         .empty())
            << word;
        EXPECT_NE(manual.find(word), std::string::npos) << word;
        EXPECT_TRUE(HasWord(completion, word)) << word;
    }
}

}  // namespace
}  // namespace orv::cli
