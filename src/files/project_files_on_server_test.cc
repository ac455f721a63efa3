// The project files of a server installation: whether they exist, and
// their deletion, which takes the file's rows and nothing of another file.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/file_delete.h"
#include "files/project_file_exists.h"
#include "files/server_file_store.h"
#include "files/templates.h"
#include "files/uexist.h"
#include "server/file_table.h"
#include "files/server_files_test_util.h"
#include "server/server_test_util.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::Installation;

class ProjectFilesOnServerTest : public testing::ServerInstallationTest {
 protected:
  void SetUp() override {
    ServerInstallationTest::SetUp();
    if (IsSkipped()) return;
    testing::PgConnection owner = server_->Superuser();
    lv_ = server::RegisterFile(owner.get(), kLv);
    other_ = server::RegisterFile(owner.get(), kOtherLv);
    for (int32_t vid : {lv_, lv_, other_}) {
      Run("INSERT INTO tabmassen (vid, kennvon) VALUES (" + std::to_string(vid) + ", 'LV')");
    }
  }


  static constexpr const char* kLv = "T:\\P\\4711__01.VX3LV";
  static constexpr const char* kOtherLv = "T:\\P\\4712__01.VX3LV";
  int32_t lv_ = 0, other_ = 0;
};

TEST_F(ProjectFilesOnServerTest, AFileExistsWhenTheServerKnowsItOrItsProject) {
  EXPECT_TRUE(ProjektDateiExists_4SQL(kLv));
  EXPECT_TRUE(ProjektDateiExists_4SQL("t:\\p\\4711__01.vx3lv"));
  EXPECT_FALSE(ProjektDateiExists_4SQL("T:\\P\\4713__01.VX3LV"));
  bool quick = false;
  EXPECT_TRUE(Uexist(kLv, false, false, quick)) << "no file on disk, but rows on the server";
  EXPECT_FALSE(Uexist("T:\\P\\4713__01.VX3LV", false, false, quick));

  // Calculations are there when the project database has one for the
  // project the name numbers, whatever its number holds.
  Run("INSERT INTO projekt (id, pronr) VALUES (7, '4711'), (8, 'O''Neil')");
  Run("INSERT INTO kalkulation (projektid) VALUES (7), (8)");
  EXPECT_TRUE(ProjektDateiExists_4SQL("T:\\P\\4711.VX3EK"));
  EXPECT_TRUE(ProjektDateiExists_4SQL("T:\\P\\O'Neil.VX3EK"));
  EXPECT_FALSE(ProjektDateiExists_4SQL("T:\\P\\4712.VX3EK"));
  EXPECT_FALSE(ProjektDateiExists_4SQL("T:\\P\\4711.VX3KO"));
  EXPECT_TRUE(ProjektDateiExists_4SQL("T:\\P\\objfin.VX3OB"));
  EXPECT_FALSE(Err().IsSet());

  inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=host=/nonexistent dbname=x\n");
  EXPECT_FALSE(ProjektDateiExists_4SQL(kLv));
  EXPECT_FALSE(Err().IsSet());
}

TEST_F(ProjectFilesOnServerTest, DeletingAFileTakesItsRowsAndNoOthers) {
  bool recycle = false;
  EXPECT_TRUE(UnserKill(kLv, true, recycle, false));
  EXPECT_EQ(Query("SELECT string_agg(vid::text, ',') FROM tabmassen"), std::to_string(other_));
  EXPECT_FALSE(Err().IsSet());

  // A path the server does not know has no rows to delete.
  EXPECT_TRUE(Server_FileKill("T:\\P\\4713__01.VX3LV"));
  EXPECT_EQ(Query("SELECT count(*) FROM tabmassen"), "1");
  // The suite's temporary files are no business of the server.
  EXPECT_FALSE(Server_FileKill("T:\\TEMP\\~KV1A2B.VX3LV"));
  EXPECT_EQ(Query("SELECT count(*) FROM tabmassen"), "1");
}

TEST_F(ProjectFilesOnServerTest, DeletingACompanionTakesItsSavedSet) {
  VorlageSpeichern(kLv, "LV", "4711__01.VX3L1");
  VorlageSpeichern(kLv, "LV", "4711__01.VX3LX");
  bool recycle = false;
  EXPECT_TRUE(UnserKill("T:\\P\\4711__01.VX3L1", false, recycle, false));
  EXPECT_FALSE(VorlageExists("4711__01.VX3L1"));
  EXPECT_TRUE(VorlageExists("4711__01.VX3LX"));
  EXPECT_EQ(Query("SELECT count(*) FROM tabmassen"), "3") << "the file itself stays";
  bool quick = false;
  EXPECT_TRUE(Uexist("T:\\P\\4711__01.VX3LX", false, false, quick));
  EXPECT_FALSE(Uexist("T:\\P\\4711__01.VX3L1", false, false, quick));
}

}  // namespace
}  // namespace vx
