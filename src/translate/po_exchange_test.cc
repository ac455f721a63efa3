// The language database's translations as a gettext catalogue and back,
// on a real language database.

#include "translate/po_exchange.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

#include "support/fake_host.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "support/installation.h"
#include "translate/translate_test_util.h"
#include "translate/trt.h"
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

TEST_F(PoExchangeTest, HeaderHasTheFieldsTheGettextToolsCheck) {
  PoCatalog c = ExportTranslations(*db, 3);
  EXPECT_EQ(PoHeaderField(c.header, "Project-Id-Version"), "Language2.vx3db");
  EXPECT_EQ(PoHeaderField(c.header, "Language"), "x-sprache3");
  EXPECT_EQ(PoHeaderField(c.header, "Plural-Forms"), "nplurals=2; plural=(n != 1);");
  const std::string revised = PoHeaderField(c.header, "PO-Revision-Date");
  ASSERT_EQ(revised.size(), 21u) << revised;  // 2026-12-06 20:15+0100
  EXPECT_EQ(revised.substr(4, 1) + revised.substr(7, 1) + revised.substr(13, 1), "--:");

  PoCatalog pot = ExportTemplate(*db);
  EXPECT_EQ(PoHeaderField(pot.header, "PO-Revision-Date"), "YEAR-MO-DA HO:MI+ZONE");
  EXPECT_EQ(PoHeaderField(pot.header, "Language"), "");
  EXPECT_EQ(PoHeaderField(pot.header, "X-Sprache"), "");
  ASSERT_EQ(pot.entries.size(), c.entries.size());
  for (size_t i = 0; i < pot.entries.size(); ++i) {
    EXPECT_EQ(pot.entries[i].id, c.entries[i].id);
    EXPECT_EQ(pot.entries[i].translation, "");
  }
}

// msgfmt, where the gettext tools are installed, checks the catalogue as
// translators' tools will, and must not even warn.
TEST_F(PoExchangeTest, MsgfmtChecksTheExportWithoutWarnings) {
  if (std::system("msgfmt --version >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "msgfmt is not installed";
  }
  const std::string po = inst.File("sprache2.po");
  const std::string report = inst.File("msgfmt.txt");
  testing::WriteFile(po, FormatPo(ExportTranslations(*db, 2)));
  EXPECT_EQ(std::system(("msgfmt --check --check-header -o /dev/null '" + po +
                         "' >'" + report + "' 2>&1")
                            .c_str()),
            0);
  EXPECT_EQ(testing::ReadFile(report), "");
}

TEST_F(PoExchangeTest, OriginalsDifferingInCaseExportWhatTrtFinds) {
  for (const char* sql : {
           "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('abbrechen', Null)",
           "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Abbrechen', 'Cancel')",
           "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('ABBRECHEN', 'CANCEL')",
           "INSERT INTO Beschriftung (Original, Uebersetzt2) VALUES ('Ende', '')",
           "INSERT INTO Beschriftung (Original, Uebersetzt2) VALUES ('ENDE', 'End')",
       }) {
    db->Execute(sql);
  }
  PoCatalog c = ExportTranslations(*db, 2);
  std::vector<std::string> entries;
  for (const PoEntry& e : c.entries) {
    if (EqualsNoCase(e.id, "abbrechen") || EqualsNoCase(e.id, "ende")) {
      entries.push_back(e.context + "|" + e.id + "|" + e.translation);
    }
  }
  EXPECT_EQ(entries, (std::vector<std::string>{"Ausgaben|Abbrechen|Cancel",
                                               "Beschriftung|Ende|"}));
  testing::UseHomeAsSystemDirectory(inst, "[Sprache]\nProgramm Version=2\n");
  testing::RunInFreshThread([] {
    for (const char* text : {"abbrechen", "Abbrechen", "ABBRECHEN"}) {
      EXPECT_EQ(TRT(text), "Cancel") << text;
    }
    EXPECT_EQ(TRT("ENDE"), "ENDE");
  });

  // A new translation reaches every spelling.
  for (PoEntry& e : c.entries) {
    if (e.id == "Abbrechen") e.translation = "Abort";
  }
  EXPECT_EQ(ImportTranslations(*db, 2, c).changed_rows, 3);
  testing::RunInFreshThread([] { EXPECT_EQ(TRT("ABBRECHEN"), "Abort"); });
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

TEST_F(PoExchangeTest, EngineFailureWritesNothing) {
  // A change of Beschriftung fails after Ausgaben was written.
  CloseDb(db);
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(LanguageDbFile(inst).c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw,
                         "CREATE TRIGGER nein BEFORE UPDATE ON Beschriftung "
                         "BEGIN SELECT RAISE(ABORT, 'nein'); END",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);
  db = OpenForTest(LanguageDbFile(inst));
  const auto before = TableRows(inst, "Ausgaben");

  PoCatalog c = RoundTrip(ExportTranslations(*db, 2));
  c.entries[0].translation = "Store";       // Ausgaben
  c.entries[4].translation = "Save label";  // Beschriftung
  EXPECT_THROW(ImportTranslations(*db, 2, c), Error);
  EXPECT_EQ(TableRows(inst, "Ausgaben"), before);
}

TEST_F(PoExchangeTest, ManyRowsInOneImport) {
  db->InTransaction([&] {
    for (int i = 0; i < 2000; ++i) {
      db->Execute("INSERT INTO Ausgaben (Original) VALUES ('Text " +
                  std::to_string(i) + "')");
    }
  });
  PoCatalog c = RoundTrip(ExportTranslations(*db, 4));
  for (PoEntry& e : c.entries) e.translation = e.id + " (4)";
  ImportResult r = ImportTranslations(*db, 4, c);
  EXPECT_EQ(r.changed_texts, static_cast<int>(c.entries.size()));
  EXPECT_EQ(TableRows(inst, "Ausgaben").back(), "Text 1999|~|~|Text 1999 (4)");
}

TEST_F(PoExchangeTest, TextsThatNoCatalogCanHoldAreRefusedAtExport) {
  db->Execute("INSERT INTO Ausgaben (Original) VALUES ('kaputt \xFF')");
  try {
    ExportTranslations(*db, 2);
    ADD_FAILURE() << "exported";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrMalformedCatalog);
    EXPECT_EQ(e.description(), "Ausgaben, ID 8: der Text ist kein gültiges UTF-8");
  }
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
