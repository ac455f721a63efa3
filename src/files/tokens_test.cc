// Cutting texts at separators, with the edge cases callers loop into.

#include "files/tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vx {
namespace {

using Fields = std::vector<std::string>;

// Every field from position 0 until the position is 0 again (at most 9).
template <typename Token>
Fields Walk(Token token) {
  Fields fields;
  int32_t position = 0;
  do {
    fields.push_back(token(position));
  } while (position != 0 && fields.size() < 9);
  return fields;
}

Fields Next(const std::string& text, const std::string& separator) {
  return Walk([&](int32_t& p) { return NextToken(p, text, separator); });
}
Fields Last(const std::string& text, const std::string& separator) {
  return Walk(
      [&](int32_t& p) { return LastToken(p, text, separator, false, false); });
}

TEST(TokensTest, NextAndLastTokenWalkAllFields) {
  EXPECT_EQ(Next("a;bb;;c;", ";"), (Fields{"a", "bb", "", "c", ""}));
  EXPECT_EQ(Next("AB__CD", "__"), (Fields{"AB", "CD"}));
  EXPECT_EQ(Next("abc", ""), Fields{"abc"});  // an empty separator ends
  EXPECT_EQ(Last("a;b;Ö", ";"), (Fields{"Ö", "b", "a"}));
  EXPECT_EQ(Last("a__b__c", "__"), (Fields{"c", "b", "a"}));

  int32_t position = -5;  // counts as 1
  EXPECT_EQ(NextToken(position, "Äb;c", ";"), "Äb");
  EXPECT_EQ(position, 4);  // characters, not bytes
  position = 2;
  EXPECT_EQ(NextToken(position, "ab", "abc"), "ab");
  EXPECT_EQ(position, 0);

  position = 0;
  EXPECT_EQ(LastToken(position, "a;b;c", ";", false, true), "a;b");
  EXPECT_EQ(position, 2);
  EXPECT_EQ(LastToken(position = 0, "abc", ";", true, false), "");
  EXPECT_EQ(LastToken(position = 4, "abc", ";", false, false), "");
  EXPECT_EQ(position, 0);
  EXPECT_EQ(LastToken(position = 0, "a", "__", false, false), "");
}

TEST(TokensTest, GetToken) {
  const Variant text("a;b  ;c");
  const Variant wide("a__b__c");
  EXPECT_EQ(GetToken(text, 2, ";"), "b");  // trailing blanks removed
  EXPECT_EQ(GetToken(text, 4, ";"), "");
  EXPECT_EQ(GetToken(text, 0, ";"), "");
  EXPECT_EQ(GetToken(text, 2, ";", 1), "b  ;c");
  EXPECT_EQ(GetToken(text, 2, ";", -1), "a;b");
  EXPECT_EQ(GetToken(text, 3, ";", -1), "a;b  ;c");  // no field 4
  EXPECT_EQ(GetToken(wide, 2, "__", -1), "a__b");
  EXPECT_EQ(GetToken(wide, 3, "__"), "c");
  EXPECT_EQ(GetToken(Variant::Null(), 1, ";"), "");
  EXPECT_EQ(GetToken(Variant("abc"), 2, ""), "");
  EXPECT_EQ(GetToken(Variant(int32_t{4711}), 1, ";"), "4711");
}

TEST(TokensTest, CutString) {
  struct Case {
    const char* text;
    const char* part;
    bool from_left, repeat, search, last;
    const char* result;
  };
  const Case cases[] = {
      {"KVdatei", "kv", true, false, false, false, "datei"},
      {"P.VX3DB", ".vx3db", false, false, false, false, "P"},
      {"P.VX3DB", ".vx3db", true, false, false, false, "P.VX3DB"},
      {"ÄÖx", "äö", true, false, false, false, "x"},
      {"\\\\\\a", "\\", true, false, false, false, "\\\\a"},
      {"\\\\\\a", "\\", true, true, false, false, "a"},
      {"ab", "abc", true, false, false, false, "ab"},  // shorter: no match
      {"a.b.c", ".", true, false, true, false, "b.c"},
      {"a.b.c", ".", false, false, true, false, "a"},
      {"a.b.c", ".", true, false, false, true, "c"},
      {"aXb", "x", true, false, true, false, "aXb"},  // exact when searching
      {".abc", ".", false, false, true, false, ""},
      {"abc", "", false, false, true, false, "abc"},
      {"Über.Größe", ".", true, false, true, false, "Größe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutString(c.text, c.part, c.from_left, c.repeat, c.search, c.last),
              c.result)
        << c.text << " / " << c.part;
  }
}

}  // namespace
}  // namespace vx
