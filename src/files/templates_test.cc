// Templates on the server: a file's rows saved under a name, found by the
// name, deleted by name or pattern.

#include "files/templates.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/file_copy.h"
#include "files/server_files_test_util.h"
#include "server/file_table.h"
#include "server/server_test_util.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::Installation;

class TemplatesTest : public testing::ServerInstallationTest {
 protected:
  void SetUp() override {
    ServerInstallationTest::SetUp();
    if (!IsSkipped()) AddLvFiles();
  }
};

TEST_F(TemplatesTest, ASavedSetHoldsTheFilesRowsUnderItsName) {
  VorlageSpeichern(kLv, "LV", "4711__01.VX3L1");
  EXPECT_EQ(Query("SELECT string_agg(filename || '/' || typ, ',') FROM vorlagen"),
            "4711__01.VX3L1/LV");
  EXPECT_EQ(Query("SELECT count(*) || '/' || min(vid) FROM savlv__tabmassen "
                  "WHERE sicherungsname = '4711__01.VX3L1'"),
            "2/" + std::to_string(lv_));
  EXPECT_TRUE(VorlageExists("4711__01.VX3L1"));
  EXPECT_FALSE(VorlageExists("4711__02.VX3L1"));

  // A kind without tables saves only the name; a kind that is no plain
  // name saves nothing.
  VorlageSpeichern(kLv, "XY", "leer");
  EXPECT_TRUE(VorlageExists("leer"));
  VorlageSpeichern(kLv, "LV\"; --", "boese");
  EXPECT_FALSE(VorlageExists("boese"));
  EXPECT_FALSE(Err().IsSet());
}

// A set is saved whole or not at all.
TEST_F(TemplatesTest, AFailureWhileSavingLeavesNoPartOfTheSet) {
  // A table of the kind whose saved table is missing: the rows of the
  // tables before it were written already when it fails.
  Run("CREATE TABLE zusatz (vid integer)");
  Run("INSERT INTO savtables (kennung, tabname) VALUES ('LV', 'Zusatz')");
  EXPECT_FALSE(VorlageSpeichern(kLv, "LV", "4711__01.VX3L1"));
  EXPECT_FALSE(VorlageExists("4711__01.VX3L1"));
  EXPECT_EQ(Query("SELECT count(*) FROM savlv__tabmassen"), "0");
  EXPECT_FALSE(Err().IsSet());

  // A saved table unlike its table fails the same way.
  Run("DELETE FROM savtables WHERE tabname = 'Zusatz'");
  Run("ALTER TABLE savlv__zeitdoku ADD COLUMN extra integer NOT NULL");
  Run("INSERT INTO zeitdoku (vid) VALUES (" + std::to_string(lv_) + ")");
  EXPECT_FALSE(VorlageSpeichern(kLv, "LV", "4711__01.VX3L1"));
  EXPECT_EQ(Query("SELECT count(*) FROM vorlagen"), "0");
  EXPECT_EQ(Query("SELECT count(*) FROM savlv__tabmassen"), "0");

  Run("ALTER TABLE savlv__zeitdoku DROP COLUMN extra");
  EXPECT_TRUE(VorlageSpeichern(kLv, "LV", "4711__01.VX3L1"));
  EXPECT_EQ(Query("SELECT count(*) FROM savlv__tabmassen"), "2");
}

// A column the suite adds to a table later, and to its saved table, stands
// after SicherungsName there: the rows are saved column by name.
TEST_F(TemplatesTest, AColumnAddedLaterIsSavedUnderItsName) {
  Run("ALTER TABLE tabmassen ADD COLUMN nachtrag varchar(20)");
  Run("ALTER TABLE savlv__tabmassen ADD COLUMN nachtrag varchar(20)");
  Run("UPDATE tabmassen SET nachtrag = 'spät' WHERE vid = " + std::to_string(lv_));
  EXPECT_TRUE(VorlageSpeichern(kLv, "LV", "4711__01.VX3L1"));
  EXPECT_EQ(Query("SELECT string_agg(DISTINCT nachtrag || '/' || sicherungsname, ',') "
                  "FROM savlv__tabmassen"),
            "spät/4711__01.VX3L1");
}

// On a server an LV file's companions are saved sets: a copy of one saves
// the source's rows as the set the target names, and makes no file.
TEST_F(TemplatesTest, CopyingACompanionSavesASet) {
  const std::string companion = "T:\\P\\4711__01.VX3L1";
  const int32_t vid = server::RegisterFile(server_->Superuser().get(), companion);
  Run("INSERT INTO tabmassen (vid, kennvon) VALUES (" + std::to_string(vid) + ", 'LV')");
  std::string target = "T:\\Q\\4711__02.vx3lx";
  int32_t status = 0;
  UFileCopy("t:\\p\\4711__01.vx3l1", target, status, CopyFlags{});
  EXPECT_EQ(status, kCopyDone);
  EXPECT_EQ(Query("SELECT string_agg(filename || '/' || typ, ',') FROM vorlagen"),
            "4711__02.vx3lx/LV");
  EXPECT_EQ(Query("SELECT string_agg(vid || '/' || sicherungsname, ',') FROM savlv__tabmassen"),
            std::to_string(vid) + "/4711__02.vx3lx");
  EXPECT_EQ(server::FileNumberOf(server_->Superuser().get(), target), 0);

  // A companion the server does not know saves an empty set, never the
  // rows that belong to no file.
  Run("INSERT INTO tabmassen (vid, kennvon) VALUES (0, 'LV')");
  target = "T:\\Q\\4711__03.VX3L1";
  UFileCopy("T:\\P\\4799__01.VX3L1", target, status, CopyFlags{});
  EXPECT_EQ(status, kCopyDone);
  EXPECT_TRUE(VorlageExists("4711__03.VX3L1"));
  EXPECT_EQ(Query("SELECT count(*) FROM savlv__tabmassen WHERE sicherungsname = '4711__03.VX3L1'"),
            "0");

  // A set that cannot be saved is reported.
  Run("DROP TABLE savlv__tabmassen");
  target = "T:\\Q\\4711__04.VX3LR";
  UFileCopy(companion, target, status, CopyFlags{});
  EXPECT_EQ(status, kErrFileNotFound);
  EXPECT_FALSE(VorlageExists("4711__04.VX3LR"));
}

TEST_F(TemplatesTest, NamesWithApostrophesAreSavedFoundAndDeleted) {
  VorlageSpeichern(kLv, "LV", "O'Neil.VX3L1");
  EXPECT_TRUE(VorlageExists("O'Neil.VX3L1"));
  std::string name = "O'Neil.VX3L1";
  EXPECT_TRUE(VorlageLoeschen("LV", name));
  EXPECT_FALSE(VorlageExists("O'Neil.VX3L1"));
  EXPECT_EQ(Query("SELECT count(*) FROM savlv__tabmassen"), "0");
}

// In a pattern only "*" is a wildcard: "_" and "%" stand for themselves.
TEST_F(TemplatesTest, APatternMatchesItsUnderscoresLiterally) {
  for (const char* set : {"4711__01.VX3L1", "4711__02.VX3LX", "4711ab.VX3L1", "4711%x.VX3L1"}) {
    VorlageSpeichern(kLv, "LV", set);
  }
  VorlageSpeichern(kLv, "LB", "4711__03.VX3L1");
  std::string pattern = "4711__*";
  EXPECT_TRUE(VorlageLoeschen("LV", pattern));
  EXPECT_EQ(pattern, "4711__%");
  EXPECT_EQ(Query("SELECT string_agg(filename, ',' ORDER BY filename COLLATE \"C\") FROM vorlagen"),
            "4711%x.VX3L1,4711__03.VX3L1,4711ab.VX3L1");
  EXPECT_EQ(Query("SELECT string_agg(DISTINCT sicherungsname COLLATE \"C\", ',') FROM savlv__tabmassen"),
            "4711%x.VX3L1,4711ab.VX3L1");
  pattern = "4711%*";
  EXPECT_TRUE(VorlageLoeschen("LV", pattern));
  EXPECT_FALSE(VorlageExists("4711%x.VX3L1"));
  EXPECT_TRUE(VorlageExists("4711ab.VX3L1"));
  pattern = "nichts*";
  EXPECT_FALSE(VorlageLoeschen("LV", pattern));

  // An exact name deletes the sets of that name whatever their kind.
  std::string exact = "4711__03.VX3L1";
  EXPECT_TRUE(VorlageLoeschen("LV", exact));
  EXPECT_FALSE(VorlageExists("4711__03.VX3L1"));
}

TEST_F(TemplatesTest, OutsideServerModeNothingChanges) {
  VorlageSpeichern(kLv, "LV", "4711__01.VX3L1");
  inst_.WriteSettings("[Server]\nDatenbankArt=1\n");
  testing::RunInFreshThread([&] {
    EXPECT_FALSE(VorlageExists("4711__01.VX3L1"));
    std::string pattern = "4711*";
    EXPECT_FALSE(VorlageLoeschen("LV", pattern));
    EXPECT_EQ(pattern, "4711*");
    VorlageSpeichern(kLv, "LV", "neu");
  });
  EXPECT_EQ(Query("SELECT count(*) FROM vorlagen"), "1");
}

}  // namespace
}  // namespace vx
