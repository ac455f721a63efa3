// Opening a database and reading one row by key, through the library and
// through the SQLite C API in the same run.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "data/connections.h"
#include "engine/schema.h"
#include "bench_support.h"
#include "ratio_reporter.h"

namespace vx::bench {
namespace {

constexpr int kRows = 10000;

// A project database in a temporary settings home, filled once.  The home
// holds a settings file, as every installation's does: without one, each
// open would look for it in the folder (in any case of its name) to learn
// whether the data lie on a server.
struct Fixture {
  Fixture() : home(MakeSettingsHome()), path(home + "/PROJEKT.VX3DB") {
    WriteSettingsFile(home + "/Tarvano.INI",
                      "[Datei Verzeichnisse]\nPROJEKT=" + home + "\n");
    dao::CreateDatabase(path,
                        "CREATE TABLE Projekt (Id COUNTER, ProNr TEXT(50), "
                        "ProBez TEXT(255), ProOrt TEXT(100), BudgetNetto DOUBLE, "
                        "SatzLockKZ YESNO, Aktualisierung DATETIME);",
                        kSuitePassword);
    FillProjects(path,
                 "INSERT INTO Projekt (ProNr, ProBez, ProOrt, BudgetNetto, "
                 "SatzLockKZ, Aktualisierung) VALUES (?, ?, 'Musterstadt', "
                 "1234.5, 0, '2024-01-02 10:00:00')",
                 kRows);
    AwaitSettledSettings();
  }
  ~Fixture() { std::filesystem::remove_all(home); }

  std::string home;
  std::string path;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void BM_OpenDb_CloseDb(benchmark::State& state) {
  const std::string& path = TheFixture().path;
  for (auto _ : state) {
    Variant connect(kBareConnect);
    DbHandle db = OpenDb(path, false, Variant(false), connect, true);
    CloseDb(db);
  }
}

// The same work: open, check the password row, close.
void BM_Sqlite_Open_Close(benchmark::State& state) {
  const std::string& path = TheFixture().path;
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 200);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM vx_password", -1, &stmt, nullptr);
    benchmark::DoNotOptimize(sqlite3_step(stmt));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
}

void BM_Recordset_ReadByKey(benchmark::State& state) {
  Variant connect(kBareConnect);
  DbHandle db = OpenDb(TheFixture().path, false, Variant(false), connect, true);
  int id = 0;
  for (auto _ : state) {
    id = id % kRows + 1;
    RsHandle rs = db->OpenRecordset(
        "SELECT * FROM Projekt WHERE Id = " + std::to_string(id),
        Variant(dao::kOpenSnapshot));
    dao::Fields& fields = rs->Fields();
    for (int32_t i = 0; i < fields.Count(); ++i) {
      benchmark::DoNotOptimize(fields[i].Value());
    }
    CloseRs(rs);
  }
  CloseDb(db);
}

// The same work: a prepared lookup, every column read.
void BM_Sqlite_PreparedLookup(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(TheFixture().path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM Projekt WHERE Id = ?", -1, &stmt, nullptr);
  int id = 0;
  for (auto _ : state) {
    id = id % kRows + 1;
    sqlite3_bind_int(stmt, 1, id);
    if (sqlite3_step(stmt) == SQLITE_ROW) ReadEveryColumn(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

BENCHMARK(BM_OpenDb_CloseDb);
BENCHMARK(BM_Sqlite_Open_Close);
BENCHMARK(BM_Recordset_ReadByKey);
BENCHMARK(BM_Sqlite_PreparedLookup);

}  // namespace
}  // namespace vx::bench

int main(int argc, char** argv) {
  return vx::bench::RunWithRatios(
      argc, argv,
      {{"OpenDb + CloseDb", "BM_OpenDb_CloseDb", "BM_Sqlite_Open_Close"},
       {"one row by key through a recordset", "BM_Recordset_ReadByKey",
        "BM_Sqlite_PreparedLookup"}});
}
