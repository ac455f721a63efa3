#include "engine/pg_database.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/engine_test_util.h"
#include "engine/recordset.h"
#include "support/pg_cluster.h"
#include "support/test_support.h"

namespace vx::dao {
namespace {

using dao::testing::ErrorOf;
using vx::testing::PgCluster;
using vx::testing::ScopedLocale;

// A database of its own on the shared cluster, opened whole by the role
// that owns it (which may define tables).
class PgDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cluster_ = PgCluster::Shared();
    if (cluster_ == nullptr) GTEST_SKIP() << PgCluster::WhyNot();
    database_ = cluster_->NewDatabase();
    conninfo_ = cluster_->ConnectionString(database_);
    db_ = OpenServerDatabase(conninfo_, "Dummy.VX3DB", kWholeDatabase, false);
    db_->Execute(
        "CREATE TABLE Projekt (Id COUNTER PRIMARY KEY, ProNr TEXT(20) NOT NULL, "
        "Name TEXT(50), Gesperrt YESNO, Beginn DATETIME, Summe CURRENCY, "
        "Menge DOUBLE, Notiz MEMO, Daten LONGBINARY)");
    db_->Execute("CREATE UNIQUE INDEX Projekt_ProNr ON Projekt (ProNr)");
  }

  void Insert(const std::string& number, const std::string& name) {
    db_->Execute("INSERT INTO Projekt (ProNr, Name) VALUES ('" + number + "', '" +
                 name + "')");
  }

  int32_t Count(const std::string& where) {
    auto rs = db_->OpenRecordset("SELECT Count(*) AS Anzahl FROM Projekt WHERE " + where);
    return CLng(rs->Fields()["Anzahl"].Value());
  }

  PgCluster* cluster_ = nullptr;
  std::string database_;
  std::string conninfo_;
  std::shared_ptr<Database> db_;
};

TEST_F(PgDatabaseTest, ValuesOfEveryTypeComeBackAsWritten) {
  db_->Execute(
      "INSERT INTO Projekt (ProNr, Name, Gesperrt, Beginn, Summe, Menge) "
      "VALUES ('4711', 'Schule', True, #3/5/2024 14:30:00#, 12.3456, 0.1)");
  auto rs = db_->OpenRecordset("SELECT * FROM Projekt WHERE Gesperrt = True");
  ASSERT_FALSE(rs->Eof());
  Fields& f = rs->Fields();
  EXPECT_EQ(f["PRONR"].Value(), Variant("4711"));
  EXPECT_EQ(CLng(f["Gesperrt"].Value()), -1);
  EXPECT_EQ(CStr(f["Beginn"].Value()), CStr(Variant(Date{45356.0 + 14.5 / 24})));
  EXPECT_EQ(f["Beginn"].Type(), kTypeDate);
  EXPECT_EQ(f["Summe"].Type(), kTypeCurrency);
  EXPECT_DOUBLE_EQ(CDbl(f["Summe"].Value()), 12.3456);
  EXPECT_EQ(f["Menge"].Value(), Variant(0.1));
  EXPECT_EQ(f["Name"].Type(), kTypeText);
  EXPECT_EQ(f["Name"].Size(), 50);
  EXPECT_EQ(f["Notiz"].Type(), kTypeMemo);
  EXPECT_TRUE(f["Notiz"].Value().IsNull());
  EXPECT_EQ(f["Daten"].Type(), kTypeLongBinary);

  // Through the edit buffer: a date, a boolean, bytes, a text with quotes.
  rs->Edit();
  f["Beginn"].SetValue(Variant(Date{45000.25}));
  f["Gesperrt"].SetValue(Variant(false));
  f["Daten"].SetValue(Variant(ByteArray{0, 1, 2, 255}));
  f["Notiz"].SetValue(Variant("O'Neil \"Müller\""));
  rs->Update();
  auto again = db_->OpenRecordset("SELECT Beginn, Gesperrt, Daten, Notiz FROM Projekt");
  EXPECT_EQ(CDbl(again->Fields()["Beginn"].Value()), 45000.25);
  EXPECT_EQ(CLng(again->Fields()["Gesperrt"].Value()), 0);
  EXPECT_EQ(again->Fields()["Daten"].Value(), Variant(ByteArray{0, 1, 2, 255}));
  EXPECT_EQ(again->Fields()["Notiz"].Value(), Variant("O'Neil \"Müller\""));
  EXPECT_EQ(Count("Beginn < #1/1/2024# AND Gesperrt = False"), 1);
}

TEST_F(PgDatabaseTest, FieldNamesAreSpelledAsTheStatementSpellsThem) {
  Insert("1", "a");
  auto rs = db_->OpenRecordset("SELECT ProNr, [Name] AS Bezeichnung, Len(Name) FROM Projekt");
  EXPECT_EQ(rs->Fields()[0].Name(), "ProNr");
  EXPECT_EQ(rs->Fields()[1].Name(), "Bezeichnung");
  EXPECT_EQ(rs->Fields()["PRONR"].Value(), Variant("1"));
  auto all = db_->OpenRecordset("Projekt");
  EXPECT_NE(all->Fields().Find("ProNr"), nullptr);
}

// A statement opened again finds its description kept with the prepared
// statement: names the statement's text gives must still be its own, and a
// column added since must show.
TEST_F(PgDatabaseTest, AStatementOpenedAgainGivesItsOwnNamesAndANewColumn) {
  Insert("1", "a");
  for (const char* alias : {"Bez", "BEZ", "bez"}) {
    auto rs = db_->OpenRecordset("SELECT [Name] AS [" + std::string(alias) +
                                 "] FROM Projekt WHERE ProNr = '1'");
    EXPECT_EQ(rs->Fields()[0].Name(), alias);
    EXPECT_EQ(rs->Fields()[0].Value(), Variant("a"));
  }
  for (int round = 0; round < 2; ++round) {
    auto rs = db_->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = '1'",
                                 Variant(int32_t{kOpenDynaset}));
    EXPECT_EQ(rs->Fields()[0].Name(), "Id");
    EXPECT_EQ(rs->Fields()["ProNr"].Value(), Variant("1"));
  }
  db_->Execute("ALTER TABLE Projekt ADD COLUMN Ort TEXT(30)");
  db_->Execute("UPDATE Projekt SET Ort = 'Hof'");
  auto rs = db_->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = '1'",
                               Variant(int32_t{kOpenDynaset}));
  ASSERT_NE(rs->Fields().Find("Ort"), nullptr);
  EXPECT_EQ(rs->Fields()["Ort"].Value(), Variant("Hof"));
  rs->Edit();
  rs->Fields()["Ort"].SetValue(Variant("Selb"));
  rs->Update();
  EXPECT_EQ(Count("Ort = 'Selb'"), 1);
}

// A program that has set a German locale still writes and reads numbers
// in the server's form ("1250.5", not "1250,5").
TEST_F(PgDatabaseTest, NumbersCrossWhateverTheProcesssLocale) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 not installed";
  auto rs = db_->OpenRecordset("Projekt", Variant(int32_t{kOpenDynaset}));
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue(Variant("1"));
  rs->Fields()["Menge"].SetValue(Variant(1250.5));
  rs->Fields()["Summe"].SetValue(Variant(-0.125));
  rs->Update();
  db_->Execute("INSERT INTO Projekt (ProNr, Menge) VALUES ('2', 2.75)");
  auto again = db_->OpenRecordset("SELECT Menge, Summe FROM Projekt ORDER BY ProNr");
  EXPECT_EQ(again->Fields()["Menge"].Value(), Variant(1250.5));
  EXPECT_DOUBLE_EQ(CDbl(again->Fields()["Summe"].Value()), -0.125);
  again->MoveNext();
  EXPECT_EQ(again->Fields()["Menge"].Value(), Variant(2.75));
  EXPECT_EQ(Count("Menge > 1250.25"), 1);
}

// Bytes go in and come out piece by piece, in order and whole; a failing
// reader of the pieces leaves the object working, and a statement from
// inside it takes another connection.
TEST_F(PgDatabaseTest, ByteColumnsStreamInAndOutWhole) {
  Insert("1", "a");
  auto rs = db_->OpenRecordset("SELECT ProNr, Name FROM Projekt WHERE ProNr = '1'",
                               Variant(int32_t{kOpenDynaset}));
  std::string out;
  auto collect = [&](std::string_view piece) { out.append(piece); };
  EXPECT_FALSE(rs->StreamField("Daten", collect)) << "null";

  const size_t size = (5u << 19) + 3;  // two and a half pieces
  size_t given = 0;
  rs->LoadField("Daten", static_cast<int64_t>(size), [&](char* buffer, size_t wanted) {
    for (size_t i = 0; i < wanted; ++i) buffer[i] = static_cast<char>((given + i) * 7 % 251);
    given += wanted;
    return wanted;
  });
  int pieces = 0;
  EXPECT_TRUE(rs->StreamField("Daten", [&](std::string_view piece) {
    ++pieces;
    out.append(piece);
    EXPECT_EQ(CLng(db_->OpenRecordset("SELECT Count(*) AS n FROM Projekt")->Fields()[0].Value()),
              1);
  }));
  EXPECT_EQ(pieces, 3);
  ASSERT_EQ(out.size(), size);
  bool intact = true;
  for (size_t i = 0; i < size; ++i) intact = intact && out[i] == static_cast<char>(i * 7 % 251);
  EXPECT_TRUE(intact);

  EXPECT_THROW(rs->StreamField("Daten", [](std::string_view) { Raise(61); }), Error);
  EXPECT_EQ(Count("ProNr = '1'"), 1);
  rs->LoadField("Daten", 0, [](char*, size_t) -> size_t { return 0; });
  out.clear();
  EXPECT_TRUE(rs->StreamField("Daten", collect)) << "empty, not null";
  EXPECT_EQ(out, "");

  db_->Execute("DELETE FROM Projekt");
  EXPECT_EQ(ErrorOf([&] { rs->StreamField("Daten", collect); }), kErrWriteConflict);
}

TEST_F(PgDatabaseTest, TextsCompareAndSortWithoutRegardToCaseGermanLettersIncluded) {
  Insert("1", "Äpfel");
  Insert("2", "äPFEL");
  Insert("3", "Ofen");
  Insert("4", "Ärger");
  Insert("5", "apfel");
  EXPECT_EQ(Count("Name = 'ÄPFEL'"), 2);
  EXPECT_EQ(Count("Name = \"äpfel\""), 2);
  EXPECT_EQ(Count("Name LIKE 'äp%'"), 2);
  EXPECT_EQ(Count("UCase(Name) = 'ÄRGER'"), 1);
  EXPECT_EQ(Count("Name IN ('ofen', 'ÄRGER')"), 2);
  auto rs = db_->OpenRecordset("SELECT Name FROM Projekt ORDER BY Name, ProNr");
  std::vector<std::string> order;
  for (; !rs->Eof(); rs->MoveNext()) order.push_back(CStr(rs->Fields()[0].Value()));
  EXPECT_EQ(order, (std::vector<std::string>{"apfel", "Äpfel", "äPFEL", "Ärger", "Ofen"}));
}

TEST_F(PgDatabaseTest, TheDialectsFunctionsAndOperatorsWork) {
  Insert("7", "Mauer");
  auto rs = db_->OpenRecordset(
      "SELECT Mid(Name, 2, 3) AS m, Left(Name, 2) AS l, Right(Name, 2) AS r, "
      "LCase(Name) & '-' & ProNr AS c, 7 \\ 2 AS d, IIf(ProNr = '7', 'ja', 'nein') AS i, "
      "Nz(Notiz, 'leer') AS n, Year(#3/5/2024#) AS y FROM Projekt");
  Fields& f = rs->Fields();
  EXPECT_EQ(f["m"].Value(), Variant("aue"));
  EXPECT_EQ(f["l"].Value(), Variant("Ma"));
  EXPECT_EQ(f["r"].Value(), Variant("er"));
  EXPECT_EQ(f["c"].Value(), Variant("mauer-7"));
  EXPECT_EQ(CLng(f["d"].Value()), 3);
  EXPECT_EQ(f["i"].Value(), Variant("ja"));
  EXPECT_EQ(f["n"].Value(), Variant("leer"));
  EXPECT_EQ(CLng(f["y"].Value()), 2024);
  db_->Execute("Delete * from Projekt");
  EXPECT_EQ(db_->RecordsAffected(), 1);
}

TEST_F(PgDatabaseTest, ARecordsetOnALargeTableReadsOnlyWhatItReaches) {
  db_->Execute("@INSERT INTO projekt (pronr) SELECT g::text FROM generate_series(1, 30000) g");
  EXPECT_EQ(db_->RecordsAffected(), 30000);
  auto rs = db_->OpenRecordset("SELECT * FROM Projekt ORDER BY Id");
  EXPECT_LE(rs->RecordCount(), 2);
  rs->MoveNext();
  EXPECT_EQ(rs->Fields()["ProNr"].Value(), Variant("2"));
  // Other statements meanwhile take another connection; the recordset goes on.
  db_->Execute("UPDATE Projekt SET Name = 'x' WHERE ProNr = '30000'");
  auto other = db_->OpenRecordset("SELECT Name FROM Projekt WHERE ProNr = '30000'");
  EXPECT_EQ(other->Fields()[0].Value(), Variant("x"));
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 30000);
  const Variant mark = rs->Bookmark();
  rs->MoveFirst();
  rs->SetBookmark(mark);
  EXPECT_EQ(rs->Fields()["ProNr"].Value(), Variant("30000"));
  // Closing one half-read stops it at once.
  auto half = db_->OpenRecordset("SELECT * FROM Projekt");
  half->Close();
  EXPECT_EQ(ErrorOf([&] { half->MoveNext(); }), kErrObjectInvalid);
}

TEST_F(PgDatabaseTest, AddNewShowsTheNumberTheServerGaveAndUpdateRefusesAChangedRow) {
  auto rs = db_->OpenRecordset("SELECT * FROM Projekt");
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue(Variant("100"));
  rs->Update();
  rs->SetBookmark(rs->LastModified());
  const int32_t id = CLng(rs->Fields()["Id"].Value());
  EXPECT_GT(id, 0);
  EXPECT_EQ(rs->RecordCount(), 1);

  auto mine = db_->OpenRecordset("SELECT * FROM Projekt WHERE Id = " + std::to_string(id));
  auto theirs = db_->OpenRecordset("SELECT Name FROM Projekt WHERE Id = " + std::to_string(id));
  mine->Edit();
  theirs->Edit();
  mine->Fields()["Name"].SetValue(Variant("meins"));
  theirs->Fields()["Name"].SetValue(Variant("seins"));
  mine->Update();
  EXPECT_EQ(ErrorOf([&] { theirs->Update(); }), kErrWriteConflict);
  EXPECT_EQ(mine->Fields()["Name"].Value(), Variant("meins"));
  // A second change of the same recordset's row is its own: allowed.
  mine->Edit();
  mine->Fields()["Name"].SetValue(Variant("wieder"));
  mine->Update();
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue(Variant("100"));
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrDuplicateValue);
}

TEST_F(PgDatabaseTest, EightProcessesChangingOneRowHaveExactlyOneWinnerPerRound) {
  Insert("1", "start");
  db_.reset();
  for (int round = 0; round < 3; ++round) {
    int ready[2], go[2], result[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(result), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 8; ++i) {
      pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        char outcome = 'e';
        try {
          // A connection text of its own: nothing of the parent's is used.
          auto db = OpenServerDatabase(
              conninfo_ + " application_name=kind" + std::to_string(i),
              "Dummy.VX3DB", kWholeDatabase, false);
          auto rs = db->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = '1'");
          rs->Edit();
          rs->Fields()["Name"].SetValue(Variant("kind " + std::to_string(i)));
          char byte = 1;
          (void)!write(ready[1], &byte, 1);
          (void)!read(go[0], &byte, 1);
          try {
            rs->Update();
            outcome = 'w';
          } catch (const Error& error) {
            outcome = error.number() == kErrWriteConflict ? 'l' : 'x';
          }
        } catch (const Error&) {
          outcome = 'e';
        }
        (void)!write(result[1], &outcome, 1);
        _exit(0);
      }
      children.push_back(pid);
    }
    for (int i = 0; i < 8; ++i) {
      char byte;
      ASSERT_EQ(read(ready[0], &byte, 1), 1);
    }
    const char bytes[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_EQ(write(go[1], bytes, 8), 8);
    int winners = 0, losers = 0;
    for (int i = 0; i < 8; ++i) {
      char outcome;
      ASSERT_EQ(read(result[0], &outcome, 1), 1);
      winners += outcome == 'w';
      losers += outcome == 'l';
    }
    for (pid_t pid : children) waitpid(pid, nullptr, 0);
    for (int fd : {ready[0], ready[1], go[0], go[1], result[0], result[1]}) close(fd);
    EXPECT_EQ(winners, 1) << "round " << round;
    EXPECT_EQ(losers, 7) << "round " << round;
  }
}

TEST_F(PgDatabaseTest, FailuresCarryTheEnginesNumbers) {
  Insert("1", "a");
  EXPECT_EQ(ErrorOf([&] { Insert("1", "b"); }), kErrDuplicateValue);
  EXPECT_EQ(ErrorOf([&] { db_->OpenRecordset("SELECT * FROM Fehlt"); }), kErrTableNotFound);
  EXPECT_EQ(ErrorOf([&] { db_->OpenRecordset("SELECT Fehlt FROM Projekt"); }),
            kErrTooFewParameters);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("SELECT * FROM Projekt"); }),
            kErrCannotExecuteSelect);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("DELETE FROM Projekt; DROP TABLE Projekt"); }),
            kErrTextAfterEnd);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("INSERT INTO Projekt (ProNr) VALUES (Null)"); }),
            kErrRequiredField);
  EXPECT_EQ(ErrorOf([&] {
              db_->Execute("UPDATE Projekt SET Name = '" + std::string(51, 'x') + "'");
            }),
            kErrFieldTooSmall);
  EXPECT_EQ(ErrorOf([&] {
              OpenServerDatabase(cluster_->ConnectionString("gibtsnicht"), "x",
                                 kWholeDatabase, false);
            }),
            kErrFileNotFound);
  EXPECT_EQ(ErrorOf([&] {
              OpenServerDatabase("host=/nonexistent/socket dbname=vx", "x",
                                 kWholeDatabase, false);
            }),
            kErrConnectionFailed);
  auto read_only = OpenServerDatabase(conninfo_, "Dummy.VX3DB", kWholeDatabase, true);
  EXPECT_EQ(ErrorOf([&] { read_only->Execute("DELETE FROM Projekt"); }), kErrReadOnly);
  read_only->Close();
  EXPECT_EQ(ErrorOf([&] { read_only->Name(); }), kErrObjectInvalid);
}

TEST_F(PgDatabaseTest, ALostConnectionIsReportedOnceAndThenMadeAnew) {
  Insert("1", "a");
  cluster_->RunAsSuperuser(
      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
      "WHERE datname = current_database() AND pid <> pg_backend_pid()",
      database_);
  EXPECT_EQ(ErrorOf([&] { Count("1 = 1"); }), kErrConnectionFailed);
  EXPECT_EQ(Count("1 = 1"), 1);
}

TEST_F(PgDatabaseTest, NothingReachesTheServersSettingsOrCatalogue) {
  // Functions the dialect does not know, the catalogue, tables made by
  // SELECT: refused before the server sees them.
  for (const char* sql : {
           "SELECT set_config('vx.vid', '', false) FROM Projekt",
           "SELECT current_setting('vx.vid') FROM Projekt",
           "SELECT * FROM Projekt WHERE Name = pg_catalog.set_config('vx.vid', '', false)",
           "SELECT * FROM pg_settings",
           "SELECT * INTO Kopie FROM Projekt",
           "SELECT * FROM Projekt WHERE Id IN (SELECT oid FROM pg_class)",
           "SELECT Name FROM Projekt WHERE Name = Format(Now(), 'yyyy')",
       }) {
    const int32_t error = ErrorOf([&] { db_->OpenRecordset(sql); });
    EXPECT_TRUE(error == kErrUndefinedFunction || error == kErrTableNotFound ||
                error == kErrInvalidStatement)
        << sql << ": " << error;
  }
  EXPECT_EQ(ErrorOf([&] { db_->Execute("UPDATE pg_settings SET setting = '' WHERE name = 'vx.vid'"); }),
            kErrTableNotFound);
  EXPECT_EQ(ErrorOf([&] { db_->Execute("SET vx.vid = ''"); }), kErrInvalidStatement);
}

TEST_F(PgDatabaseTest, TransactionsWriteAllOrNothing) {
  EXPECT_THROW(db_->InTransaction([&] {
    Insert("1", "a");
    Insert("1", "b");
  }), Error);
  EXPECT_EQ(Count("1 = 1"), 0);
  db_->InTransaction([&] {
    Insert("1", "a");
    auto rs = db_->OpenRecordset("SELECT * FROM Projekt");
    EXPECT_EQ(rs->RecordCount(), 1);
    Insert("2", "b");
  });
  EXPECT_EQ(Count("1 = 1"), 2);
}

}  // namespace
}  // namespace vx::dao
