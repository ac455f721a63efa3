// The project object's operations on a table of 100,000 projects, each
// against the same work done directly through the SQLite C API in the same
// run.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "data/connections.h"
#include "data/schema_scripts.h"
#include "engine/schema.h"
#include "bench_support.h"
#include "ratio_reporter.h"
#include "vx_taluvek/cls_projekt.h"

namespace vx::bench {
namespace {

constexpr int kRows = 100000;

// An installation in a temporary settings home whose PROJEKT.VX3DB, made
// from the template, holds kRows projects numbered P1 to P100000.
struct Fixture {
  Fixture() : home(MakeSettingsHome()) {
    settings = home + "/Tarvano.INI";
    WriteSettingsFile(settings,
                      "[Datei Verzeichnisse]\nPROJEKT=" + home + "\n");
    path = home + "/PROJEKT.VX3DB";
    dao::CreateDatabase(path, SchemaScript("PRJSTRUK"), kSuitePassword);
    FillProjects(path,
        "INSERT INTO Projekt (ProNr, ProBez, ProWaehrung, ProStrasse, ProPLZ, "
        "ProOrt, ProLand, Gemeinde, Gemarkung, FlurNr, FlurStueckNr, IsRVProj, "
        "SatzLockKZ, StrukturId, LastUser, DinKZ, Archiviert, NNF, FF, VF, "
        "NRI, "
        "ProMwSt, BudgetNetto, BudgetBrutto, SchaetzNetto, SchaetzBrutto, "
        "ObjNetto, ObjBrutto, Aktualisierung, Baubeginn, Bauende, "
        "LetzteSicherung, Bemerkung) VALUES (?, ?, 'EUR', 'Hauptstr. 1', "
        "'80331', 'Musterstadt', 'Bayern', 'Musterstadt', 'Nord', '12', "
        "'345/6', 0, 0, 3, 12, 1, 0, 1250.5, 980.25, 4200, 3100, 19, "
        "1500000, 1785000, 1400000, 1666000, 1450000, 1725500, "
        "'2024-01-02 10:00:00', '2024-03-01 00:00:00', '2025-06-30 00:00:00', "
        "'2024-01-02 10:00:00', 'Neubau mit Tiefgarage')",
        kRows);
    AwaitSettledSettings();
  }
  ~Fixture() { std::filesystem::remove_all(home); }

  std::string home;
  std::string settings;
  std::string path;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

// A connection of the SQLite C API set up as the engine sets up its own.
sqlite3* OpenRaw() {
  sqlite3* db = nullptr;
  sqlite3_open_v2(TheFixture().path.c_str(), &db, SQLITE_OPEN_READWRITE,
                  nullptr);
  sqlite3_busy_timeout(db, 200);
  sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  return db;
}

// The row to work on in iteration `n`, spread over the table.
int RowOf(int64_t n) { return static_cast<int>((n * 7919) % kRows) + 1; }

// ---- Reading ----

void BM_ProjektRead_ByNumber(benchmark::State& state) {
  TheFixture();
  cls_Projekt p;
  int64_t n = 0;
  for (auto _ : state) {
    int32_t id = 0;
    std::string nr = "P" + std::to_string(RowOf(n++));
    if (!p.bProjektRead(id, nr)) state.SkipWithError("read failed");
  }
}

void BM_ProjektRead_ById(benchmark::State& state) {
  TheFixture();
  cls_Projekt p;
  int64_t n = 0;
  for (auto _ : state) {
    int32_t id = RowOf(n++);
    std::string nr;
    if (!p.bProjektRead(id, nr)) state.SkipWithError("read failed");
  }
}

void SqliteLookup(benchmark::State& state, const char* sql, bool by_number) {
  sqlite3* db = OpenRaw();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  int64_t n = 0;
  for (auto _ : state) {
    const int row = RowOf(n++);
    if (by_number) {
      const std::string nr = "P" + std::to_string(row);
      sqlite3_bind_text(stmt, 1, nr.c_str(), -1, SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_int(stmt, 1, row);
    }
    if (sqlite3_step(stmt) == SQLITE_ROW) ReadEveryColumn(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

void BM_Sqlite_LookupByNumber(benchmark::State& state) {
  SqliteLookup(state, "SELECT * FROM Projekt WHERE ProNr = ?", true);
}

void BM_Sqlite_LookupById(benchmark::State& state) {
  SqliteLookup(state, "SELECT * FROM Projekt WHERE Id = ?", false);
}

// ---- Saving one changed column ----

void BM_DatenWrite_ProjWrite(benchmark::State& state) {
  TheFixture();
  cls_Projekt p;
  int32_t id = 4711;
  std::string nr;
  p.bProjektRead(id, nr);
  int64_t n = 0;
  for (auto _ : state) {
    Variant value("Umbau " + std::to_string(n++));
    Variant column("ProBez");
    p.bProjektDatenWrite(value, column);
    int32_t target = id;
    std::string none;
    if (!p.bProjWrite(target, none)) state.SkipWithError("save failed");
  }
}

void BM_Sqlite_UpdateOneColumn(benchmark::State& state) {
  sqlite3* db = OpenRaw();
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* update = nullptr;
  sqlite3_stmt* commit = nullptr;
  sqlite3_prepare_v2(db, "BEGIN IMMEDIATE", -1, &begin, nullptr);
  sqlite3_prepare_v2(db, "UPDATE Projekt SET ProBez = ? WHERE Id = ?", -1,
                     &update, nullptr);
  sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
  int64_t n = 0;
  for (auto _ : state) {
    const std::string value = "Umbau " + std::to_string(n++);
    sqlite3_step(begin);
    sqlite3_reset(begin);
    sqlite3_bind_text(update, 1, value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(update, 2, 4712);
    sqlite3_step(update);
    sqlite3_reset(update);
    sqlite3_step(commit);
    sqlite3_reset(commit);
  }
  for (sqlite3_stmt* stmt : {begin, update, commit}) sqlite3_finalize(stmt);
  sqlite3_close(db);
}

// ---- Sixteen users saving their own projects at once ----

// Each of 16 processes reads its own project and saves a change of one
// column 30 times, all starting together; reported are the 99th percentile
// of one save's time over all saves, and the saves that failed (a writer
// waits its turn for the write lock: there should be none).
void BM_SixteenUsersSaving(benchmark::State& state) {
  constexpr int kUsers = 16;
  constexpr int kSaves = 30;
  TheFixture();
  for (auto _ : state) {
    int results[2];
    int start[2];
    if (pipe(results) != 0 || pipe(start) != 0) state.SkipWithError("pipe");
    std::vector<pid_t> users;
    for (int u = 0; u < kUsers; ++u) {
      const pid_t pid = fork();
      if (pid == 0) {
        close(start[1]);
        cls_Projekt p;
        int32_t id = 1000 + u;
        std::string nr;
        p.bProjektRead(id, nr);
        char go = 0;
        (void)!read(start[0], &go, 1);
        for (int n = 0; n < kSaves; ++n) {
          Variant value(n);
          Variant column("NNF");
          p.bProjektDatenWrite(value, column);
          int32_t target = id;
          std::string none;
          const auto begin = std::chrono::steady_clock::now();
          const bool saved = p.bProjWrite(target, none);
          const double micros = std::chrono::duration<double, std::micro>(
                                    std::chrono::steady_clock::now() - begin)
                                    .count();
          const double report = saved ? micros : -1;
          (void)!write(results[1], &report, sizeof report);
        }
        _exit(0);
      }
      users.push_back(pid);
    }
    close(start[0]);
    close(results[1]);
    close(start[1]);  // every user starts now
    std::vector<double> times;
    int failed = 0;
    double micros = 0;
    while (read(results[0], &micros, sizeof micros) ==
           static_cast<ssize_t>(sizeof micros)) {
      if (micros < 0) {
        ++failed;
      } else {
        times.push_back(micros);
      }
    }
    close(results[0]);
    for (pid_t pid : users) waitpid(pid, nullptr, 0);
    std::sort(times.begin(), times.end());
    state.counters["p50_us"] = times.empty() ? 0 : times[times.size() / 2];
    state.counters["p99_us"] =
        times.empty() ? 0 : times[times.size() * 99 / 100];
    state.counters["failed"] = failed;
  }
}

// ---- Locking ----

void BM_Lock_Unlock(benchmark::State& state) {
  TheFixture();
  cls_Projekt p;
  for (auto _ : state) {
    int32_t id = 4713;
    std::string nr;
    if (!p.bProjektLock(id, nr) || !p.bProjektUnLock(id, nr)) {
      state.SkipWithError("lock failed");
    }
  }
}

void BM_Sqlite_TwoUpdates(benchmark::State& state) {
  sqlite3* db = OpenRaw();
  sqlite3_stmt* lock = nullptr;
  sqlite3_stmt* unlock = nullptr;
  sqlite3_prepare_v2(db, "UPDATE Projekt SET SatzLockKZ = -1 WHERE Id = ?", -1,
                     &lock, nullptr);
  sqlite3_prepare_v2(db, "UPDATE Projekt SET SatzLockKZ = 0 WHERE Id = ?", -1,
                     &unlock, nullptr);
  for (auto _ : state) {
    for (sqlite3_stmt* stmt : {lock, unlock}) {
      sqlite3_bind_int(stmt, 1, 4714);
      sqlite3_step(stmt);
      sqlite3_reset(stmt);
    }
  }
  sqlite3_finalize(lock);
  sqlite3_finalize(unlock);
  sqlite3_close(db);
}

// ---- Creating an instance ----

void BM_CreateInstance(benchmark::State& state) {
  TheFixture();
  for (auto _ : state) {
    cls_Projekt p;
    benchmark::DoNotOptimize(p.lProjektId());
  }
}

// The same work at its least: open the settings file, find the key.
void BM_ReadSettingsKey(benchmark::State& state) {
  const std::string& settings = TheFixture().settings;
  char line[512];
  for (auto _ : state) {
    FILE* ini = fopen(settings.c_str(), "r");
    std::string value;
    while (fgets(line, sizeof line, ini) != nullptr) {
      if (strncasecmp(line, "PROJEKT=", 8) == 0) value = line + 8;
    }
    fclose(ini);
    benchmark::DoNotOptimize(value);
  }
}

BENCHMARK(BM_ProjektRead_ByNumber);
BENCHMARK(BM_Sqlite_LookupByNumber);
BENCHMARK(BM_ProjektRead_ById);
BENCHMARK(BM_Sqlite_LookupById);
BENCHMARK(BM_DatenWrite_ProjWrite);
BENCHMARK(BM_Sqlite_UpdateOneColumn);
BENCHMARK(BM_SixteenUsersSaving)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lock_Unlock);
BENCHMARK(BM_Sqlite_TwoUpdates);
BENCHMARK(BM_CreateInstance);
BENCHMARK(BM_ReadSettingsKey);

}  // namespace
}  // namespace vx::bench

int main(int argc, char** argv) {
  return vx::bench::RunWithRatios(
      argc, argv,
      {{"bProjektRead by number", "BM_ProjektRead_ByNumber",
        "BM_Sqlite_LookupByNumber"},
       {"bProjektRead by identity", "BM_ProjektRead_ById",
        "BM_Sqlite_LookupById"},
       {"bProjektDatenWrite + bProjWrite", "BM_DatenWrite_ProjWrite",
        "BM_Sqlite_UpdateOneColumn"},
       {"bProjektLock + bProjektUnLock", "BM_Lock_Unlock",
        "BM_Sqlite_TwoUpdates"},
       {"new cls_Projekt", "BM_CreateInstance", "BM_ReadSettingsKey"}});
}
