// The template of the user database: the tables the rights queries and the
// login read, with the types they convert their fields from.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/connections.h"
#include "data/schema_scripts.h"
#include "engine/schema.h"
#include "support/test_support.h"

namespace vx {
namespace {

TEST(UserstrukTest, MakesTheUserDatabase) {
  testing::TempDir dir;
  testing::ScopedEnv home("TARVANO_HOME", dir.path());
  const std::string path = dir.File("USER.VX3DB");
  dao::CreateDatabase(path, SchemaScript("USERSTRUK"), kSuitePassword);
  dao::DBEngine engine;
  DbHandle db = engine.OpenDatabase(path, false, false,
                                    std::string(kBareConnect) + kSuitePassword);

  const std::map<std::string, std::map<std::string, int16_t>> expected = {
      {"[User]",
       {{"Id", 4},
        {"Name", 10},
        {"PasswortSalz", 10},
        {"PasswortHash", 10},
        {"BenutzerArt", 3},
        {"Gesperrt", 1},
        {"Fehlversuche", 4}}},
      {"BenutzerGrp", {{"Id", 4}, {"Name", 10}, {"Einzelgruppe", 1}}},
      {"LNK_User_BenutzerGrp", {{"UserId", 4}, {"BenutzerGrpId", 4}}},
      {"RechtDatei", {{"Id", 4}, {"Typ", 10}, {"Bezeichnung", 10}}},
      {"LNK_BenutzerGrp_RechtDatei",
       {{"Id", 4},
        {"Typ", 10},
        {"Kuerzel", 10},
        {"BenutzerGrpId", 4},
        {"Lesen", 1},
        {"Schreiben", 1},
        {"Besitzer", 1}}},
      {"RechtModul", {{"Id", 4}, {"Kuerzel", 10}, {"Bezeichnung", 10}}},
      {"LNK_BenutzerGrp_RechtModul",
       {{"RechtModulId", 4}, {"BenutzerGrpId", 4}}},
      {"Vererbung", {{"IstAn", 1}}}};
  for (const auto& [table, columns] : expected) {
    RsHandle rs = db->OpenRecordset("SELECT * FROM " + table);
    std::map<std::string, int16_t> types;
    for (int32_t i = 0; i < rs->Fields().Count(); ++i) {
      types[rs->Fields()[i].Name()] = rs->Fields()[i].Type();
    }
    EXPECT_EQ(types, columns) << table;
  }

  // Shipped with inheritance off and no rights: the administration is on.
  RsHandle rs = db->OpenRecordset("SELECT IstAn FROM Vererbung ");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields()["IstAn"].Value(), Variant(false));
  EXPECT_EQ(
      CLng(db->OpenRecordset("SELECT COUNT(*) AS MYCOUNT FROM RechtDatei ")
               ->Fields()["MYCOUNT"]
               .Value()),
      0);
  // A user name is taken once.
  db->Execute("INSERT INTO [User] (Name, BenutzerArt) VALUES ('anna', 1)");
  EXPECT_THROW(db->Execute("INSERT INTO [User] (Name) VALUES ('anna')"), Error);
}

}  // namespace
}  // namespace vx
