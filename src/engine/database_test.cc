#include "engine/database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include "engine/engine_test_util.h"
#include "engine/lock_file.h"

namespace vx::dao {
namespace {

using testing::DescriptionOf;
using testing::ErrorOf;
using testing::kPassword;
using vx::testing::WriteFile;

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

class EngineDatabase : public testing::EngineFixture {
 protected:
  std::string Column(Database& db, const std::string& sql) {
    return testing::ColumnOf(db, sql);
  }
};

TEST_F(EngineDatabase, OpenRefusesWhatIsNoUsableDatabase) {
  const std::string missing = dir_.File("FEHLT.VX3DB");
  EXPECT_EQ(ErrorOf([&] { engine_.OpenDatabase(missing); }), kErrFileNotFound);
  EXPECT_EQ(DescriptionOf([&] { engine_.OpenDatabase(missing); }),
            "Could not find file '" + missing + "'.");
  EXPECT_FALSE(Exists(missing));  // an open never creates a file
  EXPECT_FALSE(Exists(LockFile::PathFor(missing)));

  const std::string text = dir_.File("TEXT.VX3DB");
  WriteFile(text, "this is no database, only a text file of some length\n");
  EXPECT_EQ(ErrorOf([&] { engine_.OpenDatabase(text); }), kErrNotADatabase);
  EXPECT_EQ(ErrorOf([&] { engine_.OpenDatabase(text, false, true); }),
            kErrNotADatabase);
  const std::string empty = dir_.File("LEER.VX3DB");
  WriteFile(empty, "");
  EXPECT_EQ(ErrorOf([&] { engine_.OpenDatabase(empty); }), kErrNotADatabase);
  EXPECT_FALSE(Exists(LockFile::PathFor(text)));

  EXPECT_EQ(ErrorOf([&] { engine_.OpenDatabase(path_); }), kErrInvalidPassword);
  EXPECT_EQ(ErrorOf([&] { engine_.OpenDatabase(path_, false, false, ";pwd=kq7zt_norvelax93"); }),
            kErrInvalidPassword);
  EXPECT_EQ(DescriptionOf([&] { engine_.OpenDatabase(path_, false, false, ";pwd="); }),
            "Not a valid password.");
  EXPECT_EQ(engine_.OpenDatabase(path_, false, false, std::string("x;PWD=") + kPassword)->Name(),
            path_);
}

TEST_F(EngineDatabase, DatabaseWithoutPasswordTakesAnyConnectText) {
  const std::string open = dir_.File("OFFEN.VX3DB");
  CreateDatabase(open, "CREATE TABLE T (x LONG)", "");
  EXPECT_NO_THROW(engine_.OpenDatabase(open, false, false, ";pwd=anything"));
  EXPECT_NO_THROW(engine_.OpenDatabase(open));
  EXPECT_EQ(ErrorOf([&] { CreateDatabase(open, "CREATE TABLE T (x LONG)", ""); }),
            kErrDatabaseExists);
}

TEST_F(EngineDatabase, LockFileLivesAsLongAsTheDatabaseIsOpen) {
  // The path without its last three characters, followed by "LDB".
  const std::string lock = dir_.File("PROJEKT.VXLDB");
  EXPECT_EQ(LockFile::PathFor(path_), lock);
  // The fixture made the database and closed it: its lock file lingers a
  // moment, held by nobody.
  EXPECT_FALSE(LockFile::InUse(path_));
  LockFile::EndLingering();
  EXPECT_FALSE(Exists(lock));
  {
    std::shared_ptr<Database> first = Open();
    std::shared_ptr<Database> second = Open();
    EXPECT_TRUE(Exists(lock));
    // Exclusive use needs the database to itself; others are kept out while
    // one holds it so.
    EXPECT_EQ(ErrorOf([&] { Open(true); }), kErrFileInUse);
    first->Close();
    EXPECT_EQ(ErrorOf([&] { first->Close(); }), kErrObjectInvalid);
    EXPECT_TRUE(Exists(lock));
  }
  EXPECT_FALSE(Exists(lock));
  std::shared_ptr<Database> exclusive = Open(true);
  EXPECT_EQ(ErrorOf([&] { Open(); }), kErrOpenedExclusively);
  EXPECT_EQ(ErrorOf([&] { Open(true); }), kErrFileInUse);
  exclusive.reset();
  EXPECT_FALSE(Exists(lock));
  EXPECT_NO_THROW(Open());
}

TEST_F(EngineDatabase, ExecuteRunsOneActionStatement) {
  std::shared_ptr<Database> db = Open();
  db->Execute("INSERT INTO Nummer (Id, Name) VALUES (1, 'eins')");
  db->Execute("INSERT INTO Nummer (Id, Name) VALUES (2, \"zwei\")");
  db->Execute("INSERT INTO Nummer (Id, Name) VALUES (3, 'O''Brien')");
  EXPECT_EQ(db->RecordsAffected(), 1);
  db->Execute("UPDATE Nummer SET Name = Name & '!' WHERE Id >= 2");
  EXPECT_EQ(db->RecordsAffected(), 2);
  EXPECT_EQ(Column(*db, "SELECT Name FROM Nummer ORDER BY Id"),
            "eins|zwei!|O'Brien!");
  // Texts compare without regard to case; an apostrophe needs no escape
  // beyond its doubling, and a doubled injection attempt matches nothing.
  EXPECT_EQ(Column(*db, "SELECT Id FROM Nummer WHERE Name = 'EINS'"), "1");
  EXPECT_EQ(Column(*db, "SELECT Id FROM Nummer WHERE Name = 'o''brien!'"), "3");
  EXPECT_EQ(Column(*db, "SELECT Id FROM Nummer WHERE Name = 'x'' OR ''1''=''1'"), "");
  EXPECT_EQ(Column(*db, "SELECT Id FROM Nummer WHERE Name LIKE 'z%'"), "2");

  EXPECT_EQ(ErrorOf([&] { db->Execute("DELETE FROM Nummer WHERE Id=1; DROP TABLE Nummer"); }),
            kErrTextAfterEnd);
  EXPECT_EQ(Column(*db, "SELECT Count(*) FROM Nummer"), "3");
  EXPECT_EQ(ErrorOf([&] { db->Execute("SELECT * FROM Nummer"); }),
            kErrCannotExecuteSelect);
  EXPECT_EQ(ErrorOf([&] { db->Execute("DELETE FROM Fehlt"); }), kErrTableNotFound);
  EXPECT_EQ(DescriptionOf([&] { db->Execute("DELETE FROM Fehlt"); }),
            "The database engine cannot find the input table or query "
            "'Fehlt'. Make sure it exists and that its name is spelled "
            "correctly.");
  EXPECT_EQ(ErrorOf([&] { db->Execute("DELETE FROM Nummer WHERE Unbekannt = 1"); }),
            kErrTooFewParameters);
  EXPECT_EQ(ErrorOf([&] { db->Execute("INSERT INTO Projekt (ProNr) VALUES (NULL)"); }),
            kErrRequiredField);
  db->Execute("INSERT INTO Projekt (ProNr) VALUES ('P1')");
  EXPECT_EQ(ErrorOf([&] { db->Execute("INSERT INTO Projekt (ProNr) VALUES ('p1')"); }),
            kErrDuplicateValue);
  EXPECT_EQ(ErrorOf([&] { db->Execute("UPDATE Nummer SET Id = = 2"); }), kErrSyntax);

  db->Execute("Delete * from Nummer");
  EXPECT_EQ(db->RecordsAffected(), 3);
  db->Execute("CREATE TABLE Neu (Text1 MEMO)");
  EXPECT_EQ(db->RecordsAffected(), 0);
  db->Execute("INSERT INTO Neu VALUES ('1.50')");
  EXPECT_EQ(Column(*db, "SELECT Text1 FROM Neu"), "1.50");  // memo keeps text
}

TEST_F(EngineDatabase, TransactionWritesAllOrNothing) {
  std::shared_ptr<Database> db = Open();
  db->InTransaction([&] {
    db->Execute("INSERT INTO Nummer (Id, Name) VALUES (1, 'eins')");
    db->InTransaction([&] {
      db->Execute("INSERT INTO Nummer (Id, Name) VALUES (2, 'zwei')");
    });
  });
  EXPECT_EQ(Column(*db, "SELECT Name FROM Nummer ORDER BY Id"), "eins|zwei");

  EXPECT_EQ(ErrorOf([&] {
              db->InTransaction([&] {
                db->Execute("UPDATE Nummer SET Name = 'x'");
                db->Execute("INSERT INTO Fehlt VALUES (1)");
              });
            }),
            kErrTableNotFound);
  EXPECT_EQ(Column(*db, "SELECT Name FROM Nummer ORDER BY Id"), "eins|zwei");
  // Statements after a failed transaction stand on their own again.
  db->Execute("DELETE FROM Nummer WHERE Id = 2");
  EXPECT_EQ(Column(*db, "SELECT Name FROM Nummer ORDER BY Id"), "eins");
}

TEST_F(EngineDatabase, ReadOnlyAndClosedDatabasesRefuseWork) {
  std::shared_ptr<Database> reader = Open(false, true);
  EXPECT_EQ(ErrorOf([&] { reader->Execute("DELETE FROM Nummer"); }), kErrReadOnly);
  EXPECT_EQ(ErrorOf([&] { reader->InTransaction([] {}); }), kErrReadOnly);
  std::shared_ptr<Recordset> rs = reader->OpenRecordset("Nummer");
  EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }), kErrReadOnly);

  std::shared_ptr<Database> db = Open();
  std::shared_ptr<Recordset> open_rs = db->OpenRecordset("SELECT * FROM Nummer");
  db->Close();
  EXPECT_EQ(ErrorOf([&] { db->Execute("DELETE FROM Nummer"); }), kErrObjectInvalid);
  EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("Nummer"); }), kErrObjectInvalid);
  EXPECT_EQ(ErrorOf([&] { open_rs->MoveNext(); }), kErrObjectInvalid);
  EXPECT_EQ(ErrorOf([&] { open_rs->Close(); }), kErrObjectInvalid);
}

TEST_F(EngineDatabase, IdleTakesItsTwoActions) {
  EXPECT_NO_THROW(engine_.Idle(1));
  EXPECT_NO_THROW(engine_.Idle(8));
  EXPECT_NO_THROW(engine_.Idle());
  EXPECT_EQ(ErrorOf([&] { engine_.Idle(2); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { engine_.Idle("x"); }), kErrInvalidArgument);
}

TEST_F(EngineDatabase, FilesStayValidForTheStockShell) {
  {
    std::shared_ptr<Database> db = Open();
    db->Execute("INSERT INTO Projekt (ProNr, BEMERKUNG) VALUES ('a', 'B')");
  }
  // No custom collation or journal mode in the file: SQLite alone reads it.
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(raw,
                               "SELECT (SELECT integrity_check FROM "
                               "pragma_integrity_check), journal_mode, "
                               "(SELECT Count(*) FROM Projekt WHERE ProNr = 'A') "
                               "FROM pragma_journal_mode",
                               -1, &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok");
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), "delete");
  EXPECT_EQ(sqlite3_column_int(stmt, 2), 1);
  sqlite3_finalize(stmt);
  sqlite3_close(raw);
}

// The journal mode a file is in, as SQLite alone reads it.
std::string JournalModeOf(const std::string& path, const char* set = nullptr) {
  sqlite3* raw = nullptr;
  std::string mode;
  if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) ==
      SQLITE_OK) {
    if (set != nullptr) sqlite3_exec(raw, set, nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(raw, "PRAGMA journal_mode", -1, &stmt, nullptr);
    if (sqlite3_step(stmt) == SQLITE_ROW) {
      mode = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(raw);
  return mode;
}

TEST_F(EngineDatabase, WriterTurnsAFileLeftInWalModeBack) {
  ASSERT_EQ(JournalModeOf(path_, "PRAGMA journal_mode=WAL"), "wal");
  // A reader reads it as it is and changes nothing.
  Open(false, true)->Close();
  EXPECT_EQ(JournalModeOf(path_), "wal");
  std::shared_ptr<Database> db = Open();
  db->Execute("INSERT INTO Projekt (ProNr) VALUES ('w')");
  db->Close();
  EXPECT_EQ(JournalModeOf(path_), "delete");
  EXPECT_FALSE(Exists(path_ + "-wal"));
}

TEST_F(EngineDatabase, FaultyScriptLeavesNoFile) {
  const std::string bad = dir_.File("KAPUTT.VX3DB");
  EXPECT_EQ(ErrorOf([&] {
              CreateDatabase(bad, "CREATE TABLE T (x LONG); CREATE TABLE T (y LONG)", "");
            }),
            kErrTableExists);
  EXPECT_FALSE(Exists(bad));
  EXPECT_FALSE(Exists(LockFile::PathFor(bad)));
  EXPECT_EQ(ErrorOf([&] { CreateDatabase(bad, "CREATE TABLE T (x 'open)", ""); }),
            kErrSyntax);
  EXPECT_FALSE(Exists(bad));
}

}  // namespace
}  // namespace vx::dao
