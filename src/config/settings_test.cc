// Settings-file entries, directory keys, the network decision and
// developer mode, on a temporary installation.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "config/developer_mode.h"
#include "config/directories.h"
#include "config/settings_file.h"
#include "platform/module_state.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::FakeHost;
using testing::Installation;
using testing::ReadFile;
using testing::RunInFreshThread;
using testing::ScopedLocale;
using testing::WriteFile;

class SettingsTest : public ::testing::Test {
 protected:
  Installation inst;
  FakeHost host;
};

TEST_F(SettingsTest, EntryReadsTextsAndNumbers) {
  inst.WriteSettings(
      "[SYS]\nName = Tarvano \nZahl=12abc\nWort=abc\nBruch=1.5\nLeer=\n");
  EXPECT_EQ(Tarvano_Eintrag("sys", "NAME", "x"), Variant("Tarvano"));
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Zahl", 0), Variant(12.0));
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Wort", 0), Variant(0.0));
  {
    ScopedLocale german("de_DE.UTF-8");
    EXPECT_EQ(Tarvano_Eintrag("SYS", "Bruch", 0), Variant(1.5));
  }
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Bruch", 0), Variant(1.5));
}

TEST_F(SettingsTest, MissingOrEmptyEntryGivesTheDefaultAndWritesIt) {
  inst.WriteSettings("; Kommentar\n[SYS]\nLeer=\n");
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Leer", "vorgabe"), Variant("vorgabe"));
  EXPECT_EQ(Tarvano_Eintrag("Neu", "Zahl", 2.5), Variant(2.5));
  // An empty default is not written, and gives the empty text.
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Fehlt", ""), Variant(""));

  std::string file = ReadFile(inst.SettingsFile());
  EXPECT_NE(file.find("; Kommentar"), std::string::npos);
  EXPECT_NE(file.find("Leer=vorgabe"), std::string::npos);
  EXPECT_NE(file.find("[Neu]"), std::string::npos);
  EXPECT_NE(file.find("Zahl=2.5"), std::string::npos);
  EXPECT_EQ(file.find("Fehlt"), std::string::npos);
  // What was written reads back.
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Leer", "anders"), Variant("vorgabe"));
}

TEST_F(SettingsTest, EntryValuesAreCutAt1999Characters) {
  inst.WriteSettings("[S]\nK=" + std::string(2500, 'x') + "\n");
  EXPECT_EQ(CStr(Tarvano_Eintrag("S", "K", "")).size(), 1999u);
}

TEST_F(SettingsTest, WritingUsesTheNeutralNumberForm) {
  ScopedLocale german("de_DE.UTF-8");
  EXPECT_NE(Tarvano_EintragSchreiben("S", "Zahl", 1.25), 0);
  EXPECT_NE(Tarvano_EintragSchreiben("S", "Wahr", true), 0);
  EXPECT_NE(Tarvano_EintragSchreiben("S", "Text", " roh "), 0);
  std::string file = ReadFile(inst.SettingsFile());
  EXPECT_NE(file.find("Zahl=1.25"), std::string::npos);
  EXPECT_NE(file.find("Wahr=True"), std::string::npos);
  EXPECT_THROW(Tarvano_EintragSchreiben("S", "Null", Variant::Null()), Error);
}

TEST_F(SettingsTest, ProgramKeyNamesTheSettingsFile) {
  WriteFile(inst.File("Andere.INI"), "[S]\nK=andere\n");
  inst.WriteSettings("[S]\nK=tarvano\n");
  State().sProgKey = "Andere.INI";
  EXPECT_EQ(Tarvano_Eintrag("S", "K", "x"), Variant("andere"));
  State().sProgKey = "";
  EXPECT_EQ(SettingsFileName(), "Tarvano.INI");
  EXPECT_EQ(Tarvano_Eintrag("S", "K", "x"), Variant("tarvano"));
}

TEST_F(SettingsTest, ReadingCreatesNoSettingsFileAndNoHome) {
  // Another program key's file is missing: its defaults are not written.
  State().sProgKey = "Fehlt.INI";
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Zugriff_Slow", "1"), Variant("1"));
  EXPECT_FALSE(std::filesystem::exists(inst.File("Fehlt.INI")));
  // Writing on purpose makes the file.
  EXPECT_NE(Tarvano_EintragSchreiben("SYS", "Zugriff_Slow", "1"), 0);
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Zugriff_Slow", "2"), Variant("1"));

  // A settings home that does not exist is never made.
  testing::ScopedEnv missing("TARVANO_HOME", inst.File("fehlt/home"));
  EXPECT_EQ(Tarvano_Eintrag("SYS", "Zugriff_Slow", "1"), Variant("1"));
  EXPECT_EQ(Tarvano_EintragSchreiben("SYS", "Zugriff_Slow", "1"), 0);
  EXPECT_FALSE(std::filesystem::exists(inst.File("fehlt")));
  EXPECT_TRUE(host.message_boxes.empty());
}

// The program key names a file in the settings home, never a path: no
// setting is read from or written to any other file.
TEST_F(SettingsTest, ProgramKeyThatIsNoFileNameIsRefused) {
  for (const char* name : {"Tarvano.INI", "andere ini", "Ä.INI"}) {
    EXPECT_TRUE(IsSettingsFileName(name)) << name;
  }
  for (const char* name : {"", "..", "../../etc/passwd", "a/b.ini", "x\\y.ini",
                           "C:x.ini", "/etc/passwd", "a..ini", "a\nb"}) {
    EXPECT_FALSE(IsSettingsFileName(name)) << name;
  }
  testing::TempDir elsewhere;
  const std::string victim = elsewhere.File("victim.ini");
  WriteFile(victim, "[Datei Verzeichnisse]\nPROJEKT=C:\\Fremd\n");
  for (const std::string& key : {victim, "../" + elsewhere.File("victim.ini")}) {
    State().sProgKey = key;
    host.message_boxes.clear();
    EXPECT_EQ(testing::RaisedNumber(
                  [] { Tarvano_EintragSchreiben("SYS", "Netz", "ja"); }),
              52);
    EXPECT_EQ(GetVerzeichnis("PROJEKT", false, false), "");
    ASSERT_EQ(host.message_boxes.size(), 1u);
    EXPECT_NE(host.message_boxes[0].prompt.find("Datei '" + key + "'"),
              std::string::npos);
    EXPECT_TRUE(Tarvano_Eintrag("SYS", "Zugriff_Slow", "1").IsEmpty());
    EXPECT_EQ(ReadFile(victim), "[Datei Verzeichnisse]\nPROJEKT=C:\\Fremd\n");
  }
}

TEST_F(SettingsTest, DirectoriesGetATrailingBackslash) {
  inst.WriteSettings(
      "[Datei Verzeichnisse]\nPROJEKT=C:\\Daten\nLW=C:\nNETZ=\\\\server\\share\\\n"
      "PROGRAMM=C:\\Programm\\\n");
  EXPECT_EQ(GetVerzeichnis("Projekt", false, false), "C:\\Daten\\");
  EXPECT_EQ(GetVerzeichnis(" projekt ", false, true), "C:\\Daten\\DotNet\\");
  EXPECT_EQ(GetVerzeichnis("LW", false, false), "C:");
  EXPECT_EQ(GetVerzeichnis("NETZ", false, false), "\\\\server\\share\\");
  EXPECT_EQ(GetVerzeichnis("PROGRAMM", false, false), "C:\\Programm\\");
  EXPECT_TRUE(host.message_boxes.empty());
}

TEST_F(SettingsTest, MissingDirectoryShowsTheInstallationError) {
  EXPECT_EQ(GetVerzeichnis("STRUKTUREN", true, false), "");
  EXPECT_TRUE(host.message_boxes.empty());
  EXPECT_EQ(GetVerzeichnis("STRUKTUREN", false, false), "");
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].title, "INSTALLATIONS-FEHLER");
  EXPECT_EQ(host.message_boxes[0].style, 4112);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Eintrag 'STRUKTUREN'=.. oder Gruppe [Datei Verzeichnisse] oder "
            "Datei 'Tarvano.INI' Nicht gefunden !");
}

TEST_F(SettingsTest, NetworkDecision) {
  // A local project directory: local installation.
  inst.WriteSettings(
      "[Datei Verzeichnisse]\nPROJEKT=C:\\Daten\nPROGRAMM=\\\\srv\\p\\\n"
      "LV=T:\\LV\nUNC=\\\\srv\\daten\n");
  host.drive_types["C:"] = kDriveFixed;
  host.drive_types["T:"] = kDriveRemote;
  GetVerzeichnis("PROJEKT", false, false);
  EXPECT_EQ(State().network_state, 2);
  EXPECT_FALSE(State().bNetzInstallation);
  // "PROGRAMM" never changes the decision, even on a network path.
  GetVerzeichnis("PROGRAMM", false, false);
  EXPECT_FALSE(State().bNetzInstallation);
  // A mapped network drive makes it a network installation, for good.
  GetVerzeichnis("LV", false, false);
  EXPECT_TRUE(State().bNetzInstallation);
  GetVerzeichnis("PROJEKT", false, false);
  EXPECT_TRUE(State().bNetzInstallation);

  State() = ModuleState{};
  GetVerzeichnis("UNC", false, false);  // undecided: any key decides
  EXPECT_TRUE(State().bNetzInstallation);
}

TEST_F(SettingsTest, NetzEntryMakesANetworkInstallation) {
  inst.WriteSettings("[Datei Verzeichnisse]\nPROJEKT=C:\\Daten\n[SYS]\nNetz=1\n");
  host.drive_types["C:"] = kDriveFixed;
  GetVerzeichnis("PROJEKT", false, false);
  EXPECT_TRUE(State().bNetzInstallation);
}

TEST_F(SettingsTest, DatabaseServerMakesANetworkInstallation) {
  inst.WriteSettings("[Datei Verzeichnisse]\nPROJEKT=C:\\Daten\n[Server]\nDatenbankArt=2\n");
  host.drive_types["C:"] = kDriveFixed;
  RunInFreshThread([] {
    GetVerzeichnis("PROJEKT", false, false);
    EXPECT_TRUE(State().bNetzInstallation);
  });
}

TEST_F(SettingsTest, HostPathDirectoryIsAskedForItsOwnDriveType) {
  inst.WriteSettings("[Datei Verzeichnisse]\nPROJEKT=/srv/daten\n");
  host.drive_types["/srv/daten\\"] = kDriveRemote;
  EXPECT_EQ(GetVerzeichnis("PROJEKT", false, false), "/srv/daten\\");
  EXPECT_TRUE(State().bNetzInstallation);
}

TEST_F(SettingsTest, UserDirectoryPrefersAnExistingAlternative) {
  std::string alt = inst.File("lizenz_a");
  inst.WriteSettings("[Datei Verzeichnisse]\nLIZENZ=C:\\Lizenz\nLIZENZ_A=" + alt + "\n");
  // The alternative does not exist yet: LIZENZ, after seven probes.
  EXPECT_EQ(GetUserVerzeichnis(false), "C:\\Lizenz\\");
  EXPECT_EQ(host.sleeps.size(), 7u);
  ASSERT_EQ(mkdir(alt.c_str(), 0755), 0);
  EXPECT_EQ(GetUserVerzeichnis(false), "C:\\Lizenz\\");  // cached
  EXPECT_EQ(GetUserVerzeichnis(true), alt + "\\");
}

TEST_F(SettingsTest, WindowsDirectoryIsTheSettingsHome) {
  std::string expected = inst.home();
  for (char& c : expected) {
    if (c == '/') c = '\\';
  }
  EXPECT_EQ(GetWindowsVerzeichnis(), expected + "\\");
  EXPECT_EQ(DotNetSubDir(), "DotNet\\");
}

TEST_F(SettingsTest, DeveloperModeFollowsTheMarkerPerThread) {
  RunInFreshThread([] { EXPECT_FALSE(bIstEntwicklung()); });
  WriteFile(inst.File("Tarvano32.lic"), "");
  RunInFreshThread([&] {
    Err().Set(53);
    EXPECT_TRUE(bIstEntwicklung());
    EXPECT_FALSE(Err().IsSet());  // asking clears the pending error
    std::remove(inst.File("Tarvano32.lic").c_str());
    EXPECT_TRUE(bIstEntwicklung());  // decided once per thread
  });
}

}  // namespace
}  // namespace vx
