#include "users/user_admin.h"

#include "data/sql_text.h"
#include "users/password_hash.h"
#include "users/user_database.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

constexpr int32_t kErrNoDatabase = 3044;
constexpr int32_t kErrNotFound = 3021;
constexpr int32_t kErrTaken = 3022;

DbHandle Db() {
  DbHandle db = OpenUserDb();
  if (!db) Raise(kErrNoDatabase, "Die Benutzerdatenbank " + UserDbPath() +
                                     " ist nicht erreichbar");
  return db;
}

int32_t Long(dao::Database& db, const std::string& sql) {
  RsHandle rs = db.OpenRecordset(sql, Variant(dao::kOpenForwardOnly));
  int32_t value = 0;
  if (!rs->Eof()) {
    Variant v = rs->Fields()[0].Value();
    value = v.IsNull() ? 0 : CLng(v);
  }
  rs->Close();
  return value;
}

UserRecord User(dao::Database& db, const std::string& name) {
  std::optional<UserRecord> user = FindUserByName(db, name);
  if (!user) Raise(kErrNotFound, "Den Benutzer '" + name + "' gibt es nicht");
  return *user;
}

int32_t GroupId(dao::Database& db, const std::string& name, bool einzelgruppe) {
  const int32_t id = Long(
      db, "SELECT Id FROM BenutzerGrp WHERE Name = " + SqlText(name) +
              " AND Einzelgruppe = " + (einzelgruppe ? "True" : "False"));
  if (id == 0 && !einzelgruppe) {
    Raise(kErrNotFound, "Die Gruppe '" + name + "' gibt es nicht");
  }
  return id;
}

std::string Id(int32_t id) { return std::to_string(id); }

}  // namespace

int32_t AddUser(const std::string& name, const std::string& password,
                int32_t art) {
  DbHandle db = Db();
  if (FindUserByName(*db, name)) {
    Raise(kErrTaken, "Den Benutzer '" + name + "' gibt es schon");
  }
  db->Execute("INSERT INTO [User] (Name, PasswortHash, BenutzerArt, Gesperrt, "
              "Fehlversuche) VALUES (" + SqlText(name) + ", " +
              SqlText(HashPassword(password)) + ", " + Id(art) + ", False, 0)");
  const int32_t user = User(*db, name).id;
  db->Execute("INSERT INTO BenutzerGrp (Name, Einzelgruppe) VALUES (" +
              SqlText(name) + ", True)");
  const int32_t group = Long(*db, "SELECT Max(Id) FROM BenutzerGrp");
  db->Execute("INSERT INTO LNK_User_BenutzerGrp (UserId, BenutzerGrpId) "
              "VALUES (" + Id(user) + ", " + Id(group) + ")");
  return user;
}

void SetPassword(const std::string& name, const std::string& password) {
  DbHandle db = Db();
  const UserRecord user = User(*db, name);
  db->Execute("UPDATE [User] SET PasswortHash = " +
              SqlText(HashPassword(password)) +
              ", PasswortSalz = Null, Fehlversuche = 0 WHERE Id = " +
              Id(user.id));
}

void LockUser(const std::string& name, bool locked) {
  DbHandle db = Db();
  const UserRecord user = User(*db, name);
  db->Execute(std::string("UPDATE [User] SET Gesperrt = ") +
              (locked ? "True" : "False, Fehlversuche = 0") +
              " WHERE Id = " + Id(user.id));
}

void DeleteUser(const std::string& name) {
  DbHandle db = Db();
  const UserRecord user = User(*db, name);
  const int32_t group = SingleUserGroupOf(*db, user.id);
  db->Execute("DELETE FROM LNK_User_BenutzerGrp WHERE UserId = " + Id(user.id));
  if (group > 0) {
    for (const char* table : {"LNK_BenutzerGrp_RechtDatei",
                              "LNK_BenutzerGrp_RechtModul"}) {
      db->Execute(std::string("DELETE FROM ") + table +
                  " WHERE BenutzerGrpId = " + Id(group));
    }
    db->Execute("DELETE FROM BenutzerGrp WHERE Id = " + Id(group));
  }
  db->Execute("DELETE FROM [User] WHERE Id = " + Id(user.id));
}

std::vector<UserRecord> ListUsers() {
  DbHandle db = Db();
  RsHandle rs = db->OpenRecordset("SELECT Name FROM [User] ORDER BY Name",
                                  Variant(dao::kOpenSnapshot));
  std::vector<std::string> names;
  for (; !rs->Eof(); rs->MoveNext()) names.push_back(CStr(rs->Fields()[0].Value()));
  rs->Close();
  std::vector<UserRecord> users;
  for (const std::string& name : names) users.push_back(User(*db, name));
  return users;
}

int32_t AddGroup(const std::string& name) {
  DbHandle db = Db();
  if (Long(*db, "SELECT Count(*) FROM BenutzerGrp WHERE Name = " +
                    SqlText(name)) > 0) {
    Raise(kErrTaken, "Die Gruppe '" + name + "' gibt es schon");
  }
  db->Execute("INSERT INTO BenutzerGrp (Name, Einzelgruppe) VALUES (" +
              SqlText(name) + ", False)");
  return GroupId(*db, name, false);
}

void JoinGroup(const std::string& group, const std::string& user) {
  DbHandle db = Db();
  const int32_t g = GroupId(*db, group, false);
  const int32_t u = User(*db, user).id;
  if (Long(*db, "SELECT Count(*) FROM LNK_User_BenutzerGrp WHERE UserId = " +
                    Id(u) + " AND BenutzerGrpId = " + Id(g)) > 0) {
    return;
  }
  db->Execute("INSERT INTO LNK_User_BenutzerGrp (UserId, BenutzerGrpId) "
              "VALUES (" + Id(u) + ", " + Id(g) + ")");
}

void LeaveGroup(const std::string& group, const std::string& user) {
  DbHandle db = Db();
  const int32_t g = GroupId(*db, group, false);
  const int32_t u = User(*db, user).id;
  db->Execute("DELETE FROM LNK_User_BenutzerGrp WHERE UserId = " + Id(u) +
              " AND BenutzerGrpId = " + Id(g));
}

std::vector<GroupInfo> ListGroups() {
  DbHandle db = Db();
  std::vector<GroupInfo> groups;
  RsHandle rs = db->OpenRecordset(
      "SELECT Id, Name FROM BenutzerGrp WHERE Einzelgruppe = False OR "
      "Einzelgruppe IS NULL ORDER BY Name",
      Variant(dao::kOpenSnapshot));
  for (; !rs->Eof(); rs->MoveNext()) {
    groups.push_back({CLng(rs->Fields()[0].Value()),
                      CStr(rs->Fields()[1].Value()), {}});
  }
  rs->Close();
  for (GroupInfo& g : groups) {
    RsHandle members = db->OpenRecordset(
        "SELECT [User].Name FROM [User] INNER JOIN LNK_User_BenutzerGrp ON "
        "[User].Id = LNK_User_BenutzerGrp.UserId WHERE "
        "LNK_User_BenutzerGrp.BenutzerGrpId = " + Id(g.id) +
            " ORDER BY [User].Name",
        Variant(dao::kOpenSnapshot));
    for (; !members->Eof(); members->MoveNext()) {
      g.members.push_back(CStr(members->Fields()[0].Value()));
    }
    members->Close();
  }
  return groups;
}

void SetModuleRight(const std::string& group, const std::string& kuerzel,
                    bool granted) {
  DbHandle db = Db();
  int32_t g = Long(*db, "SELECT Id FROM BenutzerGrp WHERE Name = " +
                            SqlText(group) +
                            " AND (Einzelgruppe = False OR Einzelgruppe IS NULL)");
  if (g == 0) {
    std::optional<UserRecord> user = FindUserByName(*db, group);
    if (user) g = SingleUserGroupOf(*db, user->id);
  }
  if (g == 0) Raise(kErrNotFound, "Die Gruppe '" + group + "' gibt es nicht");
  const std::string key = SqlText(kuerzel);
  if (Long(*db, "SELECT Count(*) FROM RechtModul WHERE Kuerzel = " + key) == 0) {
    if (!granted) return;
    db->Execute("INSERT INTO RechtModul (Kuerzel) VALUES (" + key + ")");
  }
  const int32_t modul =
      Long(*db, "SELECT Id FROM RechtModul WHERE Kuerzel = " + key);
  const std::string link = " WHERE RechtModulId = " + Id(modul) +
                           " AND BenutzerGrpId = " + Id(g);
  const bool held =
      Long(*db, "SELECT Count(*) FROM LNK_BenutzerGrp_RechtModul" + link) > 0;
  if (granted && !held) {
    db->Execute("INSERT INTO LNK_BenutzerGrp_RechtModul (RechtModulId, "
                "BenutzerGrpId) VALUES (" + Id(modul) + ", " + Id(g) + ")");
  } else if (!granted && held) {
    db->Execute("DELETE FROM LNK_BenutzerGrp_RechtModul" + link);
  }
}

std::vector<ObjectRight> RightsOn(const std::string& typ,
                                  const std::string& kuerzel) {
  DbHandle db = Db();
  RsHandle rs = db->OpenRecordset(
      "SELECT BenutzerGrp.Name, BenutzerGrp.Einzelgruppe, Lesen, Schreiben, "
      "Besitzer FROM LNK_BenutzerGrp_RechtDatei INNER JOIN BenutzerGrp ON "
      "LNK_BenutzerGrp_RechtDatei.BenutzerGrpId = BenutzerGrp.Id WHERE Typ = " +
          SqlText(typ) + " AND Kuerzel = " + SqlText(kuerzel) +
          " ORDER BY BenutzerGrp.Name",
      Variant(dao::kOpenSnapshot));
  std::vector<ObjectRight> rights;
  auto yes = [](const Variant& v) { return !v.IsNull() && CBool(v); };
  for (; !rs->Eof(); rs->MoveNext()) {
    dao::Fields& f = rs->Fields();
    rights.push_back({CStr(f[0].Value()), yes(f[1].Value()), yes(f[2].Value()),
                      yes(f[3].Value()), yes(f[4].Value())});
  }
  rs->Close();
  return rights;
}

void SwitchAdministrationOff(dao::Database& db) {
  if (Long(db, "SELECT Count(*) FROM RechtDatei") == 0) {
    db.Execute("INSERT INTO RechtDatei (Typ, Bezeichnung) VALUES ('PR', "
               "'Benutzerverwaltung ausgeschaltet')");
  }
}

void SetAdministration(bool active) {
  DbHandle db = Db();
  if (!active) {
    SwitchAdministrationOff(*db);
    return;
  }
  if (Long(*db, "SELECT Count(*) FROM [User] WHERE BenutzerArt = 1 AND "
                "(Gesperrt = False OR Gesperrt IS NULL) AND PasswortHash > ''") ==
      0) {
    Raise(kErrNotFound,
          "Es gibt keinen Administrator, der sich anmelden kann");
  }
  db->Execute("DELETE FROM RechtDatei");
}

void SetInheritance(bool on) {
  DbHandle db = Db();
  if (Long(*db, "SELECT Count(*) FROM Vererbung") == 0) {
    db->Execute("INSERT INTO Vererbung (IstAn) VALUES (False)");
  }
  db->Execute(std::string("UPDATE Vererbung SET IstAn = ") +
              (on ? "True" : "False"));
}

bool AdministrationActive() {
  DbHandle db = Db();
  return Long(*db, "SELECT Count(*) FROM RechtDatei") == 0;
}

bool InheritanceOn() {
  DbHandle db = Db();
  return Long(*db, "SELECT IstAn FROM Vererbung") != 0;
}

}  // namespace vx
