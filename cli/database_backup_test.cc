#include "cli/database_backup.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/test_support.h"
#include "vx_taluvek/error.h"

namespace vx::cli {
namespace {

namespace fs = std::filesystem;

// Runs `sql` on the database `path`; the first column of each row, joined
// with ",".
std::string Query(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  std::string rows;
  sqlite3_exec(
      db, sql.c_str(),
      [](void* out, int, char** values, char**) {
        auto* text = static_cast<std::string*>(out);
        if (!text->empty()) *text += ",";
        *text += values[0] ? values[0] : "NULL";
        return 0;
      },
      &rows, nullptr);
  sqlite3_close(db);
  return rows;
}

mode_t ModeOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

class DatabaseBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Query(db_, "CREATE TABLE Projekt (ProNr TEXT); "
               "INSERT INTO Projekt VALUES ('4711'), ('O''Neil')");
    chmod(db_.c_str(), 0640);
  }

  testing::TempDir dir_;
  const std::string db_ = dir_.File("PROJEKT.VX3DB");
};

TEST_F(DatabaseBackupTest, TheBackupHoldsTheRowsAndTheDatabasesMode) {
  const std::string backup = BackUpDatabase(db_, "2026-12-06");
  EXPECT_EQ(backup, db_ + ".bak-2026-12-06");
  EXPECT_EQ(Query(backup, "SELECT ProNr FROM Projekt ORDER BY ProNr"),
            "4711,O'Neil");
  EXPECT_EQ(ModeOf(backup), 0640u);
  // Nothing of SQLite's own is left beside it.
  EXPECT_FALSE(fs::exists(backup + "-journal"));
}

TEST_F(DatabaseBackupTest, AnEarlierBackupIsNeverOverwrittenNorALinkFollowed) {
  const std::string first = BackUpDatabase(db_, "2026-12-06");
  Query(db_, "DELETE FROM Projekt");
  // A link where the next backup would go, to a file that is not there.
  fs::create_symlink(dir_.File("fremd"), db_ + ".bak-2026-12-06-2");
  const std::string second = BackUpDatabase(db_, "2026-12-06");
  EXPECT_EQ(second, db_ + ".bak-2026-12-06-3");
  EXPECT_FALSE(fs::exists(dir_.File("fremd")));
  EXPECT_EQ(Query(first, "SELECT count(*) FROM Projekt"), "2");
  EXPECT_EQ(Query(second, "SELECT count(*) FROM Projekt"), "0");
  EXPECT_EQ(BackUpDatabase(db_, "2026-12-07"), db_ + ".bak-2026-12-07");
}

TEST_F(DatabaseBackupTest, AFailedBackupLeavesNothing) {
  const std::string text = dir_.File("kein.VX3DB");
  testing::WriteFile(text, "keine Datenbank, nur Text, lang genug für einen "
                           "Kopf von hundert Bytes: ......................"
                           "..............................................");
  try {
    BackUpDatabase(text, "2026-12-06");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 75);
    EXPECT_NE(e.description().find(text), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(text + ".bak-2026-12-06"));
  // In a folder that is not there the backup cannot even be created.
  try {
    BackUpDatabase(dir_.File("fehlt/PROJEKT.VX3DB"), "2026-12-06");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 75);
  }
}

TEST(TodayTest, IsADate) {
  EXPECT_TRUE(std::regex_match(Today(), std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9]")));
}

}  // namespace
}  // namespace vx::cli
