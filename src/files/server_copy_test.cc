// Copying project files on the database server: the rows of the file's
// tables under the target's number, in one transaction.

#include "files/server_copy.h"

#include <gtest/gtest.h>

#include "data/connections.h"
#include "data/sql_text.h"
#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/engine_test_util.h"
#include "files/datei_operation.h"
#include "files/file_copy.h"
#include "files/files_test_util.h"
#include "server/file_table.h"
#include "server/server_test_util.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

class ServerCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cluster_ = testing::PgCluster::Shared();
    if (cluster_ == nullptr) GTEST_SKIP() << testing::PgCluster::WhyNot();
    server_ = std::make_unique<server::TestServerDatabase>(cluster_);
    // Columns the suite's programs add, one of them with a name to quote.
    Run("ALTER TABLE tabmassen ADD COLUMN menge double precision, ADD COLUMN text varchar(50)");
    Run("ALTER TABLE lv ADD COLUMN oz varchar(20), ADD COLUMN \"Kurz \"\"text\"\"\" text");
    Run("ALTER TABLE kalk_ele ADD COLUMN wert integer");
    inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=" + server_->WorkerString() +
                        "\n");
    testing::PgConnection whole = server_->Worker();
    lv_ = server::RegisterFile(whole.get(), kLv);
  }

  void Run(const std::string& sql) { server::RunStatement(server_->Superuser().get(), sql); }

  // The rows of `table` of file `vid`, as "a,b,..." of `columns`, sorted.
  std::string Rows(const std::string& table, int32_t vid, const std::string& columns) {
    return server::RunForValue(
        server_->Superuser().get(),
        "SELECT coalesce(string_agg(concat_ws('|', " + columns + "), ',' ORDER BY concat_ws('|', " +
            columns + ")), '') FROM " + table + " WHERE vid = " + std::to_string(vid));
  }
  int32_t NumberOf(const std::string& path) {
    return server::FileNumberOf(server_->Worker().get(), path);
  }

  static constexpr const char* kLv = "T:\\P\\4711__01.VX3LV";
  testing::PgCluster* cluster_ = nullptr;
  std::unique_ptr<server::TestServerDatabase> server_;
  testing::Installation inst_;
  int32_t lv_ = 0;
};

TEST_F(ServerCopyTest, CopiesEveryColumnOfTheKindsRowsUnderTheTargetsNumber) {
  const std::string lv = std::to_string(lv_);
  Run("INSERT INTO lv (vid, oz, \"Kurz \"\"text\"\"\") VALUES (" + lv + ", '01', 'Beton'), (" +
      lv + ", '02', 'O''Neil')");
  Run("INSERT INTO tabmassen (vid, kennvon, menge) VALUES (" + lv + ", 'LV', 1), (" + lv +
      ", 'RP', 2), (" + lv + ", 'RB_F', 3)");
  Run("INSERT INTO aufmassblatt (vid, dbextension) VALUES (" + lv + ", '.VX3LV'), (" + lv +
      ", '.VX3RB')");
  // A target that exists: its rows of the kind are replaced, others stay.
  const std::string target = "T:\\Q\\O'Neil__02.vx3lv";
  const int32_t known = server::RegisterFile(server_->Worker().get(), target);
  Run("INSERT INTO lv (vid, oz) VALUES (" + std::to_string(known) + ", 'alt')");
  Run("INSERT INTO tabmassen (vid, kennvon, menge) VALUES (" + std::to_string(known) +
      ", 'LV', 9), (" + std::to_string(known) + ", 'EKM', 8)");

  std::string to = target;
  EXPECT_EQ(ServerFileCopy(kLv, to, true), ServerCopyResult::kCopied);
  EXPECT_EQ(to, target);
  EXPECT_EQ(Rows("lv", known, "oz, \"Kurz \"\"text\"\"\""), "01|Beton,02|O'Neil");
  EXPECT_EQ(Rows("tabmassen", known, "kennvon, menge"), "EKM|8,LV|1,RP|2");
  EXPECT_EQ(Rows("aufmassblatt", known, "dbextension"), ".VX3LV");
  // The source is as it was.
  EXPECT_EQ(Rows("tabmassen", lv_, "kennvon, menge"), "LV|1,RB_F|3,RP|2");

  // A new target is registered; a kind without a list of its own (EK)
  // copies the tables of its table list.
  const int32_t ek = server::RegisterFile(server_->Worker().get(), "T:\\P\\4711.VX3EK");
  Run("INSERT INTO kalk_ele (vid, wert) VALUES (" + std::to_string(ek) + ", 5)");
  Run("INSERT INTO tabmassen (vid, kennvon, menge) VALUES (" + std::to_string(ek) + ", 'EKF', 4)");
  std::string copy = "T:\\P\\4712.VX3EK";
  int32_t status = 0;
  UFileCopy("T:\\P\\4711.VX3EK", copy, status, CopyFlags{});
  EXPECT_EQ(status, kCopyDone);
  const int32_t made = NumberOf(copy);
  ASSERT_NE(made, 0);
  EXPECT_EQ(Rows("kalk_ele", made, "wert"), "5");
  EXPECT_EQ(Rows("tabmassen", made, "kennvon, menge"), "EKF|4");
}

TEST_F(ServerCopyTest, KeepsAnExistingTargetWhenAskedAndNeverLosesRows) {
  const std::string lv = std::to_string(lv_);
  Run("INSERT INTO tabmassen (vid, kennvon, menge) VALUES (" + lv + ", 'LV', 1)");
  const std::string target = "T:\\P\\4711__02.VX3LV";
  const int32_t known = server::RegisterFile(server_->Worker().get(), target);
  Run("INSERT INTO tabmassen (vid, kennvon, menge) VALUES (" + std::to_string(known) +
      ", 'LV', 9)");

  // check_target: the known target is kept (-99).
  std::string to = target;
  int32_t status = 0;
  CopyFlags check;
  check.check_target = true;
  check.quiet = true;
  UFileCopy(kLv, to, status, check);
  EXPECT_EQ(status, kCopyTargetExisted);
  EXPECT_EQ(Rows("tabmassen", known, "menge"), "9");

  // A copy onto itself (any spelling of the path) keeps the file's rows.
  std::string same = "t:\\p\\4711__01.vx3lv";
  EXPECT_EQ(ServerFileCopy(kLv, same, true), ServerCopyResult::kCopied);
  EXPECT_EQ(Rows("tabmassen", lv_, "menge"), "1");

  // A source the server does not know copies nothing and makes no target.
  std::string nowhere = "T:\\P\\4713.VX3LV";
  EXPECT_EQ(ServerFileCopy("T:\\P\\4799.VX3LV", nowhere, true), ServerCopyResult::kCopied);
  EXPECT_EQ(NumberOf(nowhere), 0);

  // A failure in the middle rolls the whole copy back and is reported, in
  // a developer build with its description.
  Run("CREATE UNIQUE INDEX einmalig ON tabmassen (menge)");
  testing::FakeHost host;
  testing::EnterDesignMode();
  status = 0;
  UFileCopy(kLv, to, status, CopyFlags{});
  EXPECT_NE(status, kCopyDone);
  EXPECT_EQ(Rows("tabmassen", known, "menge"), "9");
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].title, "UFileCopy_4SQL Design");
  EXPECT_NE(host.message_boxes[0].prompt.find("einmalig"), std::string::npos)
      << host.message_boxes[0].prompt;
  EXPECT_FALSE(UFileCopy_4SQL(kLv, to));
  EXPECT_NE(Err().Number(), 0);
}

// A copy on a server installation that the server does not take is shown
// to developers: the caller should have asked for the file system.
TEST_F(ServerCopyTest, DevelopersAreToldOfCopiesTheServerDoesNotTake) {
  testing::FakeHost host;
  testing::WriteFile(inst_.File("Tarvano32.lic"), "");  // developer mode
  inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=" + server_->WorkerString() +
                      "\n[Datei Verzeichnisse]\nSTRUKTUREN=T:\\S\\\n"
                      "[Intern]\nAks4Setting=ENTWICKLUNG\n");
  const std::string source = "t:\\s\\Alt\\Vorlage.txt";
  std::string target = "T:\\P\\Vorlage.txt";
  testing::RunInFreshThread([&] {
    int32_t status = 0;
    UFileCopy(source, target, status, CopyFlags{});
    EXPECT_EQ(status, kCopyDone) << "a file of no kind is not copied on a server";
  });
  ASSERT_EQ(host.message_boxes.size(), 2u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Hallo - Strukturen werden am Server kopiert - läuft da was schief?");
  EXPECT_EQ(host.message_boxes[0].title, "bIstEntwicklung");
  EXPECT_EQ(host.message_boxes[1].prompt,
            "vx_test\nbIstEntwicklung \nUFileCopy unter server???\n"
            "Warum ist nicht 'bDontLook4SQL' gesetzt?\n" + source + "\n" + target);
  EXPECT_EQ(host.message_boxes[1].style, kSystemModal);

  // A copy the server takes shows nothing.
  host.message_boxes.clear();
  testing::RunInFreshThread([&] {
    int32_t status = 0;
    std::string copy = "T:\\P\\4711__02.VX3LV";
    UFileCopy(kLv, copy, status, CopyFlags{});
    EXPECT_EQ(status, kCopyDone);
  });
  EXPECT_TRUE(host.message_boxes.empty());
}

TEST_F(ServerCopyTest, LeavesTemporaryTargetsAndDocumentsToOthers) {
  // A project file is not copied to a temporary name, and the caller's
  // target is cleared.
  std::string temporary = "C:\\TEMP\\~KV1A2B.VX3LV";
  EXPECT_EQ(ServerFileCopy(kLv, temporary, true), ServerCopyResult::kNotHandled);
  EXPECT_EQ(temporary, "");
  // A temporary source keeps the target.
  temporary = "C:\\TEMP\\~KV1A2C.VX3LV";
  EXPECT_EQ(ServerFileCopy("C:\\TEMP\\~KV1A2B.VX3LV", temporary, true),
            ServerCopyResult::kNotHandled);
  EXPECT_EQ(temporary, "C:\\TEMP\\~KV1A2C.VX3LV");
  // Documents are the file store's; a file of no kind nobody's.
  std::string letter = "T:\\P\\4711__B.VX3BR";
  EXPECT_FALSE(UFileCopy_4SQL("T:\\P\\4711__A.VX3BR", letter));
  EXPECT_FALSE(UFileCopy_4SQL("", letter));
  EXPECT_FALSE(UFileCopy_4SQL("T:\\P\\notiz.txt", letter));
}

TEST_F(ServerCopyTest, StructureCopiesMakeNewFilesAndTemporaryOnesGoAway) {
  inst_.WriteSettings("[Server]\nDatenbankArt=2\nVerbindung=" + server_->WorkerString() +
                      "\n[Datei Verzeichnisse]\nSTRUKTUREN=T:\\S\n");
  // A template copied to a temporary name is a new file on the server.
  std::string temporary = "C:\\TEMP\\~KV1A2B.TMP";
  int32_t status = 0;
  UFileCopy("t:\\s\\PRJSTRUK.VX3DB", temporary, status, CopyFlags{});
  EXPECT_EQ(status, kCopyDone);
  const int32_t made = NumberOf(temporary);
  EXPECT_NE(made, 0);
  // A template copied to any other name is no business of the server.
  std::string shared = "T:\\D\\PROJEKT.VX3DB";
  UFileCopy("T:\\S\\PRJSTRUK.VX3DB", shared, status, CopyFlags{});
  EXPECT_EQ(NumberOf(shared), 0);
  // The shell's copy out of the structures folder, too.
  EXPECT_TRUE(DateiOperation(kFoCopy, "T:\\S\\LV.VX3LV", "T:\\P\\4720__01.VX3LV", false,
                             true, 0, false));
  EXPECT_NE(NumberOf("T:\\P\\4720__01.VX3LV"), 0);

  // Removing the temporary database takes its rows and its entry; other
  // files stay.
  Run("INSERT INTO tabmassen (vid, kennvon) VALUES (" + std::to_string(made) + ", 'LV'), (" +
      std::to_string(lv_) + ", 'LV')");
  RemoveServerTemporaryDatabase(kLv);
  RemoveServerTemporaryDatabase("c:\\temp\\~kv1a2b.tmp");
  EXPECT_EQ(NumberOf(temporary), 0);
  EXPECT_EQ(Rows("tabmassen", made, "kennvon"), "");
  EXPECT_EQ(Rows("tabmassen", lv_, "kennvon"), "LV");
}

// The engine's statement that copies a file's rows into another file, as
// the suite's programs send it through the source's database object.
TEST_F(ServerCopyTest, SelectIntoAnotherFileCopiesThisFilesSelectedRows) {
  const int32_t other = server::RegisterFile(server_->Worker().get(), "T:\\P\\4799.VX3LV");
  const std::string target = "T:\\Q\\O'Neil__01.VX3LV";
  const int32_t known = server::RegisterFile(server_->Worker().get(), target);
  Run("INSERT INTO tabmassen (vid, kennvon, menge) VALUES (" + std::to_string(lv_) +
      ", 'LV', 1), (" + std::to_string(lv_) + ", 'RB_F', 2), (" + std::to_string(other) +
      ", 'LV', 3)");
  Variant connect(kBareConnect);
  DbHandle source = OpenDb(kLv, false, Variant(false), connect, true);
  ASSERT_TRUE(source);
  // The condition is the dialect's: compared without regard to case.
  source->Execute("Select * into TabMassen in " + SqlText(target) +
                  " from TabMassen where KennVon = 'lv'");
  EXPECT_EQ(source->RecordsAffected(), 1);
  EXPECT_EQ(Rows("tabmassen", known, "kennvon, menge"), "LV|1");
  EXPECT_EQ(Rows("tabmassen", lv_, "kennvon, menge"), "LV|1,RB_F|2");

  // A target the server does not know, and the whole database as the
  // source, copy nothing.
  EXPECT_EQ(dao::testing::ErrorOf([&] {
              source->Execute("Select * into TabMassen in 'T:\\P\\nie.VX3LV' from TabMassen");
            }),
            dao::kErrFileNotFound);
  DbHandle whole = OpenDb("Dummy.VX3DB", false, Variant(false), connect, true);
  EXPECT_EQ(dao::testing::ErrorOf([&] {
              whole->Execute("Select * into TabMassen in " + SqlText(target) +
                             " from TabMassen");
            }),
            dao::kErrInvalidOperation);
  EXPECT_EQ(Rows("tabmassen", known, "kennvon, menge"), "LV|1");
}

}  // namespace
}  // namespace vx
