// Reading one row by key on the database server: through a recordset of
// the engine and through bProjektRead, each against a prepared libpq query
// of the same row over the same Unix socket, in the same run.  Copying a
// project file of 100,000 measurement rows: through UFileCopy_4SQL, and
// through the same DELETE and INSERT ... SELECT sent directly.  Storing and
// writing out a document of 100 MB: through the file store, and through
// psql's large-object import and export of the same file.  The server is
// the tests' throwaway cluster, started here.

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "engine/database.h"
#include "engine/pg_database.h"
#include "engine/recordset.h"
#include "files/server_copy.h"
#include "files/server_file_store.h"
#include "ratio_reporter.h"
#include "server/file_table.h"
#include "server/pg_statement.h"
#include "server/server_schema.h"
#include "support/pg_cluster.h"
#include "vx_taluvek/cls_projekt.h"

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

// Reads the project numbered `number_of(n)` in iteration n through a
// prepared libpq query on a connection of its own, every column.
void LibpqReadByNumber(benchmark::State& state, const std::string& conninfo,
                       const std::function<std::string(int64_t)>& number_of) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  PQclear(PQprepare(conn, "row", "SELECT * FROM projekt WHERE pronr = $1", 1, nullptr));
  int64_t n = 0;
  for (auto _ : state) {
    const std::string key = number_of(n++);
    const char* values[] = {key.c_str()};
    PGresult* result = PQexecPrepared(conn, "row", 1, values, nullptr, nullptr, 0);
    if (PQntuples(result) != 1) state.SkipWithError("read failed");
    for (int c = 0; c < PQnfields(result); ++c) {
      benchmark::DoNotOptimize(PQgetvalue(result, 0, c));
    }
    PQclear(result);
  }
  PQfinish(conn);
}

void BM_Libpq_Prepared_ReadByKey(benchmark::State& state) {
  Fixture* fixture = TheFixture();
  if (fixture == nullptr) return state.SkipWithError("no server");
  LibpqReadByNumber(state, fixture->conninfo,
                    [](int64_t n) { return "P" + std::to_string(n % kRows + 1); });
}
BENCHMARK(BM_Libpq_Prepared_ReadByKey);

constexpr int kMeasurementRows = 100000;
constexpr int kProjects = 100000;
constexpr const char* kSourceFile = "T:\\P\\4711.VX3EK";
constexpr const char* kTargetFile = "T:\\P\\4712.VX3EK";
constexpr size_t kDocumentBytes = size_t{100} << 20;

// A server database with the server schema, kProjects projects P1 ... in
// Projekt, a source file of kMeasurementRows rows in TabMassen, and an
// installation in server mode that reaches it; on demand a local document
// of kDocumentBytes bytes in its settings home.
struct InstallationFixture {
  explicit InstallationFixture(vx::testing::PgCluster* cluster) {
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
    // The projects as the SQLite bench fills them.
    server::RunStatement(
        conn,
        "INSERT INTO projekt (pronr, probez, prowaehrung, prostrasse, proplz, proort, "
        "proland, gemeinde, gemarkung, flurnr, flurstuecknr, isrvproj, satzlockkz, "
        "strukturid, lastuser, dinkz, archiviert, nnf, ff, vf, nri, promwst, budgetnetto, "
        "budgetbrutto, schaetznetto, schaetzbrutto, objnetto, objbrutto, aktualisierung, "
        "baubeginn, bauende, letztesicherung, bemerkung) SELECT 'P' || g, 'Neubau ' || g, "
        "'EUR', 'Hauptstr. 1', '80331', 'Musterstadt', 'Bayern', 'Musterstadt', 'Nord', "
        "'12', '345/6', 0, 0, 3, 12, 1, 0, 1250.5, 980.25, 4200, 3100, 19, 1500000, "
        "1785000, 1400000, 1666000, 1450000, 1725500, '2024-01-02 10:00:00', "
        "'2024-03-01 00:00:00', '2025-06-30 00:00:00', '2024-01-02 10:00:00', "
        "'Neubau mit Tiefgarage' FROM generate_series(1, " + std::to_string(kProjects) +
            ") g");
    server::RunStatement(conn, "CREATE TABLE dokument_kopie (b bytea)");
    PQclear(PQexec(conn, "VACUUM ANALYZE projekt, tabmassen"));
    PQfinish(conn);
    home = MakeSettingsHome();
    WriteSettingsFile(home + "/Tarvano.INI",
                      "[Server]\nDatenbankArt=2\nVerbindung=" + conninfo +
                          "\n[Datei Verzeichnisse]\nPROJEKT=" + home + "\n");
    AwaitSettledSettings();
  }
  // Writes the local document and its COPY form, the first time only.
  void MakeDocument() {
    if (!document.empty()) return;
    // Bytes that do not compress, as most stored documents (PDF, pictures).
    document = home + "/gross.PDF";
    std::string bytes(kDocumentBytes, '\0');
    uint32_t x = 2654435761u;
    for (char& c : bytes) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      c = static_cast<char>(x);
    }
    std::FILE* file = std::fopen(document.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    // The same bytes as one row of COPY's binary format: signature, flags,
    // header extension; one field with its length; the end mark.
    copy_file = home + "/gross.copy";
    std::string head("PGCOPY\n\377\r\n\0", 11);
    head.append(8, '\0');
    const auto length = static_cast<uint32_t>(bytes.size());
    head += std::string{'\0', '\1', static_cast<char>(length >> 24),
                        static_cast<char>(length >> 16), static_cast<char>(length >> 8),
                        static_cast<char>(length)};
    file = std::fopen(copy_file.c_str(), "wb");
    std::fwrite(head.data(), 1, head.size(), file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fwrite("\377\377", 1, 2, file);
    std::fclose(file);
  }
  ~InstallationFixture() {
    if (!document.empty()) {
      std::remove(document.c_str());
      std::remove(copy_file.c_str());
    }
    std::remove((home + "/heraus.copy").c_str());
    std::remove((home + "/heraus.PDF").c_str());
    std::remove((home + "/Tarvano.INI").c_str());
    rmdir(home.c_str());
  }
  std::string conninfo;        // the working role's, as the suite's
  std::string owner_conninfo;  // the database owner's, who may vacuum
  std::string home;
  std::string document;  // the local file of kDocumentBytes bytes
  std::string copy_file;  // the same bytes in COPY's binary format
  int32_t source_vid = 0;
  int32_t target_vid = 0;
};

InstallationFixture* TheInstallation() {
  static std::unique_ptr<InstallationFixture> fixture = [] {
    vx::testing::PgCluster* cluster = vx::testing::PgCluster::Shared();
    if (cluster == nullptr) return std::unique_ptr<InstallationFixture>();
    return std::make_unique<InstallationFixture>(cluster);
  }();
  return fixture.get();
}

// The project to read in iteration `n`, spread over the table.
std::string ProjectOf(int64_t n) {
  return "P" + std::to_string((n * 7919) % kProjects + 1);
}

void BM_Server_ProjektRead_ByNumber(benchmark::State& state) {
  if (TheInstallation() == nullptr) return state.SkipWithError("no server");
  cls_Projekt p;
  int64_t n = 0;
  for (auto _ : state) {
    int32_t id = 0;
    std::string nr = ProjectOf(n++);
    if (!p.bProjektRead(id, nr)) state.SkipWithError("read failed");
  }
}
BENCHMARK(BM_Server_ProjektRead_ByNumber);

void BM_Libpq_Prepared_ProjectByNumber(benchmark::State& state) {
  InstallationFixture* fixture = TheInstallation();
  if (fixture == nullptr) return state.SkipWithError("no server");
  LibpqReadByNumber(state, fixture->conninfo, ProjectOf);
}
BENCHMARK(BM_Libpq_Prepared_ProjectByNumber);

void BM_Server_Document_StoreAndWriteOut(benchmark::State& state) {
  InstallationFixture* fixture = TheInstallation();
  if (fixture == nullptr) return state.SkipWithError("no server");
  fixture->MakeDocument();
  for (auto _ : state) {
    std::string name;
    if (!Server_FileEinlagern(fixture->document, "TEXTE", name, false) ||
        Server_FileAuslagern(fixture->document, "TEXTE", fixture->home + "/heraus.PDF") !=
            "1") {
      state.SkipWithError("not stored or not written out");
    }
  }
}
BENCHMARK(BM_Server_Document_StoreAndWriteOut)->Iterations(3);

// psql (of the cluster's release) runs `script` against the database that
// `conninfo` reaches; false when it fails.
bool RunPsql(const std::string& conninfo, const std::string& script) {
  int in[2];
  if (pipe(in) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    close(in[0]);
    close(in[1]);
    execl("/usr/lib/postgresql/15/bin/psql", "psql", "-X", "-q", "-v", "ON_ERROR_STOP=1",
          "-o", "/dev/null", "-d", conninfo.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  const bool written =
      write(in[1], script.data(), script.size()) == static_cast<ssize_t>(script.size());
  close(in[1]);
  int status = 0;
  waitpid(child, &status, 0);
  return written && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_Psql_LargeObject_ImportExport(benchmark::State& state) {
  InstallationFixture* fixture = TheInstallation();
  if (fixture == nullptr) return state.SkipWithError("no server");
  fixture->MakeDocument();
  const std::string script = "\\lo_import '" + fixture->document + "'\n\\lo_export :LASTOID '" +
                             fixture->home + "/heraus.PDF'\n\\lo_unlink :LASTOID\n";
  for (auto _ : state) {
    if (!RunPsql(fixture->conninfo, script)) state.SkipWithError("psql failed");
  }
}
BENCHMARK(BM_Psql_LargeObject_ImportExport)->Iterations(3);

// The table's owner copies the bytes in and out of a byte column.
void BM_Psql_Copy_InAndOut(benchmark::State& state) {
  InstallationFixture* fixture = TheInstallation();
  if (fixture == nullptr) return state.SkipWithError("no server");
  fixture->MakeDocument();
  const std::string script = "\\copy dokument_kopie FROM '" + fixture->copy_file +
                             "' (FORMAT binary)\n\\copy dokument_kopie TO '" + fixture->home +
                             "/heraus.copy' (FORMAT binary)\nTRUNCATE dokument_kopie\n";
  for (auto _ : state) {
    if (!RunPsql(fixture->owner_conninfo, script)) state.SkipWithError("psql failed");
  }
}
BENCHMARK(BM_Psql_Copy_InAndOut)->Iterations(3);

// Both sides replace the target's rows each time; the dead rows of the
// last round are vacuumed outside the timing, so that neither side pays
// for the other's.
void Vacuum(const InstallationFixture& fixture, benchmark::State& state) {
  state.PauseTiming();
  PGconn* owner = PQconnectdb(fixture.owner_conninfo.c_str());
  PQclear(PQexec(owner, "VACUUM tabmassen"));
  PQfinish(owner);
  state.ResumeTiming();
}

void BM_Server_UFileCopy_4SQL(benchmark::State& state) {
  InstallationFixture* fixture = TheInstallation();
  if (fixture == nullptr) return state.SkipWithError("no server");
  for (auto _ : state) {
    Vacuum(*fixture, state);
    std::string target = kTargetFile;
    if (!UFileCopy_4SQL(kSourceFile, target)) state.SkipWithError("not copied");
  }
}
BENCHMARK(BM_Server_UFileCopy_4SQL);

void BM_Libpq_InsertSelect_Copy(benchmark::State& state) {
  InstallationFixture* fixture = TheInstallation();
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
       {"bProjektRead by number (100,000 rows)", "BM_Server_ProjektRead_ByNumber",
        "BM_Libpq_Prepared_ProjectByNumber"},
       {"UFileCopy_4SQL of 100,000 measurement rows", "BM_Server_UFileCopy_4SQL",
        "BM_Libpq_InsertSelect_Copy"},
       {"storing and writing out 100 MB", "BM_Server_Document_StoreAndWriteOut/iterations:3",
        "BM_Psql_LargeObject_ImportExport/iterations:3"},
       {"storing and writing out 100 MB (COPY)", "BM_Server_Document_StoreAndWriteOut/iterations:3",
        "BM_Psql_Copy_InAndOut/iterations:3"}});
}
