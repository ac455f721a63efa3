#include "server/uebernahme.h"

#include <gtest/gtest.h>

#include <string>

#include "data/connections.h"
#include "engine/schema.h"
#include "server/file_table.h"
#include "server/server_test_util.h"
#include "vx_taluvek/error.h"

namespace vx::server {
namespace {

class UebernahmeTest : public ::testing::Test {
 protected:
  // A database file made by `script` (tables and rows).
  std::string File(const std::string& name, const std::string& script) {
    const std::string path = dir_.File(name);
    dao::CreateDatabase(path, script, kSuitePassword);
    return path;
  }
  std::string Value(PGconn* connection, const std::string& sql) {
    return RunForValue(connection, sql);
  }

  testing::TempDir dir_;
};

// An LV file's companion as the suite saves it: a copy of the LV file's
// tables.
constexpr const char* kCompanion =
    "CREATE TABLE Preis (ID COUNTER, OZ TEXT(20), EP CURRENCY, Extra DOUBLE);\n"
    "CREATE TABLE TabMassen (KennVon TEXT(50), Menge DOUBLE);\n"
    "CREATE TABLE Leer (A LONG);\n"
    "INSERT INTO Preis (OZ, EP, Extra) VALUES ('01.0010', 12.5, 0.25);\n"
    "INSERT INTO Preis (OZ, EP, Extra) VALUES ('O''Neil', -1, NULL);\n"
    "INSERT INTO TabMassen (KennVon, Menge) VALUES ('LV', 3.5)";

TEST_F(UebernahmeTest, ASavedSetArrivesAsVorlageAndSavedRowsOfItsName) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection server = db.Owner();
  // The LV file brings a column its saved sets' table gains too, so that
  // a set saved later finds every column of its table there.
  MoveDatabaseFile(server.get(), File("4711__01.VX3LV", "CREATE TABLE Preis (Nr COUNTER, Nur MEMO)"),
                   RegisterFile(server.get(), "T:\\LV\\4711__01.VX3LV"));
  EXPECT_EQ(Value(server.get(),
                  "SELECT string_agg(attname || ':' || format_type(atttypid, atttypmod) || "
                  "attidentity::text, ',' ORDER BY attname) FROM pg_attribute WHERE attrelid = "
                  "'savlv__preis'::regclass AND attname IN ('nr', 'nur')"),
            "nr:integer,nur:text");
  const std::string companion = File("4711__01.VX3L1", kCompanion);
  std::vector<std::string> told;
  Uebernommen moved = MoveSavedSet(server.get(), companion, "LV", "O'Neil__01.VX3L1", 7,
                                   [&](const std::string& table, int number, int count) {
                                     told.push_back(table + " " + std::to_string(number) +
                                                    "/" + std::to_string(count));
                                   });
  EXPECT_EQ(moved.tables, 2);
  EXPECT_EQ(moved.rows, 3);
  // The empty table SavTables does not list stays behind.
  EXPECT_EQ(told, (std::vector<std::string>{"Preis 1/2", "TabMassen 2/2"}));
  EXPECT_EQ(Value(server.get(), "SELECT Filename || '|' || Typ FROM Vorlagen"),
            "O'Neil__01.VX3L1|LV");
  // The column the server's saved table lacked came along; counters keep
  // their values; every row carries the set's name and the LV file's
  // number.
  EXPECT_EQ(Value(server.get(),
                  "SELECT string_agg(id || ':' || oz || ':' || ep || ':' || "
                  "coalesce(extra::text, '-') || ':' || vid, ',' ORDER BY id) "
                  "FROM savlv__preis WHERE SicherungsName = 'O''Neil__01.VX3L1'"),
            "1:01.0010:12.5000:0.25:7,2:O'Neil:-1.0000:-:7");
  EXPECT_EQ(Value(server.get(), "SELECT kennvon || menge FROM savlv__tabmassen"), "LV3.5");
  // Saved sets are no file's rows: the files' tables stay empty.
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM preis"), "0");

  // A set of that name is not moved twice.
  EXPECT_THROW(MoveSavedSet(server.get(), companion, "LV", "O'Neil__01.VX3L1", 7), Error);
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM savlv__preis"), "2");
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM Vorlagen"), "1");
}

TEST_F(UebernahmeTest, AFileThatFailsMidwayLeavesNothingOfItselfOnTheServer) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection server = db.Owner();
  // Preis moves first, then TabMassen fails: the server's KennVon takes 20
  // characters.
  const std::string too_long =
      std::string(kCompanion) +
      ";\nINSERT INTO TabMassen (KennVon, Menge) VALUES ('" + std::string(30, 'x') + "', 1)";
  const std::string companion = File("4711__01.VX3LX", too_long);
  EXPECT_THROW(MoveSavedSet(server.get(), companion, "LV", "4711__01.VX3LX", 0), Error);
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM Vorlagen"), "0");
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM savlv__preis"), "0");

  const std::string project = File("4711__01.VX3LV", too_long);
  const int32_t vid = RegisterFile(server.get(), "T:\\LV\\4711__01.VX3LV");
  EXPECT_THROW(MoveDatabaseFile(server.get(), project, vid), Error);
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM preis"), "0");
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM tabmassen"), "0");

  // A table with rows that SavTables does not list for the kind has no
  // place on the server.
  const std::string odd = File("4711__02.VX3LR", std::string(kCompanion) +
                                                     ";\nINSERT INTO Leer (A) VALUES (1)");
  try {
    MoveSavedSet(server.get(), odd, "LV", "4711__02.VX3LR", 0);
    ADD_FAILURE() << "moved a table without a place";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("Leer"), std::string::npos) << e.description();
  }
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM Vorlagen"), "0");
  EXPECT_EQ(Value(server.get(), "SELECT count(*) FROM savlv__preis"), "0");
}

TEST_F(UebernahmeTest, SharedRowsGiveWayOnlyInsideTheMoveThatReplacesThem) {
  VX_PG_CLUSTER_OR_SKIP(cluster);
  TestServerDatabase db(cluster);
  testing::PgConnection server = db.Owner();
  // Vererbung moves, then vorlagen fails on its NOT NULL name.
  const std::string failing =
      File("USER.VX3DB",
           "CREATE TABLE Vererbung (IstAn YESNO);\n"
           "CREATE TABLE vorlagen (Filename TEXT(255), Typ TEXT(2));\n"
           "INSERT INTO Vererbung (IstAn) VALUES (True);\n"
           "INSERT INTO vorlagen (Typ) VALUES ('LV')");
  EXPECT_THROW(MoveDatabaseFile(server.get(), failing, 0, {"vererbung"}), Error);
  EXPECT_EQ(Value(server.get(), "SELECT string_agg(IstAn::text, ',') FROM Vererbung"), "0");

  const std::string user = File("ZWEI.VX3DB",
                                "CREATE TABLE Vererbung (IstAn YESNO);\n"
                                "INSERT INTO Vererbung (IstAn) VALUES (True)");
  // Not named as replaced, the server's row stops the move.
  EXPECT_THROW(MoveDatabaseFile(server.get(), user, 0), Error);
  EXPECT_EQ(SharedTablesWithRows(server.get(), user), (std::vector<std::string>{"vererbung"}));
  MoveDatabaseFile(server.get(), user, 0, {"vererbung"});
  EXPECT_EQ(Value(server.get(), "SELECT string_agg(IstAn::text, ',') FROM Vererbung"), "-1");
}

}  // namespace
}  // namespace vx::server
