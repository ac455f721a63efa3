#include "cli/argument_text.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace vx::cli {
namespace {

TEST(ArgumentTextTest, AnArgumentIsAText) {
  for (const char* text :
       {"4711", "", "-5", "12,5", "ProBez=x", "-", "-h", "O'Neil"}) {
    EXPECT_EQ(ArgumentValue(text), Variant(text)) << text;
  }
}

TEST(ArgumentTextTest, SpellingsOfOtherValues) {
  EXPECT_EQ(ArgumentValue("--null"), Variant::Null());
  EXPECT_EQ(ArgumentValue("--leer"), Variant());
  EXPECT_EQ(ArgumentValue("--fehlt"), Variant::Missing());
  EXPECT_EQ(ArgumentValue("--wahr"), Variant(true));
  EXPECT_EQ(ArgumentValue("--falsch"), Variant(false));
  EXPECT_EQ(ArgumentValue("--text=--null"), Variant("--null"));
  EXPECT_EQ(ArgumentValue("--text="), Variant(""));
  EXPECT_EQ(ArgumentValue("--datum=2024-03-05 14:07"),
            Variant(DateFromParts(2024, 3, 5, 14, 7)));
}

TEST(ArgumentTextTest, NumbersAreReadTheSameInEveryRegion) {
  testing::ScopedLocale german("de_DE.UTF-8");
  EXPECT_EQ(ArgumentValue("--zahl=12"), Variant(int32_t{12}));
  EXPECT_EQ(ArgumentValue("--zahl=+12"), Variant(int32_t{12}));
  EXPECT_EQ(ArgumentValue("--zahl=-2147483648"),
            Variant(int32_t{-2147483647 - 1}));
  // Beyond 32 bits a whole number is a double.
  EXPECT_EQ(ArgumentValue("--zahl=2147483648"), Variant(2147483648.0));
  EXPECT_EQ(ArgumentValue("--zahl=12.5"), Variant(12.5));
  EXPECT_EQ(ArgumentValue("--zahl=1e3"), Variant(1000.0));
}

TEST(ArgumentTextTest, RefusesWhatItDoesNotKnow) {
  for (const char* text :
       {"--", "--nul", "--NULL", "--zahl", "--zahl=", "--zahl=12,5",
        "--zahl=abc", "--zahl=12 ", "--zahl= 12", "--zahl=1e999", "--zahl=inf",
        "--zahl=nan", "--zahl=0x10", "--datum=", "--datum=2024-02-30",
        "--datum=morgen", "--help"}) {
    EXPECT_FALSE(ArgumentValue(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace vx::cli
