// The dialect against a real file: German letters in comparisons, sorting
// and indexes, the stock sqlite3 shell on what the engine wrote, the
// dialect's functions and operators, and columns described anew after
// another connection changed a table.

#include "engine/dialect_functions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdio.h>

#include "engine/engine_test_util.h"
#include "engine/sql_dialect.h"
#include "support/test_support.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;

class EngineDialectFile : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    db_ = Open();
    for (const char* number : {"Müller", "Ärger", "O''Neil", "Ä-1", "Zeder",
                               "Straße", "arm", "Öl"}) {
      db_->Execute("INSERT INTO Projekt (ProNr) VALUES ('" + std::string(number) + "')");
    }
  }

  std::string Column(const std::string& sql) { return testing::ColumnOf(*db_, sql); }

  // SQLite's plan for a dialect statement, its details joined by "|".
  std::string Plan(const std::string& dialect) {
    const TranslatedStatement t = TranslateStatement(dialect);
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    RegisterDialectFunctions(raw);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, ("EXPLAIN QUERY PLAN " + t.sql).c_str(), -1,
                                 &stmt, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(raw);
    std::string plan;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      plan += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3));
      plan += "|";
    }
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
    return plan;
  }

  std::shared_ptr<Database> db_;
};

TEST_F(EngineDialectFile, ComparesAndSortsWithTheGermanLettersFolded) {
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr = 'MÜLLER'"), "Müller");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr = 'ä-1'"), "Ä-1");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr = 'STRAẞE'"), "Straße");
  EXPECT_EQ(Column("SELECT Count(*) FROM Projekt WHERE ProNr <> 'öl'"), "7");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr > 'Zebra'"), "Zeder");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr IN ('ÄRGER', 'x')"), "Ärger");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr LIKE 'mü%'"), "Müller");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr LIKE '_L'"), "Öl");
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr = 'mueller'"), "");
  // Umlauts sort beside their base letters, ß as "ss".
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt ORDER BY ProNr"),
            "Ä-1|Ärger|arm|Müller|O'Neil|Öl|Straße|Zeder");
  EXPECT_EQ(Column("SELECT TOP 2 ProNr FROM Projekt ORDER BY 1 DESC"), "Zeder|Straße");
  EXPECT_EQ(Column("SELECT UCase(ProNr) & '/' & LCase(ProNr) FROM Projekt "
                   "WHERE ProNr = 'müller'"),
            "MÜLLER/müller");
  EXPECT_EQ(Column("SELECT Count(*) FROM Projekt GROUP BY UCase(ProNr) "
                   "HAVING ProNr = 'ÖL'"),
            "1");
}

TEST_F(EngineDialectFile, LookupsByNumberUseTheIndex) {
  for (const char* number : {"4711", "Ä-1", "Straße"}) {
    const std::string plan =
        Plan("SELECT * FROM Projekt WHERE ProNr = '" + std::string(number) + "'");
    EXPECT_NE(plan.find("USING INDEX ixProNr"), std::string::npos)
        << number << ": " << plan;
  }
}

// The stock shell, a program that knows none of the connection's
// functions, reads and checks what the engine wrote.
TEST_F(EngineDialectFile, StockShellChecksTheFileWithGermanKeys) {
  if (system("command -v sqlite3 >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "the sqlite3 shell is not installed";
  }
  db_->Execute("UPDATE Projekt SET ProNr = UCase(ProNr) & 'ü' WHERE ProNr LIKE 'ä%'");
  db_->Execute("DELETE FROM Projekt WHERE ProNr = 'ÖL'");
  db_->Close();
  const std::string command =
      "sqlite3 '" + path_ +
      "' 'PRAGMA integrity_check' "
      "\"SELECT group_concat(ProNr, '|') FROM (SELECT ProNr FROM Projekt "
      "WHERE ProNr >= 'Ä' ORDER BY ProNr)\" "
      "\"INSERT INTO Projekt (ProNr) VALUES ('Übel')\" 'PRAGMA integrity_check' 2>&1";
  FILE* shell = popen(command.c_str(), "r");
  ASSERT_NE(shell, nullptr);
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, shell) != nullptr) output += buffer;
  EXPECT_EQ(pclose(shell), 0) << output;
  EXPECT_EQ(output, "ok\nÄ-1ü|ÄRGERü\nok\n");
  // The engine finds the shell's row by its index.
  db_ = Open();
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE ProNr = 'übel'"), "Übel");
}

TEST_F(EngineDialectFile, TranslatesTheDialectsFunctionsAsJetMeansThem) {
  db_->Execute("UPDATE Projekt SET Beginn = #3/5/2024 14:07:09#, Budget = 1.25, "
               "ProBez = Null WHERE ProNr = 'arm'");
  db_->Execute("UPDATE Projekt SET Beginn = #12/24/2023#, Budget = 2.5 "
               "WHERE ProNr = 'Zeder'");
  EXPECT_EQ(Column("SELECT Nz(ProBez) & '|' & Nz(ProBez, 'leer') & "
                   "(Null & 'a') & (Null & Null) FROM Projekt WHERE ProNr = 'arm'"),
            "|leera");
  EXPECT_TRUE(db_->OpenRecordset("SELECT Null & Null FROM Projekt")->Fields()[0]
                  .Value().IsNull());
  EXPECT_EQ(Column("SELECT Format(Beginn, 'yyyy') & ' ' & Format(Beginn, 'dd.mm.yy hh:nn') "
                   "& ' ' & Format(Beginn, 'q-w-y') & ' ' & Format(Beginn) "
                   "FROM Projekt WHERE ProNr = 'arm'"),
            "2024 05.03.24 14:07 1-3-65 2024-03-05 14:07:09");
  EXPECT_EQ(Column("SELECT Format(Budget, '0.00') FROM Projekt WHERE ProNr = 'arm'"),
            FormatNumber(1.25, "0.00"));
  EXPECT_EQ(Column("SELECT 10 \\ 3 & ',' & -7 \\ 2 & ',' & 2.5 \\ 1 & ',' & "
                   "3.5 \\ 1 & ',' & Nz(1 \\ 0, 'n') FROM Projekt WHERE ProNr = 'arm'"),
            "3,-3,2,4,n");
  EXPECT_EQ(Column("SELECT Count(*) FROM Projekt WHERE IsRVProj = No AND NOT IsRVProj = Yes"), "8");
  // Max of a date column is a date, Sum of a currency column currency.
  std::shared_ptr<Recordset> rs = db_->OpenRecordset(
      "SELECT Max(Beginn) AS Zuletzt, Sum(Budget), Min(p.ProNr), Sum(Menge) "
      "FROM Projekt AS p WHERE Budget > 0");
  Fields& f = rs->Fields();
  EXPECT_EQ(f[0].Type(), kTypeDate);
  EXPECT_EQ(f[0].Value(), Variant(DateFromParts(2024, 3, 5, 14, 7, 9)));
  EXPECT_EQ(f[1].Type(), kTypeCurrency);
  EXPECT_EQ(f[1].Value(), Variant(Currency{37500}));
  EXPECT_EQ(f[2].Type(), kTypeText);
  EXPECT_EQ(f[2].Value(), Variant("arm"));
  EXPECT_TRUE(f[3].Value().IsNull());
  // TOP in a subquery.
  EXPECT_EQ(Column("SELECT ProNr FROM Projekt WHERE Id IN "
                   "(SELECT TOP 1 Id FROM Projekt ORDER BY Beginn DESC)"),
            "arm");
}

TEST_F(EngineDialectFile, ReopenedRecordsetFollowsATableMadeAnew) {
  db_->Execute("INSERT INTO Nummer (Id, Name) VALUES (1, 'eins')");
  const std::string sql = "SELECT * FROM Nummer";
  EXPECT_EQ(db_->OpenRecordset(sql)->Fields()[0].Name(), "Id");
  {
    // Another user makes the table anew, its columns in another order.
    std::shared_ptr<Database> other = Open();
    other->Execute("DROP TABLE Nummer");
    other->Execute("CREATE TABLE Nummer (Name TEXT(10), Id LONG)");
    other->Execute("INSERT INTO Nummer (Name, Id) VALUES ('sieben', 7)");
  }
  std::shared_ptr<Recordset> rs = db_->OpenRecordset(sql);
  Fields& f = rs->Fields();
  EXPECT_EQ(f[0].Name(), "Name");
  EXPECT_EQ(f["Id"].Value(), Variant(int32_t{7}));
  EXPECT_EQ(f["Id"].Type(), kTypeLong);
  EXPECT_EQ(f["Name"].Value(), Variant("sieben"));
  rs->Edit();
  f["Name"].SetValue("acht");
  rs->Update();
  EXPECT_EQ(Column("SELECT Name FROM Nummer WHERE Id = 7"), "acht");
}

TEST_F(EngineDialectFile, MalformedStatementsFailCleanly) {
  EXPECT_EQ(ErrorOf([&] { db_->Execute("CREATE TABLE T (a TEXT b c"); }),
            kErrTableDefinition);
  // "x-True" subtracts; it never comments out the rest.
  db_->Execute("UPDATE Projekt SET IsRVProj = True WHERE ProNr = 'arm' OR ProNr = 'Öl'");
  db_->Execute("DELETE FROM Projekt WHERE IsRVProj-True AND ProNr = 'arm'");
  EXPECT_EQ(db_->RecordsAffected(), 0);
  EXPECT_EQ(Column("SELECT Count(*) FROM Projekt WHERE IsRVProj = True"), "2");
}

}  // namespace
}  // namespace vx::dao
