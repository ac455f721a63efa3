// What the tests of users, rights, login and creating projects share: an
// installation with a user database and a project database made from the
// templates, direct ways to fill the user database, and the registration
// of component doubles.

#ifndef VX_USERS_USERS_TEST_UTIL_H_
#define VX_USERS_USERS_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <tuple>
#include <vector>

#include "data/connections.h"
#include "data/schema_scripts.h"
#include "data/sql_text.h"
#include "engine/schema.h"
#include "platform/module_state.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "users/password_hash.h"
#include "users/rights_queries.h"
#include "vx_taluvek/components.h"

namespace vx::testing {

// Registers `factory` under `program_id` for the life of the object.
class ScopedComponent {
 public:
  ScopedComponent(std::string program_id, ComponentFactory factory)
      : program_id_(std::move(program_id)),
        previous_(RegisterComponent(program_id_, std::move(factory))) {}
  ~ScopedComponent() { RegisterComponent(program_id_, previous_); }
  ScopedComponent(const ScopedComponent&) = delete;
  ScopedComponent& operator=(const ScopedComponent&) = delete;

 private:
  std::string program_id_;
  ComponentFactory previous_;
};

// Forgets the process's logged-in user.
inline void LogOutEverywhere() {
  auto user = CreateComponent<AktUser>();
  user->Name("");
  user->Id(0);
}

// A group's rights on an object: group, Lesen, Schreiben, Besitzer.
using RightRow = std::tuple<int32_t, bool, bool, bool>;

class UsersTest : public ::testing::Test {
 protected:
  UsersTest()
      : lizenz(inst.File("lizenz")),
        projekt(inst.File("projekt")),
        strukturen(inst.File("strukturen")),
        user_db(lizenz + "/USER.VX3DB"),
        projekt_db(projekt + "/PROJEKT.VX3DB") {
    for (const std::string& d : {lizenz, projekt, strukturen}) {
      mkdir(d.c_str(), 0777);
    }
    inst.WriteSettings("[Datei Verzeichnisse]\nLIZENZ=" + lizenz +
                       "\nPROJEKT=" + projekt + "\nSTRUKTUREN=" + strukturen +
                       "\n");
    dao::CreateDatabase(user_db, SchemaScript("USERSTRUK"), kSuitePassword);
    dao::CreateDatabase(projekt_db, SchemaScript("PRJSTRUK"), kSuitePassword);
    LogOutEverywhere();
    KeptRecht() = nullptr;
  }
  ~UsersTest() override {
    LogOutEverywhere();
    KeptRecht() = nullptr;
  }

  DbHandle Open(const std::string& path) {
    return engine.OpenDatabase(path, false, false,
                               std::string(kBareConnect) + kSuitePassword);
  }
  void UserSql(const std::string& sql) { Open(user_db)->Execute(sql); }
  void ProjektSql(const std::string& sql) { Open(projekt_db)->Execute(sql); }
  int32_t UserLong(const std::string& sql) {
    RsHandle rs = Open(user_db)->OpenRecordset(sql);
    return rs->Eof() ? 0 : CLng(rs->Fields()[0].Value());
  }
  int32_t LastId(const std::string& table) {
    return UserLong("SELECT Max(Id) FROM " + table);
  }

  // A group, and a user with his single-user group; answer their ids.
  int32_t AddGroup(const std::string& name, bool einzelgruppe = false) {
    UserSql("INSERT INTO BenutzerGrp (Name, Einzelgruppe) VALUES (" +
            SqlText(name) + ", " + (einzelgruppe ? "True" : "False") + ")");
    return LastId("BenutzerGrp");
  }
  void Join(int32_t user, int32_t group) {
    UserSql("INSERT INTO LNK_User_BenutzerGrp (UserId, BenutzerGrpId) VALUES (" +
            std::to_string(user) + ", " + std::to_string(group) + ")");
  }
  int32_t AddUser(const std::string& name, const std::string& hash,
                  int32_t art = 0, bool gesperrt = false) {
    UserSql("INSERT INTO [User] (Name, PasswortHash, BenutzerArt, Gesperrt) "
            "VALUES (" + SqlText(name) + ", " + SqlText(hash) + ", " +
            std::to_string(art) + ", " + (gesperrt ? "True" : "False") + ")");
    const int32_t id = LastId("[User]");
    Join(id, AddGroup(name, true));
    return id;
  }
  int32_t SingleGroup(int32_t user) {
    DbHandle none;
    return GetEinzelGrpId(user, none);
  }
  void GrantModule(int32_t group, const std::string& kuerzel) {
    if (UserLong("SELECT Count(*) FROM RechtModul WHERE Kuerzel = " +
                 SqlText(kuerzel)) == 0) {
      UserSql("INSERT INTO RechtModul (Kuerzel) VALUES (" + SqlText(kuerzel) +
              ")");
    }
    UserSql("INSERT INTO LNK_BenutzerGrp_RechtModul (RechtModulId, "
            "BenutzerGrpId) SELECT Id, " + std::to_string(group) +
            " FROM RechtModul WHERE Kuerzel = " + SqlText(kuerzel));
  }
  void GrantObject(int32_t group, const std::string& typ,
                   const std::string& kuerzel, bool l, bool s, bool b) {
    auto yes = [](bool v) { return std::string(v ? "True" : "False"); };
    UserSql("INSERT INTO LNK_BenutzerGrp_RechtDatei (Typ, Kuerzel, "
            "BenutzerGrpId, Lesen, Schreiben, Besitzer) VALUES (" +
            SqlText(typ) + ", " + SqlText(kuerzel) + ", " +
            std::to_string(group) + ", " + yes(l) + ", " + yes(s) + ", " +
            yes(b) + ")");
  }
  // The rights held on an object, ordered by group.
  std::vector<RightRow> Rights(const std::string& typ, const std::string& kuerzel) {
    RsHandle rs = Open(user_db)->OpenRecordset(
        "SELECT BenutzerGrpId, Lesen, Schreiben, Besitzer FROM "
        "LNK_BenutzerGrp_RechtDatei WHERE Typ = " + SqlText(typ) +
        " AND Kuerzel = " + SqlText(kuerzel) + " ORDER BY BenutzerGrpId");
    std::vector<RightRow> rights;
    for (; !rs->Eof(); rs->MoveNext()) {
      dao::Fields& f = rs->Fields();
      rights.emplace_back(CLng(f[0].Value()), CBool(f[1].Value()),
                          CBool(f[2].Value()), CBool(f[3].Value()));
    }
    return rights;
  }
  void SwitchAdministrationOff() {
    UserSql("INSERT INTO RechtDatei (Typ, Bezeichnung) VALUES ('PR', 'aus')");
  }
  void Inheritance(bool on) {
    UserSql(std::string("UPDATE Vererbung SET IstAn = ") +
            (on ? "True" : "False"));
  }

  Installation inst;
  FakeHost host;
  std::string lizenz, projekt, strukturen, user_db, projekt_db;
  dao::DBEngine engine;
};

}  // namespace vx::testing

#endif  // VX_USERS_USERS_TEST_UTIL_H_
