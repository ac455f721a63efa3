#include "engine/text_order.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vx::dao {
namespace {

TEST(EngineTextOrder, FoldsCaseAndSortsUmlautsWithTheirBaseLetters) {
  EXPECT_EQ(CompareTexts("MÜLLER", "müller"), 0);
  EXPECT_EQ(CompareTexts("STRAẞE", "straße"), 0);
  EXPECT_EQ(CompareTexts("ÿ", "Ÿ"), 0);
  EXPECT_NE(CompareTexts("Müller", "Muller"), 0);
  // Letters that would fold to ASCII stay themselves, as under NOCASE.
  EXPECT_NE(CompareTexts("ı", "I"), 0);
  EXPECT_NE(CompareTexts("ſ", "s"), 0);
  EXPECT_NE(CompareTexts("İ", "i"), 0);

  std::vector<std::string> words = {"Zeder", "Öl",  "O'Neil", "Ärger", "arm",
                                    "Straße", "Strasse", "Muller", "Müller",
                                    "abc_", "ABCD", "\xFF", "b\xC3"};
  std::sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
    return CompareTexts(a, b) < 0;
  });
  EXPECT_EQ(words, (std::vector<std::string>{"abc_", "ABCD", "Ärger", "arm", "b\xC3",
                                             "Muller", "Müller", "O'Neil", "Öl",
                                             "Strasse", "Straße", "Zeder", "\xFF"}));
  // The order is a total one: antisymmetric on every pair.
  for (const std::string& a : words) {
    for (const std::string& b : words) {
      EXPECT_EQ(CompareTexts(a, b) < 0, CompareTexts(b, a) > 0) << a << " " << b;
    }
  }
}

TEST(EngineTextOrder, CaseVariantsCoverEveryFormOfTheOtherLetters) {
  EXPECT_EQ(CaseVariants("abc-1", 16), (std::vector<std::string>{"abc-1"}));
  EXPECT_EQ(CaseVariants("€ 5 ı", 16), (std::vector<std::string>{"€ 5 ı"}));
  EXPECT_EQ(CaseVariants("Äö", 16),
            (std::vector<std::string>{"äö", "äÖ", "Äö", "ÄÖ"}));
  EXPECT_EQ(CaseVariants("ß", 16), (std::vector<std::string>{"ß", "ẞ"}));
  EXPECT_EQ(CaseVariants("a\xFF", 16), (std::vector<std::string>{"a\xFF"}));
  EXPECT_FALSE(CaseVariants("äöüäö", 16));  // 32 forms
}

TEST(EngineTextOrder, LikeFoldsAndBacktracks) {
  EXPECT_TRUE(LikeMatches("mü%", "MÜLLER", std::nullopt));
  EXPECT_TRUE(LikeMatches("%ß_", "STRAẞE", std::nullopt));
  EXPECT_TRUE(LikeMatches("%a%b%c", "xxaxbxbxc", std::nullopt));
  EXPECT_FALSE(LikeMatches("%a%b%c", "xxaxbxbx", std::nullopt));
  EXPECT_TRUE(LikeMatches("100!%", "100%", U'!'));
  EXPECT_FALSE(LikeMatches("100!%", "1000", U'!'));
  EXPECT_FALSE(LikeMatches("abc!", "abc", U'!'));
  EXPECT_TRUE(LikeMatches("", "", std::nullopt));
  EXPECT_FALSE(LikeMatches("_", "", std::nullopt));
  EXPECT_TRUE(LikeMatches("%%", "", std::nullopt));
}

}  // namespace
}  // namespace vx::dao
