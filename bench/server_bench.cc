// Reading one row by key on the database server: through a recordset of
// the engine, and through a prepared libpq query of the same row over the
// same Unix socket, in the same run.  Copying a project file of 100,000
// measurement rows: through UFileCopy_4SQL, and through the same DELETE and
// INSERT ... SELECT sent directly.  The server is the tests' throwaway
// cluster, started here.

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench_support.h"
#include "engine/database.h"
#include "engine/pg_database.h"
#include "engine/recordset.h"
#include "files/server_copy.h"
#include "ratio_reporter.h"
#include "server/file_table.h"
#include "server/pg_statement.h"
#include "server/server_schema.h"
#include "support/pg_cluster.h"

namespace vx::bench {
namespace {

constexpr int kRows = 10000;

struct Fixture {
  explicit Fixture(vx::testing::PgCluster* cluster)
      : conninfo(cluster->ConnectionString(cluster->NewDatabase())) {
    auto db = dao::OpenServerDatabase(conninfo, "PROJEKT.VX3DB", dao::kWholeDatabase, false);
    db->Execute(
        "CREATE TABLE Projekt (Id COUNTER, ProNr TEXT(50), ProBez TEXT(255), "
        "ProOrt TEXT(100), BudgetNetto DOUBLE, SatzLockKZ YESNO, Aktualisierung DATETIME)");
    db->Execute("CREATE UNIQUE INDEX Projekt_ProNr ON Projekt (ProNr)");
    db->Execute(
        "@INSERT INTO projekt (pronr, probez, proort, budgetnetto, satzlockkz, aktualisierung) "
        "SELECT 'P' || g, 'Neubau ' || g, 'Musterstadt', 1234.5, 0, '2024-01-02 10:00:00' "
        "FROM generate_series(1, " + std::to_string(kRows) + ") g");
  }
  std::string conninfo;
};

Fixture* TheFixture() {
  static std::unique_ptr<Fixture> fixture = [] {
    vx::testing::PgCluster* cluster = vx::testing::PgCluster::Shared();
    if (cluster == nullptr) {
      std::fprintf(stderr, "no server: %s\n", vx::testing::PgCluster::WhyNot().c_str());
      return std::unique_ptr<Fixture>();
    }
    return std::make_unique<Fixture>(cluster);
  }();
  return fixture.get();
}

void BM_Server_Recordset_ReadByKey(benchmark::State& state) {
  Fixture* fixture = TheFixture();
  if (fixture == nullptr) return state.SkipWithError("no server");
  auto db = dao::OpenServerDatabase(fixture->conninfo, "PROJEKT.VX3DB",
                                    dao::kWholeDatabase, false);
  int i = 0;
  for (auto _ : state) {
    const std::string key = "P" + std::to_string(i++ % kRows + 1);
    auto rs = db->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = '" + key + "'",
                                Variant(int32_t{dao::kOpenSnapshot}));
    for (int c = 0; c < rs->Fields().Count(); ++c) {
      benchmark::DoNotOptimize(rs->Fields()[c].Value());
    }
    rs->Close();
  }
}
BENCHMARK(BM_Server_Recordset_ReadByKey);

void BM_Libpq_Prepared_ReadByKey(benchmark::State& state) {
  Fixture* fixture = TheFixture();
  if (fixture == nullptr) return state.SkipWithError("no server");
  PGconn* conn = PQconnectdb(fixture->conninfo.c_str());
  PQclear(PQprepare(conn, "row", "SELECT * FROM projekt WHERE pronr = $1", 1, nullptr));
  int i = 0;
  for (auto _ : state) {
    const std::string key = "P" + std::to_string(i++ % kRows + 1);
    const char* values[] = {key.c_str()};
    PGresult* result = PQexecPrepared(conn, "row", 1, values, nullptr, nullptr, 0);
    for (int c = 0; c < PQnfields(result); ++c) {
      benchmark::DoNotOptimize(PQgetvalue(result, 0, c));
    }
    PQclear(result);
  }
  PQfinish(conn);
}
BENCHMARK(BM_Libpq_Prepared_ReadByKey);

constexpr int kMeasurementRows = 100000;
constexpr const char* kSourceFile = "T:\\P\\4711.VX3EK";
constexpr const char* kTargetFile = "T:\\P\\4712.VX3EK";

// A server database with the server schema, a source file of
// kMeasurementRows rows in TabMassen, and an installation in server mode
// that reaches it.
struct CopyFixture {
  explicit CopyFixture(vx::testing::PgCluster* cluster) {
    const std::string database = cluster->NewDatabase();
    conninfo = cluster->ConnectionString(database, vx::testing::PgCluster::kWorker);
    owner_conninfo = cluster->ConnectionString(database);
    PGconn* conn = PQconnectdb(owner_conninfo.c_str());
    server::ApplySchema(conn);
    server::AddToSchema(conn, {"ALTER TABLE tabmassen ADD COLUMN menge double precision, "
                               "ADD COLUMN text varchar(50), ADD COLUMN pos integer"});
    server::GrantWork(conn, vx::testing::PgCluster::kWorker);
    source_vid = server::RegisterFile(conn, kSourceFile);
    target_vid = server::RegisterFile(conn, kTargetFile);
    server::RunStatement(
        conn, "INSERT INTO tabmassen (vid, kennvon, menge, text, pos) SELECT " +
                  std::to_string(source_vid) +
                  ", CASE WHEN g % 2 = 0 THEN 'EKM' ELSE 'EKF' END, g * 1.5, 'Zeile ' || g, g "
                  "FROM generate_series(1, " + std::to_string(kMeasurementRows) + ") g");
    PQfinish(conn);
    const std::string home = MakeSettingsHome();
    std::FILE* settings = std::fopen((home + "/Tarvano.INI").c_str(), "w");
    std::fprintf(settings, "[Server]\nDatenbankArt=2\nVerbindung=%s\n", conninfo.c_str());
    std::fclose(settings);
  }
  std::string conninfo;        // the working role's, as the suite's
  std::string owner_conninfo;  // the database owner's, who may vacuum
  int32_t source_vid = 0;
  int32_t target_vid = 0;
};

CopyFixture* TheCopyFixture() {
  static std::unique_ptr<CopyFixture> fixture = [] {
    vx::testing::PgCluster* cluster = vx::testing::PgCluster::Shared();
    if (cluster == nullptr) return std::unique_ptr<CopyFixture>();
    return std::make_unique<CopyFixture>(cluster);
  }();
  return fixture.get();
}

// Both sides replace the target's rows each time; the dead rows of the
// last round are vacuumed outside the timing, so that neither side pays
// for the other's.
void Vacuum(const CopyFixture& fixture, benchmark::State& state) {
  state.PauseTiming();
  PGconn* owner = PQconnectdb(fixture.owner_conninfo.c_str());
  PQclear(PQexec(owner, "VACUUM tabmassen"));
  PQfinish(owner);
  state.ResumeTiming();
}

void BM_Server_UFileCopy_4SQL(benchmark::State& state) {
  CopyFixture* fixture = TheCopyFixture();
  if (fixture == nullptr) return state.SkipWithError("no server");
  for (auto _ : state) {
    Vacuum(*fixture, state);
    std::string target = kTargetFile;
    if (!UFileCopy_4SQL(kSourceFile, target)) state.SkipWithError("not copied");
  }
}
BENCHMARK(BM_Server_UFileCopy_4SQL);

void BM_Libpq_InsertSelect_Copy(benchmark::State& state) {
  CopyFixture* fixture = TheCopyFixture();
  if (fixture == nullptr) return state.SkipWithError("no server");
  PGconn* conn = PQconnectdb(fixture->conninfo.c_str());
  const std::string source = std::to_string(fixture->source_vid);
  const std::string target = std::to_string(fixture->target_vid);
  const std::string kind = " AND (kennvon = 'EKM' OR kennvon = 'EKF')";
  const std::string copy =
      "BEGIN; DELETE FROM tabmassen WHERE vid = " + target + kind +
      "; INSERT INTO tabmassen (vid, kennvon, menge, text, pos) SELECT " + target +
      ", kennvon, menge, text, pos FROM tabmassen WHERE vid = " + source + kind + "; COMMIT";
  for (auto _ : state) {
    Vacuum(*fixture, state);
    PQclear(PQexec(conn, copy.c_str()));
  }
  PQfinish(conn);
}
BENCHMARK(BM_Libpq_InsertSelect_Copy);

}  // namespace
}  // namespace vx::bench

int main(int argc, char** argv) {
  return vx::bench::RunWithRatios(
      argc, argv,
      {{"one row by key on the server", "BM_Server_Recordset_ReadByKey",
        "BM_Libpq_Prepared_ReadByKey"},
       {"UFileCopy_4SQL of 100,000 measurement rows", "BM_Server_UFileCopy_4SQL",
        "BM_Libpq_InsertSelect_Copy"}});
}
