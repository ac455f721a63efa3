#include "cli/taluvek.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/database_backup.h"
#include "config/directories.h"
#include "data/connections.h"
#include "platform/module_state.h"
#include "support/fake_host.h"
#include "support/test_support.h"
#include "vx_taluvek/host.h"

namespace vx::cli {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

size_t LineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// An empty settings home; `Install` makes the sample installation in it.
class TaluvekTest : public ::testing::Test {
 protected:
  TaluvekTest()
      : home_env_("TARVANO_HOME", dir_.path()), ini_env_("TARVANO_INI", {}) {
    State() = ModuleState{};
  }
  ~TaluvekTest() override { State() = ModuleState{}; }

  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    // Each run of the command starts as a process would, with fresh state.
    State() = ModuleState{};
    return RunTaluvek(args, out_, err_);
  }
  void Install() {
    ASSERT_EQ(Run({"einrichten", home(), "--beispiel"}), 0) << err_.str();
  }

  const std::string& home() const { return dir_.path(); }
  std::string File(const std::string& name) const { return dir_.File(name); }
  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

  // A connection to the project database, as another program would hold.
  DbHandle OpenProjekte() { return Open(File("PROJEKT/PROJEKT.VX3DB")); }
  DbHandle Open(const std::string& db) {
    return engine_.OpenDatabase(db, false, false,
                                std::string(kBareConnect) + kSuitePassword);
  }
  Variant Stored(const std::string& nr, const std::string& column) {
    RsHandle rs = OpenProjekte()->OpenRecordset(
        "SELECT " + column + " FROM Projekt WHERE ProNr = '" + nr + "'");
    return rs->RecordCount() > 0 ? rs->Fields()[0].Value() : Variant::Null();
  }

 private:
  testing::TempDir dir_;
  testing::ScopedEnv home_env_;
  testing::ScopedEnv ini_env_;
  testing::FakeHost host_;
  dao::DBEngine engine_;
  std::ostringstream out_;
  std::ostringstream err_;
};

// ---- einrichten ----

TEST_F(TaluvekTest, EinrichtenMakesAnInstallationTheLibraryFinds) {
  Install();
  EXPECT_NE(out().find("export TARVANO_HOME='" + home() + "'"),
            std::string::npos);
  EXPECT_EQ(out().find("TARVANO_INI"), std::string::npos);
  for (const char* key : {"PROGRAMM", "PROJEKT", "SYSTEM", "STRUKTUREN",
                          "LIZENZ", "LBSKIZZE", "LV"}) {
    std::string directory = GetVerzeichnis(key, true, false);
    EXPECT_EQ(directory, std::string("T:\\") + key + "\\");
    EXPECT_EQ(CurrentHost().MapPath(directory), File(key) + "/") << key;
    EXPECT_TRUE(fs::is_directory(File(key))) << key;
  }
  for (const char* db :
       {"STRUKTUREN/PRJSTRUK.VX3DB", "STRUKTUREN/USERSTRUK.VX3DB",
        "STRUKTUREN/Language2.vx3db", "PROJEKT/PROJEKT.VX3DB",
        "LIZENZ/USER.VX3DB", "SYSTEM/Language2.vx3db"}) {
    // Each is a database of the suite, with the suite's password.
    Variant connect(kBareConnect);
    DbHandle handle = OpenDb(File(db), false, Variant(true), connect, false);
    EXPECT_NE(handle, nullptr) << db;
    CloseDb(handle);
  }
  EXPECT_EQ(Stored("4711", "ProBez"),
            Variant("Neubau Kindergarten Sonnenschein"));
  EXPECT_EQ(Stored("O''Neil", "ProOrt"), Variant("Hamburg"));
}

TEST_F(TaluvekTest, EinrichtenWithAProgramKeyWritesThatSettingsFile) {
  ASSERT_EQ(Run({"--ini", "Andere.INI", "einrichten", home()}), 0);
  EXPECT_TRUE(fs::exists(File("Andere.INI")));
  EXPECT_FALSE(fs::exists(File("Tarvano.INI")));
  EXPECT_NE(out().find("export TARVANO_INI='Andere.INI'"), std::string::npos);
  EXPECT_EQ(Run({"--ini", "daten/Andere.INI", "einrichten", home()}), 2);
}

TEST_F(TaluvekTest, EinrichtenNeverOverwritesWithoutErsetzen) {
  Install();
  std::string settings = ReadFile(File("Tarvano.INI"));
  EXPECT_EQ(Run({"einrichten", home()}), 1);
  EXPECT_NE(err().find("--ersetzen"), std::string::npos);
  EXPECT_EQ(ReadFile(File("Tarvano.INI")), settings);
  EXPECT_EQ(Stored("4711", "ProNr"), Variant("4711"));

  // One database alone is an installation too, in whatever case its name.
  fs::remove(File("Tarvano.INI"));
  fs::rename(File("LIZENZ/USER.VX3DB"), File("LIZENZ/user.vx3db"));
  for (const char* db :
       {"PROJEKT/PROJEKT.VX3DB", "STRUKTUREN/PRJSTRUK.VX3DB",
        "STRUKTUREN/USERSTRUK.VX3DB", "STRUKTUREN/Language2.vx3db",
        "SYSTEM/Language2.vx3db"}) {
    fs::remove(File(db));
  }
  EXPECT_EQ(Run({"einrichten", home()}), 1);
  EXPECT_FALSE(fs::exists(File("Tarvano.INI")));

  EXPECT_EQ(Run({"einrichten", home(), "--ersetzen"}), 0) << err();
  EXPECT_FALSE(fs::exists(File("LIZENZ/user.vx3db")));
  EXPECT_TRUE(fs::exists(File("LIZENZ/USER.VX3DB")));
  // Replaced without samples: the project table is empty.
  EXPECT_TRUE(Stored("4711", "ProNr").IsNull());
}

// Each database replaced is saved first, and the command says where; a
// second replacement on the same day keeps the first backup.
TEST_F(TaluvekTest, EinrichtenErsetzenKeepsWhatItReplaces) {
  Install();
  ASSERT_EQ(Run({"projekt", "setzen", "4711", "ProBez=Vorher"}), 0) << err();
  const std::string db = File("PROJEKT/PROJEKT.VX3DB");
  const std::string first = db + ".bak-" + Today();
  ASSERT_EQ(Run({"einrichten", home(), "--ersetzen"}), 0) << err();
  EXPECT_NE(out().find("Die ersetzten Datenbanken sind gesichert:\n"),
            std::string::npos)
      << out();
  EXPECT_NE(out().find("  " + db + "\n    -> " + first + "\n"),
            std::string::npos)
      << out();
  EXPECT_TRUE(fs::exists(File("LIZENZ/USER.VX3DB.bak-" + Today())));
  EXPECT_TRUE(Stored("4711", "ProBez").IsNull());
  auto backup_row = [&](const std::string& backup) {
    RsHandle rs = Open(backup)->OpenRecordset(
        "SELECT ProBez FROM Projekt WHERE ProNr = '4711'");
    return rs->RecordCount() > 0 ? rs->Fields()[0].Value() : Variant::Null();
  };
  EXPECT_EQ(backup_row(first), Variant("Vorher"));

  ASSERT_EQ(Run({"einrichten", home(), "--ersetzen"}), 0) << err();
  EXPECT_NE(out().find(first + "-2\n"), std::string::npos) << out();
  EXPECT_EQ(backup_row(first), Variant("Vorher"));
  EXPECT_TRUE(backup_row(first + "-2").IsNull());
  // Without --ersetzen nothing is replaced, so nothing is saved.
  EXPECT_EQ(Run({"einrichten", home()}), 1);
  EXPECT_FALSE(fs::exists(first + "-3"));
}

TEST_F(TaluvekTest, EinrichtenKeepsTheDrivesOfTheDriveTable) {
  WriteFile(File("Laufwerke.INI"), "[Laufwerke]\nT:=/anderswo\nX:=/x\n");
  EXPECT_EQ(Run({"einrichten", home()}), 1);
  EXPECT_NE(err().find("T: schon für /anderswo"), std::string::npos) << err();
  EXPECT_FALSE(fs::exists(File("Tarvano.INI")));

  EXPECT_EQ(Run({"einrichten", home(), "--ersetzen"}), 0) << err();
  EXPECT_EQ(ReadFile(File("Laufwerke.INI")),
            "[Laufwerke]\nT:=" + home() + "\nX:=/x\n");
  // Its own entry is no reason to refuse.
  fs::remove(File("Tarvano.INI"));
  std::vector<fs::path> databases;
  for (const auto& entry : fs::recursive_directory_iterator(home())) {
    std::string extension = entry.path().extension().string();
    if (extension == ".VX3DB" || extension == ".vx3db") {
      databases.push_back(entry.path());
    }
  }
  for (const fs::path& db : databases) fs::remove(db);
  EXPECT_EQ(Run({"einrichten", home()}), 0) << err();
}

TEST_F(TaluvekTest, EinrichtenLeavesADatabaseInUseAlone) {
  Install();
  DbHandle in_use = OpenProjekte();
  EXPECT_EQ(Run({"einrichten", home(), "--ersetzen"}), 1);
  EXPECT_NE(err().find("3045"), std::string::npos) << err();
  // Nothing was removed, not even what nobody had open.
  EXPECT_TRUE(fs::exists(File("Tarvano.INI")));
  EXPECT_TRUE(fs::exists(File("LIZENZ/USER.VX3DB")));
  EXPECT_EQ(Stored("4711", "ProNr"), Variant("4711"));
}

// A lock file replaced by a symbolic link leads nowhere: the replacement
// fails without truncating the link's target, and a read through a
// dangling link does not create its target.
TEST_F(TaluvekTest, EinrichtenNeverWritesThroughALinkedLockFile) {
  Install();
  const std::string lock = File("PROJEKT/PROJEKT.VXLDB");
  WriteFile(File("fremd.txt"), "fremde Daten");
  fs::create_symlink(File("fremd.txt"), lock);
  EXPECT_EQ(Run({"einrichten", home(), "--ersetzen"}), 1);
  EXPECT_NE(err().find("3051"), std::string::npos) << err();
  EXPECT_EQ(ReadFile(File("fremd.txt")), "fremde Daten");

  fs::remove(lock);
  fs::create_symlink(File("neu.txt"), lock);
  Run({"projekt", "zeigen", "4711"});
  EXPECT_FALSE(fs::exists(File("neu.txt")));
  fs::remove(lock);
  EXPECT_EQ(Run({"projekt", "zeigen", "4711"}), 0) << err();
}

TEST_F(TaluvekTest, EinrichtenUsageErrors) {
  EXPECT_EQ(Run({"einrichten"}), 2);
  EXPECT_EQ(Run({"einrichten", home(), "--beispile"}), 2);
  EXPECT_EQ(Run({"einrichten", home(), "--gruppe"}), 2);
  EXPECT_FALSE(fs::exists(File("Tarvano.INI")));
}

// ---- projekt ----

TEST_F(TaluvekTest, ZeigenShowsEveryColumn) {
  Install();
  ASSERT_EQ(Run({"projekt", "zeigen", "4711"}), 0) << err();
  EXPECT_NE(out().find("ProNr           = 4711\n"), std::string::npos) << out();
  EXPECT_NE(out().find("Baubeginn       = 2025-04-01 00:00:00\n"),
            std::string::npos);
  EXPECT_NE(out().find("Bemerkung       = Erster Bauabschnitt"),
            std::string::npos);

  ASSERT_EQ(Run({"projekt", "zeigen", "O'Neil", "--json"}), 0) << err();
  const std::string json = out();
  EXPECT_EQ(json.front(), '{');
  EXPECT_NE(json.find("\n  \"Id\": 2,\n"), std::string::npos) << json;
  EXPECT_NE(json.find("\"ProBez\": \"Umbau Büro O'Neil\""), std::string::npos);
  EXPECT_NE(json.find("\"IsRVProj\": false"), std::string::npos);
  EXPECT_NE(json.find("\"BudgetNetto\": 85000"), std::string::npos);
  EXPECT_NE(json.find("\"Baubeginn\": null"), std::string::npos);
  EXPECT_NE(json.find("\"Bemerkung\": null\n}\n"), std::string::npos);

  ASSERT_EQ(Run({"projekt", "zeigen", "--id=2", "--json"}), 0);
  EXPECT_EQ(out(), json);
}

TEST_F(TaluvekTest, ZeigenOfAMissingProjectFails) {
  Install();
  EXPECT_EQ(Run({"projekt", "zeigen", "0815"}), 1);
  EXPECT_EQ(out(), "");
  EXPECT_NE(err().find("lProjektErrNum = 3021\nsProjektErrText = No Current "
                       "Record\n"),
            std::string::npos);
  // Apostrophes are the project's, not the statement's.
  EXPECT_EQ(Run({"projekt", "zeigen", "x' OR '1'='1"}), 1);
}

TEST_F(TaluvekTest, SetzenChangesAndSaves) {
  Install();
  EXPECT_EQ(
      Run({"projekt", "setzen", "4711", "ProBez=Neubau \"Nord\"",
           "probez=Neubau Nord", "BudgetNetto=--zahl=1300000.5",
           "Baubeginn=2025-05-02", "Bemerkung=--null", "IsRVProj=--wahr"}),
      0)
      << err();
  EXPECT_EQ(out(), "Projekt 4711 (Id 1) gespeichert.\n");
  EXPECT_EQ(Stored("4711", "ProBez"), Variant("Neubau Nord"));
  EXPECT_EQ(Stored("4711", "BudgetNetto"), Variant(Currency{13000005000}));
  EXPECT_EQ(Stored("4711", "Baubeginn"), Variant(DateFromParts(2025, 5, 2)));
  EXPECT_EQ(Stored("4711", "IsRVProj"), Variant(true));
  ASSERT_EQ(Run({"projekt", "zeigen", "4711"}), 0);
  EXPECT_NE(out().find("Bemerkung       = \n"), std::string::npos) << out();

  EXPECT_EQ(Run({"projekt", "setzen", "--id", "2", "ProOrt=Bremen"}), 0);
  EXPECT_EQ(Stored("O''Neil", "ProOrt"), Variant("Bremen"));
}

TEST_F(TaluvekTest, SetzenReportsWhatWasNotSaved) {
  Install();
  // A column the project does not have: nothing is saved.
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "ProOrt=Köln", "Farbe=rot"}), 1);
  EXPECT_NE(err().find("lProjektErrNum = 3024"), std::string::npos) << err();
  EXPECT_EQ(Stored("4711", "ProOrt"), Variant("München"));

  // A text that is no number for a number column: nothing is saved.
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "ProOrt=Köln", "NNF=viel"}), 2);
  EXPECT_NE(err().find("NNF: 'viel' ist keine Zahl"), std::string::npos)
      << err();
  EXPECT_EQ(Stored("4711", "ProOrt"), Variant("München"));

  // Values that columns refuse: the rest is saved, the refusals are told.
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "ProOrt=Köln", "Id=99",
                 "Baubeginn=bald"}),
            1);
  EXPECT_EQ(Stored("4711", "ProOrt"), Variant("Köln"));
  EXPECT_NE(err().find("die Spalte Baubeginn hat den Wert bald nicht "
                       "angenommen"),
            std::string::npos)
      << err();
  EXPECT_NE(err().find("die Spalte Id hat den Wert 99 nicht angenommen "
                       "(gespeichert: 1)"),
            std::string::npos);
  EXPECT_EQ(err().find("ProOrt"), std::string::npos);
}

TEST_F(TaluvekTest, SetzenReadsNumbersOnlyWhereTheRegionIsClear) {
  Install();
  {
    testing::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok());
    // "." groups thousands here: 1300000.50 would be 130000050.
    for (const char* value : {"BudgetNetto=1300000.50", "NNF=1.300",
                              "NNF=1.300,5"}) {
      EXPECT_EQ(Run({"projekt", "setzen", "4711", value}), 2) << value;
      EXPECT_NE(err().find("keine eindeutige Zahl"), std::string::npos);
    }
    EXPECT_TRUE(Stored("4711", "NNF").IsNull());
    EXPECT_EQ(Stored("4711", "BudgetNetto"), Variant(Currency{12500000000}));
    EXPECT_EQ(Run({"projekt", "setzen", "4711", "BudgetNetto=1300000,50",
                   "NNF=12", "Baubeginn=5.3.2024"}),
              0)
        << err();
    EXPECT_NE(out().find("BudgetNetto: '1300000,50' gelesen als 1300000.5\n"),
              std::string::npos)
        << out();
    EXPECT_NE(out().find("Baubeginn: '5.3.2024' gelesen als 2024-03-05 "
                         "00:00:00\n"),
              std::string::npos)
        << out();
    EXPECT_EQ(Stored("4711", "BudgetNetto"), Variant(Currency{13000005000}));
    EXPECT_EQ(Stored("4711", "Baubeginn"), Variant(DateFromParts(2024, 3, 5)));
  }
  testing::ScopedLocale plain("C");
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "NNF=1300000,50"}), 2);
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "NNF=12.5"}), 0) << err();
  EXPECT_EQ(Stored("4711", "NNF"), Variant(12.5));

  // Yes/no columns take the suite's words.
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "IsRVProj=Wahr"}), 0);
  EXPECT_EQ(Stored("4711", "IsRVProj"), Variant(true));
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "IsRVProj=nein"}), 0);
  EXPECT_EQ(Stored("4711", "IsRVProj"), Variant(false));
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "IsRVProj=ja"}), 0);
  EXPECT_EQ(Stored("4711", "IsRVProj"), Variant(true));
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "IsRVProj=vielleicht"}), 2);
  EXPECT_EQ(Stored("4711", "IsRVProj"), Variant(true));
}

TEST_F(TaluvekTest, SetzenRefusesLockedProjectsPositionsAndEmptyNumbers) {
  Install();
  ASSERT_EQ(Run({"projekt", "sperren", "4711"}), 0);
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "ProOrt=Köln"}), 1);
  EXPECT_NE(err().find("--trotz-sperre"), std::string::npos) << err();
  EXPECT_EQ(Stored("4711", "ProOrt"), Variant("München"));
  EXPECT_EQ(Run({"projekt", "setzen", "4711", "--trotz-sperre", "ProOrt=Köln"}),
            0)
      << err();
  EXPECT_EQ(Stored("4711", "ProOrt"), Variant("Köln"));
  EXPECT_EQ(Stored("4711", "SatzLockKZ"), Variant(true));

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {"1=x"}, {" 2 =x"}, {"ProNr="}, {"pronr=  "}, {"ProNr=--null"},
           {"ProNr=--leer"}}) {
    std::vector<std::string> call{"projekt", "setzen", "4711",
                                  "--trotz-sperre"};
    call.insert(call.end(), args.begin(), args.end());
    EXPECT_EQ(Run(call), 2) << args[0];
  }
  EXPECT_EQ(Run({"projekt", "setzen", " ", "ProBez=x"}), 2);
  EXPECT_EQ(Run({"projekt", "zeigen", ""}), 2);
  EXPECT_EQ(Stored("4711", "ProBez"),
            Variant("Neubau Kindergarten Sonnenschein"));
}

TEST_F(TaluvekTest, ProjectWithoutANumberIsReachedByItsId) {
  Install();
  OpenProjekte()->Execute("UPDATE Projekt SET ProNr = '' WHERE Id = 2");
  ASSERT_EQ(Run({"projekt", "zeigen", "--id", "2"}), 0) << err();
  EXPECT_NE(out().find("ProOrt"), std::string::npos);
  ASSERT_EQ(Run({"projekt", "sperren", "--id", "2"}), 0) << err();
  ASSERT_EQ(Run({"projekt", "setzen", "--id", "2", "--trotz-sperre",
                 "ProNr=4712"}),
            0)
      << err();
  EXPECT_EQ(out(), "Projekt 4712 (Id 2) gespeichert.\n");
  OpenProjekte()->Execute("UPDATE Projekt SET ProNr = '' WHERE Id = 2");
  ASSERT_EQ(Run({"projekt", "entsperren", "--id", "2"}), 0) << err();
  EXPECT_EQ(out(), "Projekt ohne Nummer (Id 2) entsperrt.\n");
  EXPECT_EQ(Stored("", "SatzLockKZ"), Variant(false));
}

TEST_F(TaluvekTest, LockingFromTheShell) {
  Install();
  EXPECT_EQ(Run({"projekt", "sperren", "O'Neil"}), 0) << err();
  EXPECT_EQ(out(), "Projekt O'Neil gesperrt.\n");
  EXPECT_EQ(Stored("O''Neil", "SatzLockKZ"), Variant(true));
  EXPECT_EQ(Run({"projekt", "sperren", "O'Neil"}), 1);
  EXPECT_EQ(err(),
            "taluvek projekt sperren: bProjektLock hat False ergeben\n"
            "lProjektErrNum = -20\n"
            "sProjektErrText = Projekt schon gesperrt!\n");
  EXPECT_EQ(Run({"projekt", "entsperren", "O'Neil"}), 0) << err();
  EXPECT_EQ(Stored("O''Neil", "SatzLockKZ"), Variant(false));
  EXPECT_EQ(Run({"projekt", "sperren", "--id", "1"}), 0);
  EXPECT_EQ(Run({"projekt", "sperren", "O'Neil"}), 0);
  EXPECT_EQ(Run({"projekt", "alle-entsperren"}), 0);
  EXPECT_EQ(Stored("4711", "SatzLockKZ"), Variant(false));
  EXPECT_EQ(Stored("O''Neil", "SatzLockKZ"), Variant(false));

  // A project that does not exist is neither locked nor unlocked.
  EXPECT_EQ(Run({"projekt", "sperren", "0815"}), 1);
  EXPECT_NE(err().find("= 3021"), std::string::npos);
}

TEST_F(TaluvekTest, ProjektUsageErrors) {
  Install();
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {"projekt"},
           {"projekt", "lesen", "4711"},
           {"projekt", "zeigen"},
           {"projekt", "zeigen", "--id"},
           {"projekt", "zeigen", "--id", "7x"},
           {"projekt", "sperren", "4711", "--json"},
           {"projekt", "alle-entsperren", "4711"},
           {"projekt", "setzen", "4711"},
           {"projekt", "setzen", "4711", "ProBez"},
           {"projekt", "setzen", "4711", "ProBez=--fehlt"},
       }) {
    EXPECT_EQ(Run(args), 2) << args.back();
    EXPECT_EQ(err().rfind("taluvek projekt", 0), 0u) << err();
    EXPECT_EQ(LineCount(err()), 1u) << err();
  }
  EXPECT_EQ(Stored("4711", "ProBez"),
            Variant("Neubau Kindergarten Sonnenschein"));
}

// ---- aufruf ----

TEST_F(TaluvekTest, AufrufShowsResultAndArgumentsAfterTheCall) {
  Install();
  ASSERT_EQ(Run({"aufruf", "bprojektread", "0", "4711"}), 0) << err();
  EXPECT_EQ(out(),
            "bprojektread = True\n"
            "  Argument 1 = 1\n"
            "  Argument 2 = 4711\n");
  ASSERT_EQ(Run({"aufruf", "--json", "bProjektRead", "--id=x", "O'Neil"}), 2);
  ASSERT_EQ(Run({"aufruf", "--json", "bProjektRead", "--zahl=2", ""}), 0);
  EXPECT_EQ(out(),
            "{\"mitglied\": \"bProjektRead\", \"ergebnis\": true, "
            "\"argumente\": [2, \"O'Neil\"]}\n");
  // A boolean column is no answer of an operation.
  ASSERT_EQ(Run({"aufruf", "vProjektDatenRead", "IsRVProj"}), 0);
  ASSERT_EQ(Run({"aufruf", "sProjektNr=4711"}), 0);
  EXPECT_EQ(out(), "");
  ASSERT_EQ(Run({"aufruf", "--let", "sProjektNr", "4711"}), 0);
}

TEST_F(TaluvekTest, AufrufReportsFalseAndWrongCalls) {
  Install();
  EXPECT_EQ(Run({"aufruf", "bProjektRead", "0", "0815"}), 1);
  EXPECT_NE(out().find("bProjektRead = False"), std::string::npos);
  EXPECT_EQ(err(),
            "taluvek aufruf: bProjektRead hat False ergeben\n"
            "lProjektErrNum = 3021\n"
            "sProjektErrText = No Current Record\n");

  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{"aufruf", "bProjektLesen"}, "Fehler 438: Object doesn't support"},
      {{"aufruf", "lProjektId=5"}, "Fehler 438"},
      {{"aufruf", "bProjektRead", "0"}, "Fehler 450: Wrong number"},
      {{"aufruf", "bProjektRead", "--fehlt", "4711"},
       "Fehler 449: Argument not optional"},
      {{"aufruf", "bProjektRead", "vier", "4711"}, "Fehler 13: Type mismatch"},
      {{"aufruf", "bProjektRead", "3000000000", "4711"}, "Fehler 6: Overflow"},
      {{"aufruf"}, "MITGLIED fehlt"},
      {{"aufruf", "sProjektNr=1", "2"}, "nach sProjektNr=1"},
      {{"aufruf", "--jsn", "lProjektId"}, "unbekannte Option"},
      {{"aufruf", "bProjektRead", "0", "--nul"}, "'--nul' ist kein Argument"},
      {{"aufruf", "--skript"}, "--skript ohne Wert"},
  };
  for (const auto& [args, message] : wrong) {
    EXPECT_EQ(Run(args), 2) << message;
    EXPECT_NE(err().find(message), std::string::npos) << err();
  }
  EXPECT_EQ(Run({"aufruf", "--skript", File("fehlt.txt")}), 1);
}

TEST_F(TaluvekTest, AufrufScriptReadsChangesAndSavesInOneObject) {
  Install();
  WriteFile(File("aendern.txt"),
            "# 4711 lesen, ändern, speichern\n"
            "bProjektRead 0 4711\r\n"
            "\n"
            "bProjektDatenWrite \"Neubau \\\"Süd\\\"\" 'ProBez'  # umbenennen\n"
            "bProjektDatenWrite --zahl=19.5 ProMwSt\n"
            "bProjWrite 0 4711\n"
            "lProjektErrNum\n");
  ASSERT_EQ(Run({"aufruf", "--json", "--skript", File("aendern.txt")}), 0)
      << err();
  EXPECT_EQ(Stored("4711", "ProBez"), Variant("Neubau \"Süd\""));
  EXPECT_EQ(Stored("4711", "ProMwSt"), Variant(19.5));
  EXPECT_EQ(out(),
            "{\"mitglied\": \"bProjektRead\", \"ergebnis\": true, "
            "\"argumente\": [1, \"4711\"]}\n"
            "{\"mitglied\": \"bProjektDatenWrite\", \"ergebnis\": true, "
            "\"argumente\": [\"Neubau \\\"Süd\\\"\", \"ProBez\"]}\n"
            "{\"mitglied\": \"bProjektDatenWrite\", \"ergebnis\": true, "
            "\"argumente\": [19.5, \"ProMwSt\"]}\n"
            "{\"mitglied\": \"bProjWrite\", \"ergebnis\": true, "
            "\"argumente\": [1, \"4711\"]}\n"
            "{\"mitglied\": \"lProjektErrNum\", \"ergebnis\": 0, "
            "\"argumente\": []}\n");
}

TEST_F(TaluvekTest, AufrufScriptIsCheckedFirstAndStopsAtTheFirstFalse) {
  Install();
  WriteFile(File("falsch.txt"),
            "bProjektLock 0 4711\n"
            "bProjektLock 0 \"O'Neil\n");  // the quote is not closed
  EXPECT_EQ(Run({"aufruf", "--skript", File("falsch.txt")}), 2);
  EXPECT_NE(err().find("(Zeile 2): Anführungszeichen nicht geschlossen"),
            std::string::npos)
      << err();
  EXPECT_EQ(Stored("4711", "SatzLockKZ"), Variant(false));

  WriteFile(File("stopp.txt"),
            "bProjektLock 0 4711\n"
            "bProjektLock 0 4711\n"
            "bProjektUnLockAll\n");
  EXPECT_EQ(Run({"aufruf", "--skript", File("stopp.txt")}), 1);
  EXPECT_NE(err().find("taluvek aufruf (Zeile 2): bProjektLock hat False"),
            std::string::npos)
      << err();
  EXPECT_EQ(Stored("4711", "SatzLockKZ"), Variant(true));

  // A wrong call further down: nothing above it runs (4711 stays locked).
  WriteFile(File("unbekannt.txt"), "bProjektUnLockAll\nbProjektLesen\n");
  EXPECT_EQ(Run({"aufruf", "--skript=" + File("unbekannt.txt")}), 2);
  EXPECT_NE(err().find("(Zeile 2): bProjektLesen: Fehler 438"),
            std::string::npos);
  EXPECT_EQ(Stored("4711", "SatzLockKZ"), Variant(true));
  EXPECT_EQ(Run({"aufruf", "--skript", File("unbekannt.txt"), "lProjektId"}),
            2);
  for (const auto& [line, number] : std::vector<std::pair<std::string, int>>{
           {"bProjektLock 0", 450},        // an argument too few
           {"sProjektNr 1", 450},          // a property get takes none
           {"bProjektLock x 4711", 13},    // no Id
           {"lProjektId=7", 438}}) {       // a property without let
    WriteFile(File("falsch.txt"), "bProjektUnLockAll\n" + line + "\n");
    EXPECT_EQ(Run({"aufruf", "--skript", File("falsch.txt")}), 2) << line;
    EXPECT_NE(err().find("(Zeile 2): "), std::string::npos) << err();
    EXPECT_NE(err().find("Fehler " + std::to_string(number)),
              std::string::npos)
        << err();
    EXPECT_EQ(Stored("4711", "SatzLockKZ"), Variant(true)) << line;
  }

  // A folder is no script.
  EXPECT_EQ(Run({"aufruf", "--skript", home()}), 1);
  EXPECT_NE(err().find("kann " + home() + " nicht lesen"), std::string::npos);
}

// ---- the command as a whole ----

TEST_F(TaluvekTest, ProgramKeyFromOptionOrEnvironment) {
  ASSERT_EQ(Run({"--ini=Andere.INI", "einrichten", home(), "--beispiel"}), 0);
  // Without the key the settings file Tarvano.INI is missing.
  EXPECT_EQ(Run({"projekt", "zeigen", "4711"}), 1);
  EXPECT_EQ(Run({"--ini", "Andere.INI", "projekt", "zeigen", "4711"}), 0);
  {
    testing::ScopedEnv key("TARVANO_INI", "Andere.INI");
    EXPECT_EQ(Run({"projekt", "zeigen", "4711"}), 0) << err();
    EXPECT_EQ(Run({"aufruf", "sProgKey"}), 0);
    EXPECT_EQ(out(), "sProgKey = Andere.INI\n");
    EXPECT_EQ(Run({"--ini", "Tarvano.INI", "projekt", "zeigen", "4711"}), 1);
  }
}

// The program key names a file in the settings home: a path is refused
// before anything is read or written.
TEST_F(TaluvekTest, ProgramKeyThatIsAPathIsRefused) {
  Install();
  testing::TempDir elsewhere;
  const std::string victim = elsewhere.File("victim.ini");
  WriteFile(victim, "root:x:0:0\n");
  const std::string relative =
      fs::relative(victim, fs::current_path()).string();
  for (const std::string& key : {victim, relative, std::string("a/b.ini"),
                                 std::string("..")}) {
    EXPECT_EQ(Run({"--ini", key, "projekt", "zeigen", "4711"}), 2) << key;
    EXPECT_NE(err().find("--ini nennt eine Datei im Einstellungsordner, keinen "
                         "Pfad: '" + key + "'"),
              std::string::npos)
        << err();
    EXPECT_EQ(Run({"--ini=" + key, "projekt", "setzen", "4711", "ProOrt=x"}),
              2);
    testing::ScopedEnv from_environment("TARVANO_INI", key);
    EXPECT_EQ(Run({"projekt", "zeigen", "4711"}), 2) << key;
    EXPECT_NE(err().find("TARVANO_INI nennt"), std::string::npos) << err();
  }
  EXPECT_EQ(ReadFile(victim), "root:x:0:0\n");
}

// Commands that only read create no settings file and no folder; a missing
// settings home is named, with the way to make one.
TEST_F(TaluvekTest, WithoutAnInstallationNothingIsCreated) {
  EXPECT_EQ(Run({"projekt", "zeigen", "4711"}), 1);
  EXPECT_EQ(Run({"aufruf", "bProjektRead", "0", "4711"}), 1);
  EXPECT_TRUE(fs::is_empty(home())) << "the settings home got files";

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {"projekt", "zeigen", "4711"},
           {"aufruf", "lProjektId"},
           {"sprache", "export", "-", "--sprache", "2"}}) {
    const std::string& command = args[0];
    testing::ScopedEnv missing("TARVANO_HOME", File("vertippt"));
    EXPECT_EQ(Run(args), 1) << command;
    EXPECT_EQ(err(), "taluvek: der Einstellungsordner " + File("vertippt") +
                         " fehlt (TARVANO_HOME); \"taluvek einrichten "
                         "ORDNER\" richtet eine Installation ein\n");
    EXPECT_EQ(Run({command, "--help"}), 0) << command;
  }
  {
    testing::ScopedEnv unset("TARVANO_HOME", std::nullopt);
    testing::ScopedEnv config("XDG_CONFIG_HOME", File("xdg"));
    EXPECT_EQ(Run({"projekt", "zeigen", "4711"}), 1);
    EXPECT_NE(err().find(File("xdg") + "/tarvano fehlt"), std::string::npos)
        << err();
  }
  EXPECT_TRUE(fs::is_empty(home()));
}

// Every command of the parser, as the words that call it.
void CollectCommands(const CLI::App& command, std::vector<std::string> words,
                     std::vector<std::vector<std::string>>* all) {
  all->push_back(words);
  for (const CLI::App* sub : CommandsOf(command)) {
    std::vector<std::string> longer = words;
    longer.push_back(sub->get_name());
    CollectCommands(*sub, longer, all);
  }
}

TEST_F(TaluvekTest, HelpOnEveryCommand) {
  GlobalOptions options;
  std::vector<std::vector<std::string>> calls;
  CollectCommands(MakeTaluvekCommandLine(options)->root(), {}, &calls);
  EXPECT_GT(calls.size(), 30u);
  // Help comes first, whatever else is given or missing.
  calls.push_back({"projekt", "setzen", "4711", "-h"});
  calls.push_back({"aufruf", "bProjektRead", "--help"});
  calls.push_back({"einrichten", "--gruppe", "x", "--help"});
  for (std::vector<std::string>& args : calls) {
    if (args.empty() || args.back() != "-h") args.push_back("--help");
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    EXPECT_EQ(Run(args), 0) << shown;
    EXPECT_EQ(out().rfind("Aufruf: taluvek ", 0), 0u) << shown;
    EXPECT_EQ(err(), "") << shown;
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out().find("  --version      die Version\n"), std::string::npos);
}

// A usage error is one line: what is wrong, the nearest known word when
// one was mistyped, and where the help is; never the help itself.
TEST_F(TaluvekTest, UsageErrorsOfTheCommand) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{}, "taluvek: BEFEHL fehlt (einrichten, projekt, aufruf, sprache, "},
      {{"demo"}, "taluvek: unbekannter Befehl 'demo' (Hilfe: taluvek --help)"},
      {{"projket", "zeigen", "4711"},
       "taluvek: unbekannter Befehl 'projket', meinten Sie 'projekt'? "
       "(Hilfe: taluvek --help)"},
      {{"projekt", "zeign", "4711"},
       "taluvek projekt: unbekannter Befehl 'zeign', meinten Sie 'zeigen'? "
       "(Hilfe: taluvek projekt --help)"},
      {{"projekt"}, "taluvek projekt: BEFEHL fehlt (zeigen, setzen, "},
      {{"verwaltung", "ann"}, "meinten Sie 'an'?"},
      {{"einrichten", "x", "--beispile"},
       "taluvek einrichten: unbekannte Option '--beispile', meinten Sie "
       "'--beispiel'? (Hilfe: taluvek einrichten --help)"},
      {{"projekt", "zeigen", "4711", "--jsn=1"},
       "unbekannte Option '--jsn', meinten Sie '--json'?"},
      {{"--inii=x", "projekt"}, "meinten Sie '--ini'?"},
      {{"aufruf", "--jsn", "lProjektId"}, "meinten Sie '--json'?"},
      {{"--verbose", "projekt"}, "taluvek: unbekannte Option '--verbose' ("},
      {{"einrichten"}, "taluvek einrichten: ORDNER fehlt (Hilfe: "},
      {{"--ini"}, "taluvek: --ini ohne Wert (Hilfe: taluvek --help)"},
      {{"projekt", "zeigen", "--id"}, "taluvek projekt zeigen: --id ohne Wert"},
      {{"projekt", "zeigen", "4711", "4712"}, "überzähliges Argument '4712'"},
      {{"projekt", "zeigen", "--id", "1", "--id", "2"}, "--id mehr als einmal"},
      {{"projekt", "liste", "--json=nein"}, "falscher Wert für --json ("},
      {{"projekt", "zeigen", "--", "4711", "--json"},
       "überzähliges Argument '--json'"},
      {{"sprache"}, "taluvek sprache: BEFEHL fehlt (export, import)"},
  };
  for (const auto& [args, message] : wrong) {
    EXPECT_EQ(Run(args), 2) << message;
    EXPECT_NE(err().find(message), std::string::npos) << err();
    EXPECT_EQ(LineCount(err()), 1u) << err();
    EXPECT_EQ(out(), "");
  }
  EXPECT_FALSE(fs::exists(File("Tarvano.INI")));
}

TEST_F(TaluvekTest, VersionIsTheLibrarys) {
  ASSERT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out(), "taluvek (vx_taluvek) " VX_TALUVEK_VERSION "\n");
  EXPECT_EQ(err(), "");
}

}  // namespace
}  // namespace vx::cli
