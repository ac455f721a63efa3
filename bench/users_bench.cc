// Creating projects and checking rights with an active user
// administration, each against the same work done directly through the
// SQLite C API in the same run; and the time of one password check.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "data/connections.h"
#include "data/schema_scripts.h"
#include "engine/schema.h"
#include "platform/module_state.h"
#include "ratio_reporter.h"
#include "users/password_hash.h"
#include "users/rights_queries.h"
#include "users/user_admin.h"
#include "vx_taluvek/cls_projekt.h"

namespace vx::bench {
namespace {

constexpr int kManyRows = 100000;
constexpr int kFewRows = 100;

// An installation with a user database (the administration on; bert in a
// group that holds PROJ_NEW) and two project databases, of 100,000 and of
// 100 projects, each named by a settings file of its own.
struct Fixture {
  Fixture() : home(MakeSettingsHome()) {
    for (const char* folder : {"/lizenz", "/gross", "/klein"}) {
      mkdir((home + folder).c_str(), 0777);
    }
    for (const char* name : {"gross", "klein"}) {
      WriteSettingsFile(home + "/" + name + ".INI",
                        "[Datei Verzeichnisse]\nPROJEKT=" + home + "/" + name +
                            "\nLIZENZ=" + home + "/lizenz\n");
    }
    const char* insert = "INSERT INTO Projekt (ProNr, ProBez) VALUES (?, ?)";
    for (const auto& [name, rows] : {std::pair{"gross", kManyRows},
                                     std::pair{"klein", kFewRows}}) {
      const std::string path = home + "/" + name + "/PROJEKT.VX3DB";
      dao::CreateDatabase(path, SchemaScript("PRJSTRUK"), kSuitePassword);
      FillProjects(path, insert, rows);
    }
    dao::CreateDatabase(home + "/lizenz/USER.VX3DB", SchemaScript("USERSTRUK"),
                        kSuitePassword);
    State().sProgKey = "gross.INI";
    bert = AddUser("bert", "bert123", kBenutzerArtNormal);
    AddGroup("Planung");
    JoinGroup("Planung", "bert");
    SetModuleRight("Planung", "PROJ_NEW", true);
    AwaitSettledSettings();
  }
  ~Fixture() { std::filesystem::remove_all(home); }

  std::string home;
  int32_t bert = 0;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

sqlite3* OpenRaw(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(db, 200);
  sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  return db;
}

// bProjektNeu by a logged-in user with the right, on one instance.
void ProjektNeu(benchmark::State& state, const char* settings) {
  Fixture& f = TheFixture();
  State().sProgKey = settings;
  State().lUserId = f.bert;
  cls_Projekt p;
  for (auto _ : state) {
    int32_t id = 0;
    std::string nr;
    bool rv = false;
    if (!p.bProjektNeu(id, nr, rv)) state.SkipWithError("bProjektNeu");
  }
}
void BM_ProjektNeu_100000(benchmark::State& state) {
  ProjektNeu(state, "gross.INI");
}
void BM_ProjektNeu_100(benchmark::State& state) {
  ProjektNeu(state, "klein.INI");
}

void BM_Sqlite_InsertProject(benchmark::State& state) {
  sqlite3* db = OpenRaw(TheFixture().home + "/gross/PROJEKT.VX3DB");
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Projekt (ProNr, IsRVProj) VALUES (?, 0)",
                     -1, &stmt, nullptr);
  for (auto _ : state) {
    sqlite3_bind_text(stmt, 1, "<Neues Projekt>1", -1, SQLITE_STATIC);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(sqlite3_last_insert_rowid(db));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

void BM_HatRecht(benchmark::State& state) {
  Fixture& f = TheFixture();
  State().sProgKey = "gross.INI";
  for (auto _ : state) {
    if (!bHatRecht(f.bert, "PROJ_NEW", false, "")) {
      state.SkipWithError("bHatRecht");
    }
  }
}

// What deciding the right needs: the user's row, then the groups' right.
void BM_Sqlite_RightQueries(benchmark::State& state) {
  sqlite3* db = OpenRaw(TheFixture().home + "/lizenz/USER.VX3DB");
  sqlite3_stmt* user = nullptr;
  sqlite3_stmt* right = nullptr;
  sqlite3_prepare_v2(db, "SELECT BenutzerArt, Gesperrt FROM User WHERE Id = ?",
                     -1, &user, nullptr);
  sqlite3_prepare_v2(
      db,
      "SELECT COUNT(*) FROM (RechtModul INNER JOIN LNK_BenutzerGrp_RechtModul "
      "ON RechtModul.Id = LNK_BenutzerGrp_RechtModul.RechtModulId) INNER JOIN "
      "LNK_User_BenutzerGrp ON LNK_User_BenutzerGrp.BenutzerGrpId = "
      "LNK_BenutzerGrp_RechtModul.BenutzerGrpId WHERE RechtModul.Kuerzel = ? "
      "AND LNK_User_BenutzerGrp.UserId = ?",
      -1, &right, nullptr);
  const int bert = TheFixture().bert;
  for (auto _ : state) {
    sqlite3_bind_int(user, 1, bert);
    sqlite3_step(user);
    benchmark::DoNotOptimize(sqlite3_column_int(user, 0));
    sqlite3_reset(user);
    sqlite3_bind_text(right, 1, "PROJ_NEW", -1, SQLITE_STATIC);
    sqlite3_bind_int(right, 2, bert);
    sqlite3_step(right);
    benchmark::DoNotOptimize(sqlite3_column_int(right, 0));
    sqlite3_reset(right);
  }
  sqlite3_finalize(user);
  sqlite3_finalize(right);
  sqlite3_close(db);
}

// Deliberately slow: yescrypt at its default cost.
void BM_PasswordCheck(benchmark::State& state) {
  const std::string hash = HashPassword("bert123");
  for (auto _ : state) {
    benchmark::DoNotOptimize(CheckPassword("bert123", hash, ""));
  }
}

BENCHMARK(BM_ProjektNeu_100000);
BENCHMARK(BM_ProjektNeu_100);
BENCHMARK(BM_Sqlite_InsertProject);
BENCHMARK(BM_HatRecht);
BENCHMARK(BM_Sqlite_RightQueries);
BENCHMARK(BM_PasswordCheck)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vx::bench

int main(int argc, char** argv) {
  return vx::bench::RunWithRatios(
      argc, argv,
      {{"bProjektNeu, 100,000 vs 100 projects", "BM_ProjektNeu_100000",
        "BM_ProjektNeu_100"},
       {"bProjektNeu vs a prepared INSERT", "BM_ProjektNeu_100000",
        "BM_Sqlite_InsertProject"},
       {"bHatRecht vs its prepared queries", "BM_HatRecht",
        "BM_Sqlite_RightQueries"}});
}
