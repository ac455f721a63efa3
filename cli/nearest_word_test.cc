#include "cli/nearest_word.h"

#include <gtest/gtest.h>

namespace vx::cli {
namespace {

TEST(NearestWordTest, EditDistanceCountsCharactersNotBytes) {
  EXPECT_EQ(EditDistance("", ""), 0u);
  EXPECT_EQ(EditDistance("zeigen", "zeigen"), 0u);
  EXPECT_EQ(EditDistance("zeign", "zeigen"), 1u);
  EXPECT_EQ(EditDistance("projket", "projekt"), 2u);
  EXPECT_EQ(EditDistance("", "neu"), 3u);
  // One umlaut is one character, and case does not count.
  EXPECT_EQ(EditDistance("löschen", "loeschen"), 2u);
  EXPECT_EQ(EditDistance("Größe", "GRÖSSE"), 2u);
  EXPECT_EQ(EditDistance("Übersetzen", "übersetzen"), 0u);
}

TEST(NearestWordTest, SuggestsOnlyWhatLooksLikeATypingError) {
  const std::vector<std::string> commands = {"einrichten", "projekt", "aufruf",
                                             "sprache", "datei"};
  EXPECT_EQ(NearestWord("projket", commands), "projekt");
  EXPECT_EQ(NearestWord("sprach", commands), "sprache");
  EXPECT_EQ(NearestWord("EINRICHTEN", commands), "einrichten");
  EXPECT_EQ(NearestWord("demo", commands), "");
  EXPECT_EQ(NearestWord("", commands), "");
  EXPECT_EQ(NearestWord("projekt", {}), "");
  // Of two equally near words the first one registered.
  EXPECT_EQ(NearestWord("--jso", {"--json", "--jsox"}), "--json");
  EXPECT_EQ(NearestWord("--beispile", {"--beispiel", "--ersetzen"}),
            "--beispiel");
}

}  // namespace
}  // namespace vx::cli
