// Gettext catalogues: what we write, reading what translators' tools write,
// and refusing what cannot be read, with the line at fault.

#include "translate/po_file.h"

#include <gtest/gtest.h>

#include "vx_taluvek/error.h"

namespace vx {
namespace {

PoEntry Entry(const std::string& context, const std::string& id,
              const std::string& translation) {
  PoEntry e;
  e.has_context = true;
  e.context = context;
  e.id = id;
  e.translation = translation;
  return e;
}

// The description of the refusal of `text`, or "accepted".
std::string Refusal(std::string_view text) {
  try {
    ParsePo(text);
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrMalformedCatalog);
    return e.description();
  }
  return "accepted";
}

TEST(PoFileTest, WritesEscapedEntriesAfterTheHeader) {
  PoCatalog catalog;
  catalog.header = "X-Sprache: 2\n";
  catalog.entries.push_back(Entry("Ausgaben", "Sag \"Hallo\"\\", "Say\t\"hi\""));
  catalog.entries.back().fuzzy = true;
  catalog.entries.push_back(Entry("Beschriftung", "Zeile 1\nZeile 2", ""));
  EXPECT_EQ(FormatPo(catalog),
            "msgid \"\"\n"
            "msgstr \"\"\n"
            "\"X-Sprache: 2\\n\"\n"
            "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
            "\n"
            "#, fuzzy\n"
            "msgctxt \"Ausgaben\"\n"
            "msgid \"Sag \\\"Hallo\\\"\\\\\"\n"
            "msgstr \"Say\\t\\\"hi\\\"\"\n"
            "\n"
            "msgctxt \"Beschriftung\"\n"
            "msgid \"\"\n"
            "\"Zeile 1\\n\"\n"
            "\"Zeile 2\"\n"
            "msgstr \"\"\n");
}

TEST(PoFileTest, EveryTextSurvivesTheRoundTrip) {
  PoCatalog catalog;
  catalog.header = "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\n"
                   "X-Sprache: 3\n";
  for (const char* text :
       {"", "Größe", "a\\nb", "\\", "\"", "zwei\n", "\nvorne", "a\r\nb",
        "\x01\x1f\x7f", "Tab\tEnde", "'Apostroph'", "#kein Kommentar",
        "msgid \"x\"", "\a\b\f\v"}) {
    catalog.entries.push_back(Entry("Ausgaben", std::string("id ") + text, text));
  }
  // Long enough to be wrapped.
  const std::string long_text = "Wort " + std::string(300, 'x') + " \"ü\" Ende";
  catalog.entries.push_back(Entry("Beschriftung", long_text, long_text));
  catalog.entries.push_back(Entry("Beschriftung", "unsicher", "vielleicht"));
  catalog.entries.back().fuzzy = true;
  PoEntry plain;
  plain.id = "ohne Tabelle";
  catalog.entries.push_back(plain);

  PoCatalog read = ParsePo(FormatPo(catalog));
  EXPECT_EQ(read.header, catalog.header);
  ASSERT_EQ(read.entries.size(), catalog.entries.size());
  for (size_t i = 0; i < read.entries.size(); ++i) {
    const PoEntry& a = read.entries[i];
    const PoEntry& b = catalog.entries[i];
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.translation, b.translation) << b.id;
    EXPECT_EQ(a.has_context, b.has_context);
    EXPECT_EQ(a.context, b.context);
    EXPECT_EQ(a.fuzzy, b.fuzzy);
  }
}

TEST(PoFileTest, TextsThatCannotBeWrittenAreRefused) {
  PoCatalog catalog;
  catalog.entries.push_back(Entry("Ausgaben", std::string("a\0b", 3), "x"));
  EXPECT_THROW(FormatPo(catalog), Error);
  catalog.entries[0] = Entry("Ausgaben", "a", "kaputt \xFF");
  EXPECT_THROW(FormatPo(catalog), Error);
}

TEST(PoFileTest, ReadsWhatTranslatorsToolsWrite) {
  PoCatalog c = ParsePo(
      "\xEF\xBB\xBF# Übersetzung\r\n"
      "msgid \"\"\r\n"
      "msgstr \"\"\r\n"
      "\"Content-Type: text/plain; charset=UTF-8\\n\"\r\n"
      "\r\n"
      "#. extrahiert\n"
      "#: quelle.cc:12\n"
      "#, c-format, fuzzy\n"
      "msgctxt \"Ausgaben\"\n"
      "  msgid \"Spei\" \"chern\"\n"
      "msgstr \"Sa\"\n"
      "\t\"ve\\x21\\041\\a\"\n"
      "\n"
      "#, fuzzy\n"
      "#~ msgid \"Alt\"\n"
      "#~ msgstr \"Old\"\n"
      "\n"
      "msgid \"Ohne Kontext\"\n"
      "msgstr \"\"\n"
      "\n"
      "msgctxt \"T\" msgid \"eine Zeile\" msgstr \"one line\"");
  EXPECT_EQ(PoHeaderField(c.header, "content-type"),
            "text/plain; charset=UTF-8");
  EXPECT_EQ(PoHeaderField(c.header, "Language"), "");
  ASSERT_EQ(c.entries.size(), 3u);
  EXPECT_TRUE(c.entries[0].fuzzy);
  EXPECT_EQ(c.entries[0].context, "Ausgaben");
  EXPECT_EQ(c.entries[0].id, "Speichern");
  EXPECT_EQ(c.entries[0].translation, "Save!!\a");
  EXPECT_EQ(c.entries[0].line, 10);
  // The flag before the obsolete entry is that entry's, not the next one's.
  EXPECT_FALSE(c.entries[1].fuzzy);
  EXPECT_FALSE(c.entries[1].has_context);
  EXPECT_EQ(c.entries[1].line, 18);
  EXPECT_EQ(c.entries[2].translation, "one line");
  EXPECT_EQ(c.entries[2].line, 21);
}

TEST(PoFileTest, TextOfManyPiecesIsReadWhole) {
  std::string text = "msgid \"a\"\nmsgstr \"\"\n";
  for (int i = 0; i < 100000; ++i) text += "\"\"\n";
  EXPECT_EQ(ParsePo(text).entries.at(0).translation, "");

  text = "msgid \"a\"\nmsgstr \"\"\n";
  for (int i = 0; i < 100000; ++i) text += "\"xy\"";
  EXPECT_EQ(ParsePo(text).entries.at(0).translation.size(), 200000u);
}

TEST(PoFileTest, MalformedCatalogsAreRefusedWithTheLine) {
  struct Case {
    std::string text;
    const char* begins;  // how the description begins
  };
  const Case cases[] = {
      {"msgid \"a\"\nmsgstr \"b\"\nmsgfoo \"c\"\n", "Zeile 3: "},
      {"msgid \"a\" x\nmsgstr \"b\"\n", "Zeile 1: "},
      {"\n\nmsgstr \"b\"\n", "Zeile 3: "},
      {"msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"a\\q\"\nmsgstr \"\"\n", "Zeile 4: "},
      {"msgctxt \"T\"\nmsgid \"a\"\nmsgstr \"\"\n\nmsgctxt \"T\"\nmsgid \"a\"\n"
       "msgstr \"x\"\n",
       "Zeile 6: "},
      // What the library cannot see or does not check.
      {"msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\nmsgstr \"d\xFF\"\n",
       "Zeile 5: der Text ist kein gültiges UTF-8"},
      {"# Kommentar \xC3\n", "Zeile 1: der Text ist kein gültiges UTF-8"},
      {"msgid \"a\"\nmsgstr \"\\xff\"\n", "Zeile 1: der Text ist kein gültiges UTF-8"},
      {std::string("msgid \"a\"\nmsgstr \"b\0c\"\n", 22),
       "Zeile 2: Nullzeichen im Text"},
      {"msgid \"a\"\nmsgstr \"b\\0c\"\n", "Zeile 2: Nullzeichen im Text"},
      {"msgid \"a\\x00\"\nmsgstr \"\"\n", "Zeile 1: Nullzeichen im Text"},
      {"msgid \"a\"\nmsgstr \"b\\000\"\n", "Zeile 2: Nullzeichen im Text"},
      {"msgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\nmsgstr[1] \"bs\"\n",
       "Zeile 1: Mehrzahlformen werden nicht unterstützt"},
      {"domain \"andere\"\nmsgid \"a\"\nmsgstr \"\"\n",
       "Zeile 1: domain wird nicht unterstützt"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Refusal(c.text).starts_with(c.begins))
        << c.text << " -> " << Refusal(c.text);
  }
  // Escapes that only look like NUL are characters.
  EXPECT_EQ(ParsePo("msgid \"a\"\nmsgstr \"\\01\\x0A\\0010\"\n")
                .entries[0].translation,
            "\x01\n\x01" "0");
  // The same text in another table, or without one, is another entry.
  EXPECT_EQ(ParsePo("msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"\"\n"
                    "msgctxt \"B\"\nmsgid \"a\"\nmsgstr \"\"\n"
                    "msgid \"a\"\nmsgstr \"\"\n")
                .entries.size(),
            3u);
}

}  // namespace
}  // namespace vx
