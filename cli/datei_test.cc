// `taluvek datei`: its flows on host paths and on the suite's paths, its
// usage errors, and the line of its progress bar.

#include "cli/datei.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/outcome.h"
#include "cli/taluvek.h"
#include "support/fake_host.h"
#include "support/installation.h"

namespace vx::cli {
namespace {

using testing::ReadFile;
using testing::WriteFile;

class DateiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst.WriteSettings("[Server]\nDatenbankArt=1\n");
    WriteFile(inst.File("Laufwerke.INI"),
              "[Laufwerke]\nT:=" + inst.home() + "\n");
    std::filesystem::create_directories(inst.File("P"));
  }

  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    std::vector<std::string> line{"datei"};
    line.insert(line.end(), args.begin(), args.end());
    return RunTaluvek(line, out, err);
  }

  testing::Installation inst;
  testing::FakeHost host;
  std::ostringstream out, err;
};

TEST_F(DateiTest, UsageErrorsExitWith2) {
  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{
           {},
           {"verschieben", "a", "b"},
           {"kopieren", "a"},
           {"kopieren", "a", "b", "--papierkorb"},
           {"loeschen"},
           {"loeschen", "a", "--json"},
           {"info", "a", "b"},
           {"info", "a", "--unbekannt"}}) {
    EXPECT_EQ(Run(wrong), kExitUsage) << wrong.size();
    EXPECT_EQ(err.str().rfind("taluvek datei", 0), 0u) << err.str();
    const std::string shown = err.str();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown;
  }
  EXPECT_EQ(Run({"--help"}), kExitDone);
}

TEST_F(DateiTest, CopyDeleteAndInfo) {
  WriteFile(inst.File("4711__01.VX3LV"), "LV-Daten");
  // A host path to a folder in the suite's form.
  EXPECT_EQ(Run({"kopieren", inst.File("4711__01.VX3LV"), "T:\\P"}), kExitDone)
      << err.str();
  EXPECT_EQ(ReadFile(inst.File("P/4711__01.VX3LV")), "LV-Daten");
  // An existing file is replaced, not taken for a folder.
  EXPECT_EQ(Run({"kopieren", inst.File("4711__01.VX3LV"), "T:\\P\\4711__01.VX3LV"}),
            kExitDone)
      << err.str();
  EXPECT_EQ(Run({"kopieren", "T:\\fehlt.VX3LV", "T:\\P\\x.VX3LV"}), kExitFailed);
  EXPECT_NE(err.str().find("(Status 53)"), std::string::npos) << err.str();

  EXPECT_EQ(Run({"info", "T:\\P\\4711__01.VX3LV"}), kExitDone);
  EXPECT_NE(out.str().find("Typ = LV\nProjektnummer = 4711\nLV-Teil = 01\n"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("Vorhanden = ja"), std::string::npos);
  EXPECT_EQ(Run({"info", "C:\\Briefe\\4711__Mahnung.DOCX", "--json"}),
            kExitDone);
  EXPECT_EQ(out.str(),
            "{\"pfad\": \"C:\\\\Briefe\\\\4711__Mahnung.DOCX\", \"typ\": \"BR\", "
            "\"projektnummer\": \"4711\", \"lv_teil\": \"\", "
            "\"tabellen\": \"\", \"dokumentart\": \"TEXTE\", \"art\": \"\", "
            "\"vorhanden\": false}\n");

  WriteFile(inst.File("P/PROJEKT.VX3DB"), "db");
  WriteFile(inst.File("P/PROJEKT.VXLDB"), "");
  EXPECT_EQ(Run({"loeschen", "T:\\P\\PROJEKT.VX3DB", inst.File("P/4711__01.VX3LV"),
                 "--datenbank"}),
            kExitDone)
      << err.str();
  EXPECT_TRUE(std::filesystem::is_empty(inst.File("P")));
}

TEST(ProgressLineTest, BarBytesRateAndTimeLeft) {
  ProgressReport report;
  report.caption = "Kopieren...";
  report.percent = 40;
  EXPECT_EQ(ProgressLine(report, 1.0),
            "Kopieren... [############..................]  40 %");
  report.total_bytes = 500000000;
  EXPECT_EQ(ProgressLine(report, 2.0),
            "Kopieren... [############..................]  40 %  200.0 MB / "
            "500.0 MB  100.0 MB/s  noch 0:03");
  report.percent = 100;
  EXPECT_EQ(ProgressLine(report, 5.0),
            "Kopieren... [##############################] 100 %  500.0 MB / "
            "500.0 MB  100.0 MB/s");
}

}  // namespace
}  // namespace vx::cli
