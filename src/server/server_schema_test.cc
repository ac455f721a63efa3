#include "server/server_schema.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/database.h"
#include "engine/field_types.h"
#include "engine/pg_database.h"
#include "engine/recordset.h"
#include "server/file_table.h"
#include "server/pg_statement.h"
#include "server/server_test_util.h"
#include "vx_taluvek/error.h"

namespace vx::server {
namespace {

// Every value of every row of a result, for looking for another file's
// marker in it.
std::string AllValues(const PGresult* result) {
  std::string text;
  for (int row = 0; row < PQntuples(result); ++row) {
    for (int column = 0; column < PQnfields(result); ++column) {
      text += PQgetvalue(result, row, column);
      text += '|';
    }
  }
  return text;
}

// Runs `sql` and returns what came back (rows, copied-out data or the
// error message), whatever happened.
std::string Attempt(PGconn* connection, const std::string& sql) {
  PgResult result(PQexec(connection, sql.c_str()));
  std::string text = AllValues(result.get()) + PQresultErrorMessage(result.get());
  if (PQresultStatus(result.get()) == PGRES_COPY_OUT) {
    char* line = nullptr;
    while (PQgetCopyData(connection, &line, 0) > 0) {
      text += line;
      PQfreemem(line);
    }
    while (PGresult* rest = PQgetResult(connection)) PQclear(rest);
  } else if (PQresultStatus(result.get()) == PGRES_COPY_IN) {
    PQputCopyData(connection, "9\tFREMD\n", 8);
    PQputCopyEnd(connection, nullptr);
    while (PGresult* rest = PQgetResult(connection)) PQclear(rest);
  }
  return text;
}

TEST(ServerSchemaTest, AppliedTwiceKeepsRowsAndLeavesTheTablesToTheirOwner) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection owner = db.Owner();
  RunStatement(owner.get(), "INSERT INTO Projekt (ProNr) VALUES ('4711')");
  ApplySchema(owner.get());
  EXPECT_EQ(RunForValue(owner.get(), "SELECT count(*) FROM Projekt"), "1");
  EXPECT_EQ(RunForValue(owner.get(), "SELECT count(*) FROM Vererbung"), "1");

  // No table belongs to anybody but the owner role; every table with a file
  // number has forced row-level security; the working role may not empty a
  // table whole, and the set-up role kept no way to the owner's rights.
  EXPECT_EQ(RunForValue(owner.get(),
                        "SELECT count(*) FROM pg_tables WHERE schemaname = 'public' "
                        "AND tableowner <> 'vx_eigentuemer'"),
            "0");
  EXPECT_EQ(RunForValue(owner.get(),
                        "SELECT count(*) FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid "
                        "JOIN pg_namespace n ON n.oid = c.relnamespace "
                        "WHERE n.nspname = 'public' AND c.relkind = 'r' AND a.attname = 'vid' "
                        "AND NOT (c.relrowsecurity AND c.relforcerowsecurity)"),
            "0");
  EXPECT_EQ(RunForValue(owner.get(),
                        "SELECT bool_or(has_table_privilege('vx_benutzer', c.oid, 'TRUNCATE') "
                        "OR has_table_privilege('vx_benutzer', c.oid, 'TRIGGER')) "
                        "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                        "WHERE n.nspname = 'public' AND c.relkind = 'r'"),
            "f");
  EXPECT_EQ(RunForValue(owner.get(), "SELECT pg_has_role(current_user, 'vx_eigentuemer', 'MEMBER')"),
            "f");
  EXPECT_EQ(RunForValue(owner.get(), "SELECT pg_has_role(current_user, 'vx_benutzer', 'MEMBER')"),
            "t");
}

TEST(ServerSchemaTest, TheEngineReadsYesNoColumnsAsBooleansAndNamesAsTheSuiteSpellsThem) {
  testing::PgCluster* cluster = testing::PgCluster::Shared();
  if (cluster == nullptr) GTEST_SKIP() << testing::PgCluster::WhyNot();
  TestServerDatabase server(cluster);
  auto db = dao::OpenServerDatabase(server.WorkerString(), "Dummy.VX3DB",
                                    dao::kWholeDatabase, false);
  db->Execute("INSERT INTO Projekt (ProNr, IsRVProj) VALUES ('P1', True)");
  auto rs = db->OpenRecordset("Projekt");
  EXPECT_EQ(rs->Fields()[1].Name(), "ProNr");
  EXPECT_EQ(rs->Fields()["isrvproj"].Name(), "IsRVProj");
  EXPECT_EQ(rs->Fields()["IsRVProj"].Type(), dao::kTypeBoolean);
  EXPECT_EQ(rs->Fields()["IsRVProj"].Value(), Variant(true));
  EXPECT_EQ(rs->Fields()["SatzLockKZ"].Value(), Variant(false));
}

TEST(ServerSchemaTest, AConnectionWithoutRightsToMakeRolesCannotSetUpAFreshServer) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  std::string name = cluster->NewDatabase();
  testing::PgConnection worker = cluster->Connect(name, testing::PgCluster::kWorker);
  EXPECT_EQ(testing::RaisedNumber([&] { ApplySchema(worker.get()); }), kErrServerCall);
  // Nothing half made is left behind.
  EXPECT_EQ(RunForValue(worker.get(), "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"),
            "0");
}

TEST(ServerSchemaTest, RowsWrittenThroughAFileGetItsNumberAndTheWholeDatabaseSeesAll) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection whole = db.Worker();
  int a = RegisterFile(whole.get(), "T:\\P\\4711.VX3EK");
  int b = RegisterFile(whole.get(), "T:\\P\\4712.VX3EK");
  {
    testing::PgConnection file_a = db.Worker(a);
    RunStatement(file_a.get(), "INSERT INTO TabMassen (KennVon) VALUES ('EKM'), ('EKF')");
    EXPECT_EQ(RunForValue(file_a.get(), "SELECT count(*) FROM TabMassen WHERE vid = $1",
                          {std::to_string(a)}),
              "2");
  }
  {
    // A connection that sets the number later (not bound at its start)
    // works on that file too.
    testing::PgConnection file_b = db.Worker();
    RunStatement(file_b.get(), "SET vx.vid = '" + std::to_string(b) + "'");
    RunStatement(file_b.get(), "INSERT INTO TabMassen (KennVon) VALUES ('EKM')");
    EXPECT_EQ(RunForValue(file_b.get(), "SELECT count(*) FROM TabMassen"), "1");
  }
  EXPECT_EQ(RunForValue(whole.get(), "SELECT count(*) FROM TabMassen"), "3");
  RunStatement(whole.get(), "INSERT INTO TabMassen (KennVon) VALUES ('frei')");
  EXPECT_EQ(RunForValue(whole.get(), "SELECT vid FROM TabMassen WHERE KennVon = 'frei'"), "0");
}

// A corpus of statements sent through file A's connection by someone who
// wants file B's rows: none may read, change or remove a row of B, nor
// free the connection from its file.
TEST(ServerSchemaTest, NoStatementThroughOneFileReachesAnotherFilesRows) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection whole = db.Worker();
  const int a = RegisterFile(whole.get(), "T:\\P\\4711.VX3LV");
  const int b = RegisterFile(whole.get(), "T:\\P\\FREMD.VX3LV");
  const std::string bs = std::to_string(b);
  RunStatement(whole.get(), "INSERT INTO TabMassen (vid, KennVon) VALUES (" +
                                std::to_string(a) + ", 'LV'), (" + bs + ", 'FREMD'), (" + bs +
                                ", 'FREMD2')");
  RunStatement(whole.get(), "INSERT INTO LV (vid) VALUES (" + bs + ")");
  testing::PgConnection superuser = db.Superuser();
  const std::string fingerprint_sql =
      "SELECT (SELECT string_agg(vid || ':' || KennVon, ',' ORDER BY KennVon) FROM TabMassen "
      "        WHERE vid <> " + std::to_string(a) + ") || "
      "(SELECT count(*) FROM LV WHERE vid = " + bs + ") || "
      "(SELECT string_agg(vid || pfad, ',') FROM vxdateien WHERE vid = " + bs + ")";
  const std::string fingerprint = RunForValue(superuser.get(), fingerprint_sql);

  const std::vector<std::string> corpus = {
      "SELECT * FROM TabMassen",
      "SELECT * FROM TabMassen WHERE vid = " + bs,
      "SELECT * FROM TabMassen WHERE vid BETWEEN -2147483648 AND 2147483647 OR true",
      "SELECT x.KennVon, y.KennVon FROM TabMassen x JOIN TabMassen y ON true",
      "SELECT KennVon FROM TabMassen WHERE vid IN (SELECT vid FROM vxdateien)",
      "SELECT KennVon FROM TabMassen UNION ALL SELECT pfad FROM vxdateien",
      "SELECT (SELECT string_agg(KennVon, ',') FROM TabMassen), (SELECT count(*) FROM LV)",
      "WITH x AS (SELECT * FROM TabMassen) SELECT * FROM x",
      "WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r WHERE n < 3) "
      "SELECT t.* FROM r, TabMassen t",
      "SELECT * FROM vxdateien",
      "SELECT * FROM TabMassen WHERE set_config('vx.vid', '" + bs + "', true) IS NOT NULL",
      "SELECT set_config('vx.vid', '" + bs + "', false), * FROM TabMassen",
      "WITH s AS MATERIALIZED (SELECT set_config('vx.vid', '', false)) SELECT t.* FROM s, TabMassen t",
      "SELECT set_config('vx.vid', '" + bs + "', false); SELECT * FROM TabMassen",
      "SET vx.vid = '" + bs + "'; SELECT * FROM TabMassen",
      "SET vx.vid = ''; SELECT * FROM TabMassen",
      "SET LOCAL vx.vid = ''; SELECT * FROM TabMassen",
      "RESET vx.vid; SELECT * FROM TabMassen",
      "RESET ALL; SELECT * FROM TabMassen",
      "DO $$ BEGIN PERFORM set_config('vx.vid', '', false); END $$; SELECT * FROM TabMassen",
      "SET ROLE vx_eigentuemer; SELECT * FROM TabMassen",
      "INSERT INTO TabMassen (vid, KennVon) VALUES (" + bs + ", 'X')",
      "INSERT INTO LV (vid) SELECT " + bs + " FROM generate_series(1, 3)",
      "INSERT INTO vxdateien (pfad) VALUES ('T:\\P\\neu.VX3LV')",
      "UPDATE TabMassen SET vid = " + bs,
      "UPDATE TabMassen SET KennVon = 'X' WHERE vid = " + bs,
      "UPDATE vxdateien SET pfad = 'T:\\P\\anders.VX3LV'",
      "DELETE FROM TabMassen WHERE vid = " + bs,
      "DELETE FROM TabMassen",
      "DELETE FROM LV",
      "DELETE FROM vxdateien",
      "WITH d AS (DELETE FROM TabMassen WHERE vid = " + bs + " RETURNING *) SELECT * FROM d",
      "WITH u AS (UPDATE TabMassen SET vid = " + bs + " RETURNING *) SELECT * FROM u",
      "INSERT INTO TabMassen (vid, KennVon) SELECT " + bs + ", KennVon FROM TabMassen "
      "ON CONFLICT DO NOTHING",
      "TRUNCATE TabMassen",
      "TRUNCATE LV",
      "ALTER TABLE TabMassen DISABLE ROW LEVEL SECURITY",
      "ALTER TABLE TabMassen NO FORCE ROW LEVEL SECURITY",
      "DROP POLICY vx_datei ON TabMassen",
      "ALTER TABLE TabMassen OWNER TO vxarbeit",
      "CREATE FUNCTION public.alles() RETURNS SETOF TabMassen LANGUAGE sql SECURITY DEFINER "
      "AS 'SELECT * FROM TabMassen'",
      "CREATE VIEW public.alles AS SELECT * FROM TabMassen",
      "CREATE TEMP VIEW alles AS SELECT * FROM TabMassen; SELECT * FROM alles",
      "COPY TabMassen TO STDOUT",
      "COPY (SELECT * FROM TabMassen WHERE vid = " + bs + ") TO STDOUT",
      "COPY TabMassen FROM STDIN",
      "ALTER ROLE CURRENT_USER SET vx.vid = ''",
      "LOCK TABLE TabMassen IN ACCESS EXCLUSIVE MODE",
  };
  testing::PgConnection file_a = db.Worker(a);
  for (const std::string& statement : corpus) {
    SCOPED_TRACE(statement);
    // Each statement on its own, in a transaction that ends with a look at
    // the files' rows through the same connection.
    Attempt(file_a.get(), "BEGIN");
    std::string seen = Attempt(file_a.get(), statement);
    seen += Attempt(file_a.get(), "SELECT * FROM TabMassen, LV");
    seen += Attempt(file_a.get(), "SELECT pfad FROM vxdateien");
    Attempt(file_a.get(), "COMMIT");
    EXPECT_EQ(seen.find("FREMD"), std::string::npos) << seen;
    EXPECT_EQ(RunForValue(superuser.get(), fingerprint_sql), fingerprint);
    // The connection is still bound to A.
    RunStatement(file_a.get(), "RESET ALL");
    EXPECT_EQ(RunForValue(file_a.get(), "SELECT current_setting('vx.vid')"), std::to_string(a));
  }
  // Nothing changed what a fresh connection of A's gets.
  testing::PgConnection again = db.Worker(a);
  EXPECT_EQ(Attempt(again.get(), "SELECT * FROM TabMassen").find("FREMD"), std::string::npos);
}

TEST(ServerSchemaTest, AConnectionBoundToAFileFailsOnceItsNumberIsChanged) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection file = db.Worker(7);
  RunStatement(file.get(), "INSERT INTO LV DEFAULT VALUES");
  RunStatement(file.get(), "SET vx.vid = '8'");
  EXPECT_EQ(testing::RaisedNumber([&] { RunStatement(file.get(), "SELECT * FROM LV"); }),
            kErrServerCall);
  RunStatement(file.get(), "RESET vx.vid");
  EXPECT_EQ(RunForValue(file.get(), "SELECT count(*) FROM LV"), "1");
}

}  // namespace
}  // namespace vx::server
