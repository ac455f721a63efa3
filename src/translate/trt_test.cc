// TRT on both roads: through a translator double, and through a real
// language database when no translator is installed.  Every scenario runs
// on a fresh thread, since translation keeps its state per thread.

#include "translate/trt.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/fake_host.h"
#include "support/installation.h"
#include "translate/translate_test_util.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::FakeHost;
using testing::Installation;
using testing::LanguageDbFile;
using testing::MakeLanguageDb;
using testing::RunInFreshThread;
using testing::TableRows;
using testing::UseHomeAsSystemDirectory;
using testing::WriteFile;

class FakeTranslator : public Uebersetzer {
 public:
  struct Call {
    std::string text, sprache, anwendung;
    bool nicht_aufnehmen;
    bool optionals_omitted;
    std::string kunden_trt;
  };

  void SetTransKZ(int16_t value) override { trans_kz = value; }

  std::string GetTrt(std::string& text, std::string& sprache,
                     std::string& anwendung, bool nicht_aufnehmen,
                     const Variant& optional1, const Variant& optional2,
                     const Variant& optional3,
                     const std::string& kunden_trt) override {
    calls.push_back({text, sprache, anwendung, nicht_aufnehmen,
                     optional1.IsMissing() && optional2.IsMissing() &&
                         optional3.IsMissing(),
                     kunden_trt});
    if (on_call) on_call();
    return "[" + text + "]";
  }

  int16_t trans_kz = -1;
  std::vector<Call> calls;
  std::function<void()> on_call;
};

// Registers a translator for the life of the object; `created` counts how
// often it was created.
class ScopedTranslator {
 public:
  ScopedTranslator() : translator(std::make_shared<FakeTranslator>()) {
    previous_ = RegisterComponent(Uebersetzer::kProgramId, [this] {
      ++created;
      return translator;
    });
  }
  ~ScopedTranslator() {
    RegisterComponent(Uebersetzer::kProgramId, std::move(previous_));
  }

  std::shared_ptr<FakeTranslator> translator;
  int created = 0;

 private:
  ComponentFactory previous_;
};

// The Ausgaben and Beschriftung rows most scenarios translate with.
const std::vector<std::string> kTexts = {
    "INSERT INTO Ausgaben (Original, Uebersetzt2, Uebersetzt3) "
    "VALUES ('Speichern', 'Save', 'Enregistrer')",
    "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Datei', 'File')",
    "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Preis', 'Price')",
    "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Loeschen', 'Delete')",
    "INSERT INTO Ausgaben (Original, Uebersetzt2, Uebersetzt3) "
    "VALUES ('Drucken', 'Print', Null)",
    "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Achtung', 'Caution')",
    "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Kunde s Auftrag', "
    "'Customer''s order')",
    // A duplicate whose first row lacks the translation.
    "INSERT INTO Ausgaben (Original) VALUES ('Zweimal')",
    "INSERT INTO Ausgaben (Original, Uebersetzt2) VALUES ('Zweimal', 'Twice')",
    "INSERT INTO Ausgaben (Original) VALUES ('Offen')",
    "INSERT INTO Beschriftung (Original, Uebersetzt2) VALUES ('Name', 'Name:en')",
};

class TrtTest : public ::testing::Test {
 protected:
  // An installation whose program language is `language`, with the
  // language database made from kTexts.
  void Install(int language, const std::string& more_settings = "") {
    UseHomeAsSystemDirectory(inst, "[Sprache]\nProgramm Version=" +
                                       std::to_string(language) + "\n" +
                                       more_settings);
    MakeLanguageDb(inst, kTexts);
  }

  void DeveloperMode() { WriteFile(inst.File("Tarvano32.lic"), ""); }

  std::vector<std::string> Prompts() const {
    std::vector<std::string> prompts;
    for (const auto& box : host.message_boxes) prompts.push_back(box.prompt);
    return prompts;
  }

  Installation inst;
  FakeHost host;
};

TEST_F(TrtTest, TextsThatNeedNoTranslationComeBackUnchanged) {
  ScopedTranslator component;
  // German program: nothing is translated, the translator not even made.
  UseHomeAsSystemDirectory(inst, "[Sprache]\nProgramm Version=1\n");
  RunInFreshThread([] {
    EXPECT_EQ(TRT("Speichern"), "Speichern");
  });
  EXPECT_EQ(component.created, 0);

  // Translated program: blanks and names of controls do not reach it.
  Install(2);
  RunInFreshThread([] {
    for (const char* text : {"   ", "txtName", "LabelFoo", "FRAMEx"}) {
      EXPECT_EQ(TRT(text), text);
    }
  });
  EXPECT_EQ(component.created, 0);
  EXPECT_TRUE(component.translator->calls.empty());
}

TEST_F(TrtTest, TranslatorComponentGetsTheWholeJob) {
  ScopedTranslator component;
  Install(3);
  RunInFreshThread([&] {
    EXPECT_EQ(TRT("Speichern"), "[Speichern]");
    EXPECT_EQ(TRT("125"), "[125]");  // numbers are the translator's affair

    std::string sprache, anwendung = "Kalkulation", kundenschluessel = "ABC";
    bool nicht_aufnehmen = false;
    int32_t kundennummer = 17;
    EXPECT_EQ(TRT("Datei", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "[Datei]");
  });
  EXPECT_EQ(component.created, 1);  // once per thread
  EXPECT_EQ(component.translator->trans_kz, 3);
  const auto& calls = component.translator->calls;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].sprache, "");
  EXPECT_EQ(calls[0].anwendung, "vx_test");  // the executable's name
  EXPECT_TRUE(calls[0].nicht_aufnehmen);     // recording is for developers
  EXPECT_TRUE(calls[0].optionals_omitted);
  EXPECT_EQ(calls[2].anwendung, "Kalkulation");
  EXPECT_EQ(calls[2].kunden_trt, "GETKUNDENTRT4GERMAN|17|ABC");
}

TEST_F(TrtTest, CustomerWordingOrExplicitLanguageLetsAGermanProgramThrough) {
  ScopedTranslator component;
  Install(1);
  RunInFreshThread([] {
    std::string sprache, anwendung, kundenschluessel = "ABC";
    bool nicht_aufnehmen = true;
    int32_t kundennummer = 0;  // no customer: nothing to do
    EXPECT_EQ(TRT("Angebot", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "Angebot");
    kundennummer = 5;
    EXPECT_EQ(TRT("Angebot", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "[Angebot]");
    kundenschluessel.clear();
    sprache = "4";
    EXPECT_EQ(TRT("Angebot", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "[Angebot]");
  });
  const auto& calls = component.translator->calls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].kunden_trt, "GETKUNDENTRT4GERMAN|5|ABC");
  EXPECT_EQ(calls[1].sprache, "4");
  EXPECT_EQ(calls[1].kunden_trt, "");
}

TEST_F(TrtTest, CallersPendingErrorSurvivesBothRoads) {
  Install(2);
  RunInFreshThread([] {
    Err().Set(3024, "Datei fehlt");
    EXPECT_EQ(TRT("Speichern"), "Save");
    EXPECT_EQ(Err().Number(), 3024);
    EXPECT_EQ(Err().Description(), "Datei fehlt");
    Err().Clear();
  });
  ScopedTranslator component;
  RunInFreshThread([] {
    Err().Set(53);
    EXPECT_EQ(TRT("Speichern"), "[Speichern]");
    EXPECT_EQ(Err().Number(), 53);
    Err().Clear();
  });
}

TEST_F(TrtTest, FailingOrReenteringTranslatorGivesTheTextBack) {
  ScopedTranslator component;
  Install(2);
  std::string nested;
  component.translator->on_call = [&] { nested = TRT("innen"); };
  RunInFreshThread([] { EXPECT_EQ(TRT("Speichern"), "[Speichern]"); });
  EXPECT_EQ(nested, "innen");  // no second call into the translator
  EXPECT_EQ(component.translator->calls.size(), 1u);

  component.translator->on_call = [] { Raise(438); };
  RunInFreshThread([] {
    EXPECT_EQ(TRT("Speichern"), "Speichern");
    EXPECT_FALSE(Err().IsSet());
  });
}

TEST_F(TrtTest, LanguageDatabaseTranslatesAndKeepsTheDecorations) {
  Install(2);
  RunInFreshThread([] {
    EXPECT_EQ(TRT("Speichern"), "Save");
    EXPECT_EQ(TRT("Speichern:"), "Save:");
    EXPECT_EQ(TRT("&Datei"), "&File");
    EXPECT_EQ(TRT("Preis12"), "Price12");
    EXPECT_EQ(TRT("Preis12: "), "Price12: ");  // the number before the colon
    EXPECT_EQ(TRT("Löschen"), "Delete");
    EXPECT_EQ(TRT("Zweimal"), "Twice");    // from the duplicate row
    EXPECT_EQ(TRT("Name"), "Name:en");     // a label
    // An apostrophe is looked up as a blank and cannot break the statement.
    EXPECT_EQ(TRT("Kunde's Auftrag"), "Customer's order");
    EXPECT_EQ(TRT("O'Neil's"), "O'Neil's");
    for (const char* text : {"125", "&", "Unbekannt", "Offen"}) {
      EXPECT_EQ(TRT(text), text);
    }
  });
  EXPECT_TRUE(host.message_boxes.empty()) << Prompts()[0];
}

TEST_F(TrtTest, RequestedLanguageIsWrittenBackAndLanguage2StandsIn) {
  Install(2);
  RunInFreshThread([] {
    std::string sprache = "3", anwendung, kundenschluessel;
    bool nicht_aufnehmen = false;
    int32_t kundennummer = 0;
    auto trt = [&](const std::string& text) {
      return TRT(text, sprache, anwendung, nicht_aufnehmen, kundenschluessel,
                 kundennummer);
    };
    EXPECT_EQ(trt("Speichern"), "Enregistrer");
    EXPECT_EQ(trt("Drucken"), "Print");  // language 3 null: language 2
    EXPECT_EQ(sprache, "3");
    EXPECT_EQ(anwendung, "vx_test");
    sprache = "";
    EXPECT_EQ(trt("Speichern"), "Save");
    EXPECT_EQ(sprache, "2");
    sprache = "2.5";  // no language: the program's
    EXPECT_EQ(trt("Speichern"), "Save");
    EXPECT_EQ(sprache, "2");
  });
  EXPECT_TRUE(host.message_boxes.empty());
}

TEST_F(TrtTest, CacheServesTheSameTextOnlyInTheProgramsLanguage) {
  Install(2);
  RunInFreshThread([this] {
    EXPECT_EQ(TRT("Speichern"), "Save");
    DbHandle db = testing::OpenForTest(LanguageDbFile(inst));
    db->Execute("UPDATE Ausgaben SET Uebersetzt2 = 'Store', "
                "Uebersetzt3 = 'Sauver' WHERE Original = 'Speichern'");
    CloseDb(db);
    EXPECT_EQ(TRT("Speichern"), "Save");  // asked twice in a row

    std::string sprache = "3", anwendung, kundenschluessel;
    bool nicht_aufnehmen = false;
    int32_t kundennummer = 0;
    EXPECT_EQ(TRT("Speichern", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "Sauver");
    EXPECT_EQ(TRT("Datei"), "File");
    EXPECT_EQ(TRT("Speichern"), "Store");
  });
}

TEST_F(TrtTest, MissingLanguageDatabaseIsSilentAndNotTriedAgain) {
  UseHomeAsSystemDirectory(inst, "[Sprache]\nProgramm Version=2\n");
  RunInFreshThread([this] {
    EXPECT_EQ(TRT("Speichern"), "Speichern");
    MakeLanguageDb(inst, kTexts);
    EXPECT_EQ(TRT("Speichern"), "Speichern");
  });
  EXPECT_TRUE(host.message_boxes.empty());
  RunInFreshThread([] { EXPECT_EQ(TRT("Speichern"), "Save"); });

  // Without a directory SYSTEM there is no database to look for.
  inst.WriteSettings("[Sprache]\nProgramm Version=2\n");
  RunInFreshThread([] { EXPECT_EQ(TRT("Speichern"), "Speichern"); });
}

TEST_F(TrtTest, DeveloperModeReportsMissingPieces) {
  UseHomeAsSystemDirectory(inst, "[Sprache]\nProgramm Version=2\n");
  DeveloperMode();
  RunInFreshThread([] {
    EXPECT_EQ(TRT("Speichern"), "Speichern");
    EXPECT_EQ(TRT("Datei"), "Datei");
  });
  std::vector<std::string> prompts = Prompts();
  ASSERT_EQ(prompts.size(), 4u);
  EXPECT_EQ(prompts[0], "CreateObject - <vx_Translate.cls_Trans> - schlug fehl");
  EXPECT_EQ(host.message_boxes[0].title, "bIstEntwicklung");
  EXPECT_EQ(prompts[1],
            "Das Trt wurde gekürzt und wollte mit nachfolgendem Code "
            "weiterlaufen!!!!\nBitte die Entwicklung informieren!!!");
  EXPECT_EQ(prompts[2], inst.home() + "\\Language2.vx3db fehlt!!!");
  EXPECT_EQ(prompts[3], prompts[1]);  // the database is not looked for again
}

TEST_F(TrtTest, FailingLookupIsShownAndGivesTheText) {
  // A database without the column of language 4.
  UseHomeAsSystemDirectory(inst, "[Sprache]\nProgramm Version=4\n");
  dao::CreateDatabase(LanguageDbFile(inst),
                      "CREATE TABLE Ausgaben (ID COUNTER, Original TEXT(255));",
                      kSuitePassword);
  RunInFreshThread([] { EXPECT_EQ(TRT("Spei'chern:"), "Spei'chern:"); });
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].title, "function TRT");
  EXPECT_EQ(host.message_boxes[0].style, 0x1030);
  EXPECT_TRUE(host.message_boxes[0].prompt.ends_with(
      "\r\nTranslate-Error: Spei chern"))
      << host.message_boxes[0].prompt;
}

TEST_F(TrtTest, DeveloperModeRecordsUnknownTexts) {
  // German program: the database only collects.
  Install(1);
  DeveloperMode();
  RunInFreshThread([] {
    EXPECT_EQ(TRT("Neuer Text"), "Neuer Text");
    EXPECT_EQ(TRT("&Öffnen!"), "&Öffnen!");  // recorded as its core
    EXPECT_EQ(TRT("Name"), "Name");          // known as a label
    std::string sprache, anwendung = "O'Brien", kundenschluessel;
    bool nicht_aufnehmen = false;
    int32_t kundennummer = 0;
    EXPECT_EQ(TRT("Fremd", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "Fremd");
    nicht_aufnehmen = true;
    EXPECT_EQ(TRT("Verboten", sprache, anwendung, nicht_aufnehmen,
                  kundenschluessel, kundennummer),
              "Verboten");
  });
  std::vector<std::string> rows = TableRows(inst, "Ausgaben");
  ASSERT_EQ(rows.size(), kTexts.size() - 1 + 3);
  EXPECT_EQ(rows[rows.size() - 3], "Neuer Text|~|~|~");
  EXPECT_EQ(rows[rows.size() - 2], "Oeffnen|~|~|~");
  EXPECT_EQ(rows[rows.size() - 1], "Fremd|~|~|~");

  DbHandle db = testing::OpenForTest(LanguageDbFile(inst));
  RsHandle rs = db->OpenRecordset(
      "SELECT ApplicationName, Aktualisierung FROM Ausgaben WHERE "
      "ApplicationName Is Not Null ORDER BY ID",
      Variant(dao::kOpenSnapshot));
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(CStr(rs->Fields()[0].Value()), "vx_test");
  double recorded = CDate(rs->Fields()[1].Value()).serial;
  EXPECT_NEAR(recorded, Now().serial, 1.0 / 24);  // this very hour
  rs->MoveLast();
  EXPECT_EQ(CStr(rs->Fields()[0].Value()), "O'Brien");
  CloseRs(rs);
  CloseDb(db);
}

TEST_F(TrtTest, DeveloperModeRecordsWhatTranslationDoesNotFind) {
  Install(2);
  DeveloperMode();
  RunInFreshThread([] {
    EXPECT_EQ(TRT("Speichern"), "Save");
    EXPECT_EQ(TRT("Offen"), "Offen");  // known, only untranslated
    EXPECT_EQ(TRT("Neu"), "Neu");
  });
  std::vector<std::string> rows = TableRows(inst, "Ausgaben");
  EXPECT_EQ(rows.back(), "Neu|~|~|~");
  EXPECT_EQ(rows.size(), kTexts.size() - 1 + 1);

  // The setting switches recording off.
  inst.WriteSettings("[Datei Verzeichnisse]\nSYSTEM=" + inst.home() +
                     "\n[Sprache]\nProgramm Version=2\nAlwaysAddText=no\n");
  RunInFreshThread([] { EXPECT_EQ(TRT("Noch neuer"), "Noch neuer"); });
  EXPECT_EQ(TableRows(inst, "Ausgaben").size(), kTexts.size());

  // Through the translator, recording is its affair: it is allowed to.
  inst.WriteSettings("[Sprache]\nProgramm Version=2\n");
  ScopedTranslator component;
  RunInFreshThread([] { TRT("Speichern"); });
  ASSERT_EQ(component.translator->calls.size(), 1u);
  EXPECT_FALSE(component.translator->calls[0].nicht_aufnehmen);
}

TEST_F(TrtTest, RecordedDateReachesTheEngineAsADate) {
  Install(2);
  DbHandle db = testing::OpenForTest(LanguageDbFile(inst));
  // A year beyond 2029 must not come back as 1930.
  db->Execute(RecordUnknownTextStatement("Text's", DateFromParts(2031, 3, 5, 14, 7, 9),
                                         "App'X"));
  RsHandle rs = db->OpenRecordset(
      "SELECT Original, Aktualisierung, ApplicationName FROM Ausgaben "
      "WHERE Aktualisierung = #3/5/2031 14:07:09#",
      Variant(dao::kOpenSnapshot));
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(CStr(rs->Fields()[0].Value()), "Text's");
  EXPECT_EQ(FormatDateTime(CDate(rs->Fields()[1].Value())),
            "2031-03-05 14:07:09");
  EXPECT_EQ(CStr(rs->Fields()[2].Value()), "App'X");
  CloseRs(rs);
  CloseDb(db);
}

}  // namespace
}  // namespace vx
