// The project files of a server installation: whether they exist, and
// their deletion, which takes the file's rows and nothing of another file.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/file_delete.h"
#include "files/files_test_util.h"
#include "files/project_file_exists.h"
#include "files/server_file_store.h"
#include "files/templates.h"
#include "files/uexist.h"
#include "server/file_table.h"
#include "files/server_files_test_util.h"
#include "server/server_test_util.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::Installation;

class ProjectFilesOnServerTest : public testing::ServerInstallationTest {
 protected:
  void SetUp() override {
    ServerInstallationTest::SetUp();
    if (!IsSkipped()) AddLvFiles();
  }
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

  // A companion's name in small letters is one all the same.
  VorlageSpeichern(kLv, "LV", "4711__01.vx3lr");
  EXPECT_TRUE(UnserKill("T:\\P\\4711__01.vx3lr", false, recycle, false));
  EXPECT_FALSE(VorlageExists("4711__01.vx3lr"));
}

// A temporary database of a server installation lies on the server only:
// deleting it takes its rows and its entry, and nothing of another file.
TEST_F(ProjectFilesOnServerTest, DeletingATemporaryDatabaseTakesItsRowsOnly) {
  const std::string temporary = "C:\\TEMP\\~KV1A2B.TMP";
  const int32_t vid = server::RegisterFile(server_->Superuser().get(), temporary);
  Run("INSERT INTO tabmassen (vid, kennvon) VALUES (" + std::to_string(vid) + ", 'LV')");
  bool recycle = true;
  EXPECT_TRUE(UnserKill("c:\\temp\\~kv1a2b.tmp", true, recycle, false));
  EXPECT_EQ(server::FileNumberOf(server_->Superuser().get(), temporary), 0);
  EXPECT_EQ(Query("SELECT string_agg(vid::text, ',' ORDER BY vid) FROM tabmassen"),
            std::to_string(lv_) + "," + std::to_string(lv_) + "," + std::to_string(other_));
  // Gone already: still gone.
  EXPECT_TRUE(UnserKill(temporary, true, recycle, false));
  // ".TMP" that is no temporary database's ending deletes nothing and
  // says so.
  EXPECT_FALSE(UnserKill("T:\\A.TMP\\4711__01.VX3LV", true, recycle, false));
  EXPECT_EQ(Query("SELECT count(*) FROM tabmassen"), "3");
  EXPECT_FALSE(Err().IsSet());

  // A removal that fails is not answered as done.
  server::RegisterFile(server_->Superuser().get(), temporary);
  inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=host=/nonexistent dbname=x\n");
  testing::RunInFreshThread([&] {
    bool recycle_too = false;
    EXPECT_FALSE(UnserKill(temporary, true, recycle_too, false));
    EXPECT_FALSE(Err().IsSet());
  });
  EXPECT_NE(server::FileNumberOf(server_->Superuser().get(), temporary), 0);
}

// A deletion on a server installation that reaches the file system is
// shown to developers; the file is deleted all the same.
TEST_F(ProjectFilesOnServerTest, DevelopersAreToldOfDeletionsInTheFileSystem) {
  testing::FakeHost host;
  testing::MappedDrive drive(inst_);
  testing::WriteFile(inst_.File("Tarvano32.lic"), "");  // developer mode
  const std::string path = drive.Path("~KV1A2B.VX3LV");
  const std::string text = path +
                           "\n\nUnserkill unter SQL soll löschen???\n"
                           "Warum ist nicht 'bDontLook4SQLTempTables' gesetzt?";
  drive.MakeFile("~KV1A2B.VX3LV");
  testing::RunInFreshThread([&] {
    testing::EnterDesignMode();
    bool recycle = true;
    EXPECT_TRUE(UnserKill(path, false, recycle, false));
    EXPECT_FALSE(recycle);
  });
  EXPECT_FALSE(std::filesystem::exists(drive.HostPath("~KV1A2B.VX3LV")));
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].prompt, text);
  EXPECT_EQ(host.message_boxes[0].title, "IsDesign");

  // Outside a developer build, only where the settings ask for it.
  drive.MakeFile("~KV1A2B.VX3LV");
  testing::RunInFreshThread([&] {
    bool recycle = false;
    EXPECT_TRUE(UnserKill(path, false, recycle, false));
  });
  EXPECT_EQ(host.message_boxes.size(), 1u);
  inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=" + server_->WorkerString() +
                      "\n[Intern]\nAks4Setting=ENTWICKLUNG\n");
  drive.MakeFile("~KV1A2B.VX3LV");
  testing::RunInFreshThread([&] {
    bool recycle = false;
    EXPECT_TRUE(UnserKill(path, false, recycle, false));
  });
  EXPECT_FALSE(std::filesystem::exists(drive.HostPath("~KV1A2B.VX3LV")));
  ASSERT_EQ(host.message_boxes.size(), 2u);
  EXPECT_EQ(host.message_boxes[1].prompt, "vx_test\nbIstEntwicklung \n" + text);
  EXPECT_EQ(host.message_boxes[1].title, "bIstEntwicklung");
}

}  // namespace
}  // namespace vx
