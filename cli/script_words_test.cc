#include "cli/script_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vx::cli {
namespace {

using Words = std::vector<std::string>;

TEST(ScriptWordsTest, BlanksSeparateWords) {
  EXPECT_EQ(ScriptWords("bProjektRead 0 4711"),
            (Words{"bProjektRead", "0", "4711"}));
  EXPECT_EQ(ScriptWords("  a\t\tb  \r"), (Words{"a", "b"}));
  EXPECT_EQ(ScriptWords(""), Words{});
  EXPECT_EQ(ScriptWords(" \t "), Words{});
}

TEST(ScriptWordsTest, QuotesJoinBlanksIntoAWord) {
  EXPECT_EQ(ScriptWords("x 'Neubau Nord' \"O'Neil\""),
            (Words{"x", "Neubau Nord", "O'Neil"}));
  EXPECT_EQ(ScriptWords("sProjektNr=\"47 11\"x"), (Words{"sProjektNr=47 11x"}));
  EXPECT_EQ(ScriptWords("a '' \"\" b"), (Words{"a", "", "", "b"}));
  // In single quotes nothing is special.
  EXPECT_EQ(ScriptWords("'a\\\"#b'"), (Words{"a\\\"#b"}));
}

TEST(ScriptWordsTest, BackslashInDoubleQuotes) {
  EXPECT_EQ(ScriptWords(R"("sagt \"ja\"")"), (Words{"sagt \"ja\""}));
  EXPECT_EQ(ScriptWords(R"("a\\b")"), (Words{"a\\b"}));
  // Before anything else it stands for itself: paths need no doubling,
  // except for a backslash right before the closing quote.
  EXPECT_EQ(ScriptWords(R"("T:\Daten\Neu 1")"), (Words{"T:\\Daten\\Neu 1"}));
  EXPECT_EQ(ScriptWords(R"("T:\PROJEKT\")"), std::nullopt);
  EXPECT_EQ(ScriptWords(R"("T:\PROJEKT\\")"), (Words{"T:\\PROJEKT\\"}));
  EXPECT_EQ(ScriptWords(R"(T:\PROJEKT\)"), (Words{"T:\\PROJEKT\\"}));
}

TEST(ScriptWordsTest, CommentsBeginAWord) {
  EXPECT_EQ(ScriptWords("# nur Kommentar"), Words{});
  EXPECT_EQ(ScriptWords("bProjWrite 0 4711   # speichern"),
            (Words{"bProjWrite", "0", "4711"}));
  EXPECT_EQ(ScriptWords("ProNr=#1 '#2' \"#3\""),
            (Words{"ProNr=#1", "#2", "#3"}));
}

TEST(ScriptWordsTest, AnOpenQuoteIsAnError) {
  EXPECT_EQ(ScriptWords("a 'b"), std::nullopt);
  EXPECT_EQ(ScriptWords("a \"b"), std::nullopt);
  EXPECT_EQ(ScriptWords("a \"b\\\""), std::nullopt);
}

}  // namespace
}  // namespace vx::cli
