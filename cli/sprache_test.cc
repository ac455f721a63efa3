// `taluvek sprache`: its arguments, exit codes and messages, on a temporary
// installation.

#include "cli/sprache.h"
#include "cli/taluvek.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "support/fake_host.h"
#include "support/installation.h"
#include "translate/translate_test_util.h"

namespace vx::cli {
namespace {

using testing::ReadFile;
using testing::TableRows;
using testing::WriteFile;

class SpracheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseHomeAsSystemDirectory(inst);
    testing::MakeLanguageDb(
        inst, {"INSERT INTO Ausgaben (Original, Uebersetzt2) "
               "VALUES ('Speichern', 'Save')",
               "INSERT INTO Beschriftung (Original) VALUES ('Name')"});
    po = inst.File("texte.po");
  }

  int Run(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    out.str("");
    err.str("");
    std::vector<std::string> line{"sprache"};
    line.insert(line.end(), args.begin(), args.end());
    return RunTaluvek(line, in, out, err);
  }

  testing::Installation inst;
  testing::FakeHost host;
  std::string po;
  std::ostringstream out, err;
};

TEST_F(SpracheTest, UsageErrorsExitWith2) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"export"},
      {"export", "a.po"},
      {"export", "a.po", "--sprache"},
      {"export", "a.po", "--sprache", "1"},
      {"import", "a.po", "--sprache=5"},
      {"import", "a.po", "--sprache", "2x"},
      {"uebersetzen", "a.po", "--sprache", "2"},
      {"export", "a.po", "b.po", "--sprache", "2"},
      {"export", "a.po", "--sprach", "2"},
      {"export", "--vorlage", "a.pot", "--sprache", "2"},
      {"import", "--vorlage", "a.pot"},
  };
  for (const auto& args : wrong) {
    EXPECT_EQ(Run(args), 2) << ::testing::PrintToString(args);
    // One line, naming the command and its help.
    EXPECT_EQ(err.str().rfind("taluvek sprache", 0), 0u) << err.str();
    EXPECT_NE(err.str().find("--help)\n"), std::string::npos) << err.str();
    const std::string shown = err.str();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
    EXPECT_TRUE(out.str().empty());
  }
  EXPECT_EQ(Run({"import", "--help"}), 0);
  EXPECT_NE(out.str().find("Aufruf: taluvek sprache export DATEI.po --sprache N"),
            std::string::npos);
}

TEST_F(SpracheTest, ExportAndImportRoundTrip) {
  ASSERT_EQ(Run({"export", po, "--sprache", "2"}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "taluvek sprache: 2 Texte nach " + po +
                " geschrieben, 1 davon in Sprache 2 übersetzt\n");
  std::string text = ReadFile(po);
  EXPECT_NE(text.find("msgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"Save\"\n"),
            std::string::npos);
  EXPECT_NE(text.find("msgctxt \"Beschriftung\"\nmsgid \"Name\"\nmsgstr \"\"\n"),
            std::string::npos);

  ASSERT_EQ(Run({"--sprache=2", "import", po}), 0) << err.str();
  EXPECT_EQ(out.str(), "taluvek sprache: 0 Übersetzungen aus " + po +
                           " geschrieben (0 Zeilen geändert), 0 Einträge übergangen\n");

  size_t name = text.find("msgid \"Name\"\nmsgstr \"\"");
  WriteFile(po, text.substr(0, name) + "msgid \"Name\"\nmsgstr \"Name:en\"\n" +
                    "\nmsgctxt \"Ausgaben\"\nmsgid \"Fehlt\"\nmsgstr \"x\"\n");
  ASSERT_EQ(Run({"import", po, "--sprache", "2"}), 0) << err.str();
  EXPECT_NE(err.str().find("Text \"Fehlt\" fehlt in Ausgaben, übersprungen"),
            std::string::npos);
  EXPECT_EQ(TableRows(inst, "Beschriftung")[0], "Name|Name:en|~|~");
}

TEST_F(SpracheTest, StandardStreamsAndTemplate) {
  ASSERT_EQ(Run({"export", "-", "--sprache", "2"}), 0) << err.str();
  const std::string catalog = out.str();
  EXPECT_NE(catalog.find("msgid \"Speichern\"\nmsgstr \"Save\"\n"), std::string::npos);
  EXPECT_EQ(err.str(), "taluvek sprache: 2 Texte nach Standardausgabe geschrieben, "
                       "1 davon in Sprache 2 übersetzt\n");

  std::string changed = catalog;
  changed.replace(changed.find("\"Save\""), 6, "\"Keep\"");
  ASSERT_EQ(Run({"import", "-", "--sprache", "2"}, changed), 0) << err.str();
  EXPECT_EQ(out.str(), "taluvek sprache: 1 Übersetzungen aus Standardeingabe "
                       "geschrieben (1 Zeilen geändert), 0 Einträge übergangen\n");
  EXPECT_EQ(TableRows(inst, "Ausgaben")[0], "Speichern|Keep|~|~");

  const std::string pot = inst.File("texte.pot");
  ASSERT_EQ(Run({"export", "--vorlage", pot}), 0) << err.str();
  EXPECT_EQ(out.str(), "taluvek sprache: 2 Texte als Vorlage nach " + pot +
                           " geschrieben\n");
  const std::string text = ReadFile(pot);
  EXPECT_NE(text.find("msgid \"Speichern\"\nmsgstr \"\"\n"), std::string::npos);
  EXPECT_EQ(text.find("Keep"), std::string::npos);
}

TEST_F(SpracheTest, TextsTheCatalogCannotHoldAreRefusedWithTheirLine) {
  // What export writes of a control character reads back; a raw NUL or a
  // byte that is not UTF-8 is refused, naming its line.
  ASSERT_EQ(Run({"import", "-", "--sprache", "2"},
                "msgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"a\x01" "b\"\n"),
            0)
      << err.str();
  ASSERT_EQ(Run({"export", po, "--sprache", "2"}), 0);
  ASSERT_EQ(Run({"import", po, "--sprache", "2"}), 0) << err.str();
  EXPECT_EQ(TableRows(inst, "Ausgaben")[0], "Speichern|a\x01" "b|~|~");

  static constexpr char kRawNul[] =
      "msgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"a\0b\"\n";
  EXPECT_EQ(Run({"import", "-", "--sprache", "2"},
                std::string(kRawNul, sizeof kRawNul - 1)),
            1);
  EXPECT_EQ(err.str(), "taluvek sprache: Standardeingabe, Zeile 3: Nullzeichen im "
                       "Text; nichts geschrieben\n");
  EXPECT_EQ(Run({"import", "-", "--sprache", "2"},
                "msgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"Gr\xF6\xDF" "e\"\n"),
            1);
  EXPECT_EQ(err.str(), "taluvek sprache: Standardeingabe, Zeile 3: der Text ist "
                       "kein gültiges UTF-8; nichts geschrieben\n");
  EXPECT_EQ(TableRows(inst, "Ausgaben")[0], "Speichern|a\x01" "b|~|~");
}

TEST_F(SpracheTest, MalformedCatalogIsRefusedAndNothingWritten) {
  WriteFile(po,
            "msgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"Store\"\n\n"
            "msgctxt \"Ausgaben\"\nmsgid \"Speichern\"\nmsgstr \"Keep\"\n"
            "msgtxt \"kaputt\"\n");
  EXPECT_EQ(Run({"import", po, "--sprache", "2"}), 1);
  // The description after the line is the gettext tools' own.
  EXPECT_TRUE(err.str().starts_with("taluvek sprache: " + po + ", Zeile 8: "))
      << err.str();
  EXPECT_TRUE(err.str().ends_with("; nichts geschrieben\n")) << err.str();
  EXPECT_EQ(TableRows(inst, "Ausgaben")[0], "Speichern|Save|~|~");
}

TEST_F(SpracheTest, MissingPiecesFailWith1) {
  EXPECT_EQ(Run({"import", inst.File("fehlt.po"), "--sprache", "2"}), 1);
  EXPECT_NE(err.str().find("lässt sich nicht lesen"), std::string::npos);

  EXPECT_EQ(Run({"export", inst.File("kein/ordner.po"), "--sprache", "2"}), 1);
  EXPECT_NE(err.str().find("lässt sich nicht schreiben"), std::string::npos);

  inst.WriteSettings("");
  EXPECT_EQ(Run({"export", po, "--sprache", "2"}), 1);
  EXPECT_NE(err.str().find("kein Verzeichnis SYSTEM"), std::string::npos);

  testing::UseHomeAsSystemDirectory(inst);
  std::remove(testing::LanguageDbFile(inst).c_str());
  EXPECT_EQ(Run({"export", po, "--sprache", "2"}), 1);
  EXPECT_NE(err.str().find("lässt sich nicht öffnen"), std::string::npos);
}

}  // namespace
}  // namespace vx::cli
