// The template of the project database: what the project object and the
// file lookups expect of its tables.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <string>

#include "data/connections.h"
#include "data/schema_scripts.h"
#include "engine/schema.h"
#include "support/test_support.h"

namespace vx {
namespace {

// Column name -> DAO type code of a table of `db`.
std::map<std::string, int16_t> ColumnTypes(const DbHandle& db,
                                           const std::string& table) {
  std::map<std::string, int16_t> types;
  RsHandle rs = db->OpenRecordset("SELECT * FROM " + table);
  for (int32_t i = 0; i < rs->Fields().Count(); ++i) {
    types[rs->Fields()[i].Name()] = rs->Fields()[i].Type();
  }
  return types;
}

// The indexed columns of the database file `path`, as "table.column".
std::set<std::string> IndexedColumns(const std::string& path) {
  std::set<std::string> indexed;
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT m.tbl_name, i.name FROM sqlite_master m, "
                     "pragma_index_info(m.name) i WHERE m.type = 'index'",
                     -1, &stmt, nullptr);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    indexed.insert(std::string(reinterpret_cast<const char*>(
                       sqlite3_column_text(stmt, 0))) +
                   "." +
                   reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return indexed;
}

TEST(PrjstrukTest, MakesTheProjectDatabase) {
  testing::TempDir dir;
  testing::ScopedEnv home("TARVANO_HOME", dir.path());
  const std::string path = dir.File("PROJEKT.VX3DB");
  dao::CreateDatabase(path, SchemaScript("PRJSTRUK"), kSuitePassword);
  dao::DBEngine engine;
  EXPECT_THROW(engine.OpenDatabase(path, false, false, ";pwd=falsch"), Error);
  DbHandle db = engine.OpenDatabase(path, false, false,
                                    std::string(kBareConnect) + kSuitePassword);

  const std::map<std::string, int16_t> expected = {
      {"Id", 4},           {"ProNr", 10},       {"ProBez", 10},
      {"ProWaehrung", 10}, {"ProStrasse", 10},  {"ProPLZ", 10},
      {"ProOrt", 10},      {"ProLand", 10},     {"Gemeinde", 10},
      {"Gemarkung", 10},   {"FlurNr", 10},      {"FlurStueckNr", 10},
      {"IsRVProj", 1},     {"SatzLockKZ", 1},   {"StrukturId", 4},
      {"LastUser", 4},     {"DinKZ", 3},        {"Archiviert", 3},
      {"NNF", 7},          {"FF", 7},           {"VF", 7},
      {"NRI", 7},          {"ProMwSt", 7},      {"BudgetNetto", 5},
      {"BudgetBrutto", 5}, {"SchaetzNetto", 5}, {"SchaetzBrutto", 5},
      {"ObjNetto", 5},     {"ObjBrutto", 5},    {"Aktualisierung", 8},
      {"Baubeginn", 8},    {"Bauende", 8},      {"LetzteSicherung", 8},
      {"Bemerkung", 12}};
  EXPECT_EQ(ColumnTypes(db, "Projekt"), expected);

  // A new row is numbered by the engine and starts unlocked.
  db->Execute("INSERT INTO Projekt (ProNr) VALUES ('4711')");
  db->Execute("INSERT INTO Projekt (ProNr) VALUES ('4711')");  // allowed
  RsHandle rs = db->OpenRecordset("SELECT * FROM Projekt ORDER BY Id");
  EXPECT_EQ(rs->Fields()["Id"].Value(), Variant(1));
  EXPECT_EQ(rs->Fields()["SatzLockKZ"].Value(), Variant(false));
  rs->Close();

  const std::map<std::string, std::string> lookups = {
      {"Projektverwaltung", "ParentKey"},
      {"TBPROJOBJ", "LIDPROJ"},
      {"BKB", "ProjektId"},
      {"BKBNet", "ProjektId"},
      {"TabProRb", "ProjektId"},
      {"Kalkulation", "ProjektId"}};
  for (const auto& [table, column] : lookups) {
    const std::map<std::string, int16_t> types = ColumnTypes(db, table);
    EXPECT_EQ(types.at("ID"), 4) << table;
    EXPECT_EQ(types.at(column), 4) << table;
  }
  db->Close();
  const std::set<std::string> indexed = IndexedColumns(path);
  for (const char* column :
       {"Projekt.ProNr", "Projekt.StrukturId", "Projektverwaltung.ParentKey",
        "TBPROJOBJ.LIDPROJ", "BKB.ProjektId", "BKBNet.ProjektId",
        "TabProRb.ProjektId", "Kalkulation.ProjektId"}) {
    EXPECT_EQ(indexed.count(column), 1u) << column;
  }
}

}  // namespace
}  // namespace vx
