#include "platform/profile_file.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(ProfileFileTest, ReadsValuesTrimmedAndUnquotedWithoutRegardToCase) {
  const std::string content =
      "\xEF\xBB\xBF[Datei Verzeichnisse]\r\n"
      "  Projekte =  \"C:\\Daten\\ \"  \r\n"
      "Single='x'\r\n"
      "Inner=a \"b\" c\r\n"
      "\tTab\t=\tv\t\r\n"
      "Open=\"half\r\n"
      "Mixed=\"x'\r\n"
      "[ Änderung ]\n"
      "Größe=1\n";
  EXPECT_EQ(FindProfileValue(content, "datei verzeichnisse", "PROJEKTE"),
            "C:\\Daten\\ ");
  EXPECT_EQ(FindProfileValue(content, "Datei Verzeichnisse", "single"), "x");
  EXPECT_EQ(FindProfileValue(content, "Datei Verzeichnisse", "inner"),
            "a \"b\" c");
  EXPECT_EQ(FindProfileValue(content, "Datei Verzeichnisse", "TAB"), "v");
  EXPECT_EQ(FindProfileValue(content, "Datei Verzeichnisse", "open"), "\"half");
  EXPECT_EQ(FindProfileValue(content, "Datei Verzeichnisse", "mixed"), "\"x'");
  // "ÄNDERUNG" and "GRÖßE": the umlauts fold, "ß" has no capital.
  EXPECT_EQ(FindProfileValue(content, "ÄNDERUNG", "GRÖßE"), "1");
}

TEST(ProfileFileTest, MissingEntriesCommentsAndStrayLines) {
  const std::string content =
      "Outside=1\n[A]\n;Key=commented\nNoEquals\n= no key\n[B]\nKey=b\n"
      "[A]\nKey=in the second A\n";
  EXPECT_EQ(FindProfileValue(content, "", "Outside"), std::nullopt);
  // Only the first section of a name counts, as for writing.
  EXPECT_EQ(FindProfileValue(content, "A", "Key"), std::nullopt);
  EXPECT_EQ(FindProfileValue(content, "A", "NoEquals"), std::nullopt);
  EXPECT_EQ(FindProfileValue(content, "A", ""), std::nullopt);
  EXPECT_EQ(FindProfileValue(content, "C", "Key"), std::nullopt);
  EXPECT_EQ(FindProfileValue(content, "B", "Key"), "b");
  EXPECT_EQ(FindProfileValue("", "B", "Key"), std::nullopt);
}

TEST(ProfileFileTest, WritingKeepsEveryOtherByte) {
  const std::string content =
      "; Kopf\n[A]\n  key = old ; no comment\nkey=second\n\n\n[B]\nx=1\n";
  EXPECT_EQ(WithProfileValue(content, "a", "KEY", "new"),
            "; Kopf\n[A]\nKEY=new\nkey=second\n\n\n[B]\nx=1\n");
  // A new key goes after the section's last line, before its blank lines.
  EXPECT_EQ(
      WithProfileValue(content, "A", "y", "2"),
      "; Kopf\n[A]\n  key = old ; no comment\nkey=second\ny=2\n\n\n[B]\nx=1\n");
  EXPECT_EQ(WithProfileValue(content, "C", "z", "3"), content + "\n[C]\nz=3\n");
  EXPECT_EQ(WithProfileValue("[B]\nx=1", "B", "y", "2"), "[B]\nx=1\ny=2");
  EXPECT_EQ(WithProfileValue("[S]", "s", "k", "v"), "[S]\nk=v");
  EXPECT_EQ(WithProfileValue("x", "S", "k", "v"), "x\n\n[S]\nk=v\n");
  EXPECT_EQ(WithProfileValue("", " S ", " k ", "v"), "[S]\nk=v\n");
}

TEST(ProfileFileTest, WritingKeepsCrlfLineEnds) {
  const std::string content = "[A]\r\nk=1\r\n\r\n[B]\r\nx=1";
  EXPECT_EQ(WithProfileValue(content, "A", "j", "2"),
            "[A]\r\nk=1\r\nj=2\r\n\r\n[B]\r\nx=1");
  EXPECT_EQ(WithProfileValue(content, "A", "K", "3"),
            "[A]\r\nK=3\r\n\r\n[B]\r\nx=1");
  EXPECT_EQ(WithProfileValue(content, "C", "c", "3"),
            content + "\r\n\r\n[C]\r\nc=3\r\n");
}

TEST(ProfileFileTest, WrittenValuesReadBackUnchanged) {
  for (const char* value : {"", "plain", " lead", "trail\t", "\"quoted\"",
                            "'single'", "\"", "a=b;c"}) {
    std::string content = WithProfileValue("[S]\nk=old\n", "S", "k", value);
    EXPECT_EQ(FindProfileValue(content, "S", "k"), value) << content;
  }
}

// Carriage returns where no CRLF is, and names made of odd characters: a
// written value reads back, and every other value stays as it was.
TEST(ProfileFileTest, CarriageReturnsAndOddNamesKeepEveryValue) {
  // A CR that ends the file ends its last line: adding the LF after it
  // must not change that line's value.
  for (const char* content : {"[S]\nk=old\r", "[A]\nx=1\r", "[S]\r\nk=old\r",
                              "[A]\rjunk\r\nx=1\r"}) {
    for (const char* section : {"S", "A", "New"}) {
      const std::string before = content;
      std::string after = WithProfileValue(before, section, "j", "2");
      EXPECT_EQ(FindProfileValue(after, section, "j"), "2") << after;
      for (const char* other : {"k", "x"}) {
        for (const char* other_section : {"S", "A"}) {
          EXPECT_EQ(FindProfileValue(after, other_section, other),
                    FindProfileValue(before, other_section, other))
              << after;
        }
      }
    }
  }
  EXPECT_EQ(FindProfileValue("[S]\nk=old\r", "S", "k"), "old");
  EXPECT_EQ(WithProfileValue("[S]\nk=1\r", "S", "j", "2"), "[S]\nk=1\r\nj=2");
  EXPECT_EQ(WithProfileValue("x\r", "S", "k", "v"), "x\r\n\r\n[S]\r\nk=v\r\n");

  const std::string file = "[x\n;c\nk=1\n[a;b]\nk=2\n[\xFF\xFE]\nk=3\n";
  for (const char* section : {"[x", "a;b", "\xFF\xFE", "\xFE\xFF", "=", "ä\x01"}) {
    std::string after = WithProfileValue(file, section, "k", "neu");
    EXPECT_EQ(FindProfileValue(after, section, "k"), "neu") << section;
    EXPECT_EQ(ProfileIndex(after).Find(section, "k"), "neu") << section;
  }
}

// The index of a content answers what reading the text answers.
TEST(ProfileFileTest, IndexAnswersAsTheText) {
  const std::string content =
      "\xEF\xBB\xBF[A]\r\nk = \"v \" \r\nk=second\r\n;j=c\r\n[b]\nx=1\n"
      "[ a ]\nk=later\nn=later\n[Ä]\nö=1\n[B]\ny=2\r";
  ProfileIndex index(content);
  for (const char* section : {"A", "a", "b", "B", "ä", "C", ""}) {
    for (const char* key : {"K", "j", ";j", "n", "x", "y", "Ö", ""}) {
      EXPECT_EQ(index.Find(section, key), FindProfileValue(content, section, key))
          << section << "/" << key;
    }
  }
  EXPECT_EQ(index.Find(" a\t", "K"), "v ");
}

TEST(ProfileFileTest, RefusesEntriesThatWouldNotReadBack) {
  EXPECT_TRUE(IsStorableProfileEntry("S", "k", ""));
  EXPECT_TRUE(IsStorableProfileEntry("S", "k", "[x]=y;z"));
  EXPECT_FALSE(IsStorableProfileEntry("", "k", "v"));
  EXPECT_FALSE(IsStorableProfileEntry(" \t", "k", "v"));
  EXPECT_FALSE(IsStorableProfileEntry("a]b", "k", "v"));
  EXPECT_FALSE(IsStorableProfileEntry("a\nb", "k", "v"));
  EXPECT_FALSE(IsStorableProfileEntry("S", " ", "v"));
  EXPECT_FALSE(IsStorableProfileEntry("S", "a=b", "v"));
  EXPECT_FALSE(IsStorableProfileEntry("S", ";k", "v"));
  EXPECT_FALSE(IsStorableProfileEntry("S", "[k", "v"));
  // A line break in a value would smuggle in lines of its own.
  EXPECT_FALSE(IsStorableProfileEntry("S", "k", "v\n[Other]"));
  EXPECT_FALSE(IsStorableProfileEntry("S", "k", "v\r"));
}

}  // namespace
}  // namespace vx
