#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

#include "vx_taluvek/error.h"

namespace vx {
namespace {

// Five characters in seven bytes.
const std::string kGroesse = "Größe";
// U+1F600, four bytes, one character.
const std::string kEmoji = "😀";

TEST(TextTest, CountsAndSlicesCharactersNotBytes) {
  EXPECT_EQ(Len(kGroesse), 5u);
  EXPECT_EQ(Len("a" + kEmoji + "b"), 3u);

  EXPECT_EQ(Left(kGroesse, 3), "Grö");
  EXPECT_EQ(Left(kGroesse, std::string::npos), kGroesse);
  EXPECT_EQ(Right(kGroesse, 2), "ße");
  EXPECT_EQ(Mid(kGroesse, 3, 2), "öß");
  EXPECT_EQ(Mid(kGroesse, 600, 2), "");
  EXPECT_EQ(Mid("a" + kEmoji + "b", 2, 1), kEmoji);
  EXPECT_EQ(ByteOffsetOfChar(kGroesse, 5), 6u);
  EXPECT_EQ(ByteOffsetOfChar(kGroesse, 60), kGroesse.size());
}

TEST(TextTest, PositionZeroIsAnInvalidArgument) {
  for (auto call : {+[] { Mid("abc", 0); }, +[] { InStr("abc", "b", 0); }}) {
    try {
      call();
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 5);
    }
  }
}

TEST(TextTest, FindsCharacterPositions) {
  std::string s = "Größe Größe";
  EXPECT_EQ(InStr(s, "e", 6), 11u);
  EXPECT_EQ(InStr(s, "ß"), 4u);
  EXPECT_EQ(InStr(s, "e", 12), 0u);
  // An empty pattern is found where the search starts, up to one past the end.
  EXPECT_EQ(InStr("abc", "", 4), 4u);
  EXPECT_EQ(InStr("abc", "", 5), 0u);
  EXPECT_EQ(InStrRev(s, "Gr"), 7u);
  EXPECT_EQ(InStrRev("aaa", "aa"), 2u);
  EXPECT_EQ(InStrRev("abc", ""), 3u);
  EXPECT_EQ(InStrRev("", ""), 0u);
}

TEST(TextTest, SearchMatchesOnlyWholeCharacters) {
  // The continuation byte of "ö" (0xB6) must not be found inside "ö" even
  // when it is searched for on its own: a stray byte is its own character.
  std::string s = "\xC3\xB6x\xB6";
  EXPECT_EQ(Len(s), 3u);
  EXPECT_EQ(InStr(s, "\xB6"), 3u);
  EXPECT_EQ(InStrRev("\xB6\xC3\xB6", "\xB6"), 1u);
}

TEST(TextTest, CaseFoldsGermanAndLatinLetters) {
  EXPECT_EQ(UCase("az AZ 09@["), "AZ AZ 09@[");
  // The sharp s has no single capital; division and multiplication signs
  // are no letters.
  EXPECT_EQ(UCase("äöüß àþ ÷"), "ÄÖÜß ÀÞ ÷");
  EXPECT_EQ(LCase("ÄÖÜß ÀÞ ×"), "äöüß àþ ×");
  EXPECT_EQ(UCase("ÿ"), "Ÿ");
  // Latin Extended-A; in "ł" (U+0142) the capital is the odd code point.
  EXPECT_EQ(UCase("āłž"), "ĀŁŽ");
  // Other scripts are left alone.
  EXPECT_EQ(UCase("а" + kEmoji), "а" + kEmoji);
}

TEST(TextTest, CaseFoldingRoundTripsEveryPairOfLatinExtendedA) {
  for (char32_t c = 0x100; c <= 0x17F; ++c) {
    std::string one;
    AppendUtf8(&one, c);
    std::string upper = UCase(one);
    std::string lower = LCase(one);
    // Every letter keeps its size and is either capital or small.
    EXPECT_TRUE(upper == one || lower == one) << std::hex << unsigned(c);
    if (c != 0x130 && c != 0x131 && c != 0x17F) {
      EXPECT_EQ(LCase(upper), lower) << std::hex << unsigned(c);
      EXPECT_EQ(UCase(lower), upper) << std::hex << unsigned(c);
    }
  }
}

TEST(TextTest, ComparesWithoutCase) {
  EXPECT_TRUE(EqualsNoCase("Straße", "STRAßE"));
  EXPECT_TRUE(EqualsNoCase("Öl", "öL"));
  EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
  EXPECT_FALSE(EqualsNoCase("ö", "o"));
  // Stray bytes compare as themselves, not as one common U+FFFD.
  EXPECT_TRUE(EqualsNoCase("a\xFF", "A\xFF"));
  EXPECT_FALSE(EqualsNoCase("a\xFF", "A\xFE"));
  EXPECT_FALSE(EqualsNoCase("\uFFFD", "\xFF"));
}

TEST(TextTest, TrimsOnlyBlanks) {
  EXPECT_EQ(RTrim("  a b  "), "  a b");
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\ta\n"), "\ta\n");
}

TEST(TextTest, ReplacesLeftToRight) {
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Replace("O'Brien's", "'", "''"), "O''Brien''s");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace(kGroesse, "ö", "oe"), "Groeße");
  // A replacement that contains the pattern is not scanned again.
  EXPECT_EQ(Replace("ab", "a", "aa"), "aab");
}

TEST(TextTest, EncodesAndDecodesEveryLength) {
  const char32_t chars[] = {U'a', U'ö', U'€', U'😀'};
  std::string s;
  for (char32_t c : chars) AppendUtf8(&s, c);
  EXPECT_EQ(s, "aö€😀");
  size_t i = 0;
  for (char32_t c : chars) EXPECT_EQ(NextCodePoint(s, &i), c);
  EXPECT_EQ(i, s.size());
  // What cannot be encoded becomes U+FFFD.
  s.clear();
  AppendUtf8(&s, 0xD800);
  AppendUtf8(&s, 0x110000);
  EXPECT_EQ(s, "\uFFFD\uFFFD");
}

TEST(TextTest, InvalidSequencesGiveReplacementOneByteAtATime) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"lone continuation", "\x80"},
      {"truncated four-byte", "\xF0\x9F\x98"},
      {"overlong slash", "\xC0\xAF"},
      {"surrogate", "\xED\xA0\x80"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80"},
      {"lead then ASCII", "\xE2Z"},
  };
  for (const Case& c : cases) {
    size_t i = 0;
    EXPECT_EQ(NextCodePoint(c.bytes, &i), U'\uFFFD') << c.what;
    EXPECT_EQ(i, 1u) << c.what;
    // Walking on never reads past the end.
    while (i < c.bytes.size()) NextCodePoint(c.bytes, &i);
    EXPECT_EQ(i, c.bytes.size()) << c.what;
    EXPECT_FALSE(IsUtf8("ok " + c.bytes + " ok")) << c.what;
  }
  EXPECT_EQ(Len("\xE2Z"), 2u);
  EXPECT_TRUE(IsUtf8(""));
  EXPECT_TRUE(IsUtf8("Gr\xC3\xB6\xC3\x9F" "e \xEF\xBF\xBD \xF0\x9F\x98\x80"));
}

TEST(TextTest, CaseFunctionsKeepStrayBytes) {
  EXPECT_EQ(UCase("a\xFFx\xC3"), "A\xFFX\xC3");
  EXPECT_EQ(LCase("\x80Z"), "\x80z");
}

}  // namespace
}  // namespace vx
