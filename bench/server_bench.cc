// Reading one row by key on the database server: through a recordset of
// the engine, and through a prepared libpq query of the same row over the
// same Unix socket, in the same run.  The server is the tests' throwaway
// cluster, started here.

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/database.h"
#include "engine/pg_database.h"
#include "engine/recordset.h"
#include "ratio_reporter.h"
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

}  // namespace
}  // namespace vx::bench

int main(int argc, char** argv) {
  return vx::bench::RunWithRatios(
      argc, argv,
      {{"one row by key on the server", "BM_Server_Recordset_ReadByKey",
        "BM_Libpq_Prepared_ReadByKey"}});
}
