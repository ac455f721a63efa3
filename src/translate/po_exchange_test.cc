// The language database's translations as a gettext catalogue and back,
// on a real language database.

#include "translate/po_exchange.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "support/installation.h"
#include "translate/translate_test_util.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::Installation;
using testing::LanguageDbFile;
using testing::MakeLanguageDb;
using testing::OpenForTest;
using testing::TableRows;

class PoExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeLanguageDb(
        inst,
        {"INSERT INTO Ausgaben (Original, Uebersetzt2, Uebersetzt3) "
         "VALUES ('Speichern', 'Save', 'Sauver')",
         "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES "
         "('Sag \"Hallo\"', 'Say ''hi'' [#1]')",
         "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Zweimal', Null)",
         "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Leer', '')",
         "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Zweimal', 'Twice')",
         "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES (Null, 'x')",
         "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('', 'y')",
         "INSERT INTO Beschriftung (Original) VALUES ('Speichern')",
         "INSERT INTO Beschriftung (Original, Uebersetzt2) VALUES "
         "('Tab\tund\nZeile\\', 'Tab\tand\nline\\')"});
    db = OpenForTest(LanguageDbFile(inst));
  }
  void TearDown() override { CloseDb(db); }

  PoCatalog RoundTrip(const PoCatalog& catalog) {
    return ParsePo(FormatPo(catalog));
  }

  Installation inst;
  testing::FakeHost host;
  DbHandle db;
};

TEST_F(PoExchangeTest, ExportsOneEntryPerOriginalAndTable) {
  PoCatalog c = ExportTranslations(*db, 2);
  EXPECT_EQ(PoHeaderField(c.header, "Content-Type"),
            "text/plain; charset=UTF-8");
  EXPECT_EQ(PoHeaderField(c.header, "X-Sprache"), "2");
  std::vector<std::string> entries;
  for (const PoEntry& e : c.entries) {
    entries.push_back(e.context + "|" + e.id + "|" + e.translation);
  }
  EXPECT_EQ(entries, (std::vector<std::string>{
                         "Ausgaben|Speichern|Save",
                         "Ausgaben|Sag \"Hallo\"|Say 'hi' [#1]",
                         "Ausgaben|Zweimal|Twice",
                         "Ausgaben|Leer|",
                         "Beschriftung|Speichern|",
                         "Beschriftung|Tab\tund\nZeile\\|Tab\tand\nline\\",
                     }));
  EXPECT_EQ(ExportTranslations(*db, 3).entries[0].translation, "Sauver");
}

TEST_F(PoExchangeTest, RoundTripChangesNothing) {
  const auto before = TableRows(inst, "Ausgaben");
  const auto labels_before = TableRows(inst, "Beschriftung");
  for (int language = 2; language <= 4; ++language) {
    ImportResult r =
        ImportTranslations(*db, language, RoundTrip(ExportTranslations(*db, language)));
    EXPECT_EQ(r.changed_texts, 0);
    EXPECT_EQ(r.changed_rows, 0);
    EXPECT_TRUE(r.skipped.empty());
  }
  EXPECT_EQ(TableRows(inst, "Ausgaben"), before);
  EXPECT_EQ(TableRows(inst, "Beschriftung"), labels_before);
}

TEST_F(PoExchangeTest, ImportWritesChangedTranslationsOnly) {
  PoCatalog c = RoundTrip(ExportTranslations(*db, 2));
  c.entries[0].translation = "Store";             // Speichern
  c.entries[1].translation = "Sag's \"laut\"";    // quotes and apostrophes
  c.entries[2].translation = "";                  // Zweimal: both rows null
  c.entries[4].translation = "Save label";        // Beschriftung Speichern
  ImportResult r = ImportTranslations(*db, 2, c);
  EXPECT_EQ(r.changed_texts, 4);
  EXPECT_EQ(r.changed_rows, 4);  // the null row of Zweimal stays as it is
  EXPECT_EQ(TableRows(inst, "Ausgaben"),
            (std::vector<std::string>{
                "Speichern|Store|Sauver|~", "Sag \"Hallo\"|Sag's \"laut\"|~|~",
                "Zweimal|~|~|~", "Leer||~|~", "Zweimal|~|~|~", "~|x|~|~",
                "|y|~|~"}));
  EXPECT_EQ(TableRows(inst, "Beschriftung")[0], "Speichern|Save label|~|~");

  // A new translation for every row of a duplicated original.
  c.entries[2].translation = "Two times";
  EXPECT_EQ(ImportTranslations(*db, 2, c).changed_rows, 2);
  EXPECT_EQ(TableRows(inst, "Ausgaben")[4], "Zweimal|Two times|~|~");
}

TEST_F(PoExchangeTest, UnknownAndFuzzyEntriesAreSkipped) {
  PoCatalog c = ParsePo(
      "msgctxt \"Ausgaben\"\nmsgid \"Fehlt\"\nmsgstr \"Missing\"\n\n"
      "msgctxt \"Andere\"\nmsgid \"Speichern\"\nmsgstr \"Other\"\n\n"
      "msgid \"Speichern\"\nmsgstr \"None\"\n\n"
      "#, fuzzy\nmsgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"Maybe\"\n\n"
      "msgctxt \"Ausgaben\"\nmsgid \"Leer\"\nmsgstr \"Empty\"\n");
  ImportResult r = ImportTranslations(*db, 2, c);
  EXPECT_EQ(r.skipped, (std::vector<std::string>{
                           "Zeile 2: Text \"Fehlt\" fehlt in Ausgaben, übersprungen",
                           "Zeile 6: unbekannte Tabelle (msgctxt \"Andere\"), übersprungen",
                           "Zeile 9: ohne msgctxt (Ausgaben oder Beschriftung), übersprungen",
                           "Zeile 14: als unsicher (fuzzy) markiert, übersprungen",
                       }));
  EXPECT_EQ(r.changed_rows, 1);
  EXPECT_EQ(TableRows(inst, "Ausgaben")[0], "Speichern|Save|Sauver|~");
  EXPECT_EQ(TableRows(inst, "Ausgaben")[3], "Leer|Empty|~|~");
}

TEST_F(PoExchangeTest, RefusedCatalogWritesNothing) {
  const auto before = TableRows(inst, "Ausgaben");
  auto refusal = [&](const PoCatalog& c, int language) {
    try {
      ImportTranslations(*db, language, c);
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), kErrMalformedCatalog);
      return e.description();
    }
    return std::string("accepted");
  };

  PoCatalog c = RoundTrip(ExportTranslations(*db, 2));
  c.entries[0].translation = "Store";  // would be written, were it not for...
  c.entries[1].translation = std::string(256, 'x');
  c.entries[1].line = 9;
  EXPECT_EQ(refusal(c, 2), "Zeile 9: die Übersetzung ist länger als 255 Zeichen");
  c.entries[1].translation = std::string(255, 'x');
  EXPECT_EQ(refusal(c, 3), "Kopfeintrag: die Datei enthält Sprache 2, nicht Sprache 3");
  c.header = "Content-Type: text/plain; charset=ISO-8859-1\n";
  EXPECT_EQ(refusal(c, 2),
            "Kopfeintrag: Zeichensatz ISO-8859-1 wird nicht unterstützt, nur UTF-8");
  EXPECT_EQ(TableRows(inst, "Ausgaben"), before);
}

}  // namespace
}  // namespace vx
