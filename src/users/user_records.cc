#include "users/user_records.h"

#include "data/sql_text.h"
#include "engine/dao_errors.h"
#include "engine/recordset.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// All columns: a user database made from the older template has no
// Fehlversuche yet.
constexpr const char* kUserColumns = "SELECT * FROM [User] WHERE ";

std::string TextOf(dao::Field& field) {
  Variant v = field.Value();
  return v.IsNull() ? std::string() : CStr(v);
}

int32_t LongOf(dao::Field& field) {
  Variant v = field.Value();
  return v.IsNull() ? 0 : CLng(v);
}

std::optional<UserRecord> FindUser(dao::Database& db,
                                   const std::string& condition) {
  RsHandle rs = db.OpenRecordset(kUserColumns + condition,
                                 Variant(dao::kOpenForwardOnly));
  if (rs->Eof()) return std::nullopt;
  dao::Fields& f = rs->Fields();
  UserRecord user;
  user.id = LongOf(f["Id"]);
  user.name = TextOf(f["Name"]);
  user.hash = TextOf(f["PasswortHash"]);
  user.legacy_salt = TextOf(f["PasswortSalz"]);
  user.art = LongOf(f["BenutzerArt"]);
  user.gesperrt = LongOf(f["Gesperrt"]) != 0;
  if (dao::Field* failures = f.Find("Fehlversuche")) {
    user.fehlversuche = LongOf(*failures);
  }
  rs->Close();
  return user;
}

}  // namespace

void RecordFailedLogins(dao::Database& db, const UserRecord& user,
                        int32_t count) {
  const std::string update = "UPDATE [User] SET Fehlversuche = " +
                             std::to_string(count) +
                             " WHERE Id = " + std::to_string(user.id);
  try {
    db.Execute(update);
  } catch (const Error& e) {
    // A user database made from the older template gets the column first.
    if (e.number() != dao::kErrTooFewParameters) throw;
    db.Execute("ALTER TABLE [User] ADD COLUMN Fehlversuche LONG");
    db.Execute(update);
  }
}

std::optional<UserRecord> FindUserByName(dao::Database& db,
                                         const std::string& name) {
  return FindUser(db, "Name = " + SqlText(name));
}

std::optional<UserRecord> FindUserById(dao::Database& db, int32_t id) {
  return FindUser(db, "Id = " + std::to_string(id));
}

int32_t SingleUserGroupOf(dao::Database& db, int32_t user_id) {
  RsHandle rs = db.OpenRecordset(
      "SELECT BenutzerGrp.Id AS GrpId FROM BenutzerGrp INNER JOIN "
      "LNK_User_BenutzerGrp ON BenutzerGrp.Id = "
      "LNK_User_BenutzerGrp.BenutzerGrpId WHERE LNK_User_BenutzerGrp.UserId "
      "= " + std::to_string(user_id) + " AND BenutzerGrp.Einzelgruppe = True",
      Variant(dao::kOpenForwardOnly));
  int32_t id = rs->Eof() ? 0 : LongOf(rs->Fields()["GrpId"]);
  rs->Close();
  return id;
}

}  // namespace vx
