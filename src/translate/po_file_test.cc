// Gettext catalogues: escaping, reading what translators' tools write, and
// refusing what cannot be read, with the line at fault.

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

TEST(PoFileTest, WritesEscapedEntriesAfterTheHeader) {
  PoCatalog catalog;
  catalog.header = "Content-Type: text/plain; charset=UTF-8\n";
  catalog.entries.push_back(Entry("Ausgaben", "Sag \"Hallo\"\\", "Say\t\"hi\""));
  catalog.entries.push_back(Entry("Beschriftung", "Zeile 1\nZeile 2", ""));
  catalog.entries.back().fuzzy = true;
  EXPECT_EQ(FormatPo(catalog),
            "msgid \"\"\n"
            "msgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n"
            "\n"
            "msgctxt \"Ausgaben\"\n"
            "msgid \"Sag \\\"Hallo\\\"\\\\\"\n"
            "msgstr \"Say\\t\\\"hi\\\"\"\n"
            "\n"
            "#, fuzzy\n"
            "msgctxt \"Beschriftung\"\n"
            "msgid \"\"\n"
            "\"Zeile 1\\n\"\n"
            "\"Zeile 2\"\n"
            "msgstr \"\"\n");
}

TEST(PoFileTest, EveryTextSurvivesTheRoundTrip) {
  PoCatalog catalog;
  catalog.header = "MIME-Version: 1.0\nX-Sprache: 3\n";
  for (const char* text :
       {"", "Größe", "a\\nb", "\\", "\"", "zwei\n", "\nvorne", "a\r\nb",
        "\x01\x1f\x7f", "Tab\tEnde", "'Apostroph'", "#kein Kommentar"}) {
    catalog.entries.push_back(Entry("Ausgaben", std::string("id ") + text, text));
  }
  PoCatalog read = ParsePo(FormatPo(catalog));
  EXPECT_EQ(read.header, catalog.header);
  ASSERT_EQ(read.entries.size(), catalog.entries.size());
  for (size_t i = 0; i < read.entries.size(); ++i) {
    EXPECT_EQ(read.entries[i].id, catalog.entries[i].id);
    EXPECT_EQ(read.entries[i].translation, catalog.entries[i].translation);
    EXPECT_TRUE(read.entries[i].has_context);
  }
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
      "#~ msgid \"Alt\"\n"
      "#~ msgstr \"Old\"\n"
      "msgid \"Ohne Kontext\"\n"
      "msgstr \"\"");
  EXPECT_EQ(PoHeaderField(c.header, "content-type"),
            "text/plain; charset=UTF-8");
  EXPECT_EQ(PoHeaderField(c.header, "Language"), "");
  ASSERT_EQ(c.entries.size(), 2u);
  EXPECT_TRUE(c.entries[0].fuzzy);
  EXPECT_EQ(c.entries[0].context, "Ausgaben");
  EXPECT_EQ(c.entries[0].id, "Speichern");
  EXPECT_EQ(c.entries[0].translation, "Save!!\a");
  EXPECT_EQ(c.entries[0].line, 10);
  EXPECT_FALSE(c.entries[1].fuzzy);
  EXPECT_FALSE(c.entries[1].has_context);
  EXPECT_EQ(c.entries[1].line, 15);
}

TEST(PoFileTest, MalformedCatalogsAreRefusedWithTheLine) {
  struct Case {
    const char* text;
    const char* description;
  };
  const Case cases[] = {
      {"msgid \"a\"\nmsgstr \"b\"\nmsgfoo \"c\"\n",
       "Zeile 3: unbekanntes Schlüsselwort \"msgfoo\""},
      {"msgid \"a\nmsgstr \"b\"\n", "Zeile 1: das schließende Anführungszeichen fehlt"},
      {"msgid \"a\" x\nmsgstr \"b\"\n",
       "Zeile 1: Text nach dem schließenden Anführungszeichen"},
      {"msgid a\nmsgstr \"b\"\n",
       "Zeile 1: nach msgid fehlt der Text in Anführungszeichen"},
      {"msgstr \"b\"\n", "Zeile 1: msgstr ohne msgid davor"},
      {"msgid \"a\"\nmsgid \"b\"\n", "Zeile 2: msgid ohne msgstr davor"},
      {"msgid \"a\"\nmsgctxt \"T\"\n", "Zeile 2: msgctxt nach msgctxt oder msgid"},
      {"msgid \"a\"\nmsgstr \"b\"\nmsgstr \"c\"\n", "Zeile 3: msgstr zum zweiten Mal"},
      {"\n\nmsgid \"a\"\n", "Zeile 3: msgstr fehlt am Ende der Datei"},
      {"\"lose\"\n", "Zeile 1: Text ohne msgid, msgstr oder msgctxt davor"},
      {"msgid \"a\"\nmsgid_plural \"as\"\n",
       "Zeile 2: Mehrzahlformen (msgid_plural) werden nicht unterstützt"},
      {"msgid \"a\"\nmsgstr[0] \"b\"\n",
       "Zeile 2: Mehrzahlformen (msgstr[0]) werden nicht unterstützt"},
      {"msgid \"a\\q\"\nmsgstr \"\"\n", "Zeile 1: unbekannte Escape-Folge \\q"},
      {"msgid \"a\\0\"\nmsgstr \"\"\n", "Zeile 1: Nullzeichen im Text"},
      {"msgid \"a\\x\"\nmsgstr \"\"\n", "Zeile 1: Escape-Folge ohne Ziffern"},
      {"msgid \"a\\777\"\nmsgstr \"\"\n", "Zeile 1: Escape-Folge größer als ein Byte"},
      {"msgctxt \"T\"\nmsgid \"a\"\nmsgstr \"\"\n\nmsgctxt \"T\"\nmsgid \"a\"\n"
       "msgstr \"x\"\n",
       "Zeile 6: derselbe Eintrag wie in Zeile 2"},
      {"msgid \"\"\nmsgstr \"h\"\nmsgid \"\"\nmsgstr \"h\"\n",
       "Zeile 3: derselbe Eintrag wie in Zeile 1"},
  };
  for (const Case& c : cases) {
    try {
      ParsePo(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), kErrMalformedCatalog);
      EXPECT_EQ(e.description(), c.description) << c.text;
    }
  }
  // The same text in another table, or without one, is another entry.
  EXPECT_EQ(ParsePo("msgctxt \"A\"\nmsgid \"a\"\nmsgstr \"\"\n"
                    "msgctxt \"B\"\nmsgid \"a\"\nmsgstr \"\"\n"
                    "msgid \"a\"\nmsgstr \"\"\n")
                .entries.size(),
            3u);
}

}  // namespace
}  // namespace vx
