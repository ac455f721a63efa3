// The rights components the library brings along, on the user database.
//
// clsRecht answers module rights: an administrator holds every right, a
// locked or unknown user none, any other user a right that one of his
// groups holds (table LNK_BenutzerGrp_RechtModul).  clsBerechtigung records
// a group's rights on a data object in LNK_BenutzerGrp_RechtDatei, one row
// per object and group.

#include <memory>
#include <string>

#include "data/sql_text.h"
#include "users/user_database.h"
#include "users/user_records.h"
#include "vx_taluvek/components.h"

namespace vx {

namespace {

class DefaultRecht : public Recht {
 public:
  void UserId(int32_t value) override { user_id_ = value; }
  void Kuerzel(const std::string& value) override { kuerzel_ = value; }

  // Asked for every action a program checks: the user database stays
  // open on the thread, and one statement answers.
  Variant HatRecht() override {
    RsHandle rs = KeptUserDb().OpenRecordset(
        "SELECT BenutzerArt, Gesperrt, (SELECT COUNT(*) FROM (RechtModul "
        "INNER JOIN LNK_BenutzerGrp_RechtModul ON RechtModul.Id = "
        "LNK_BenutzerGrp_RechtModul.RechtModulId) INNER JOIN "
        "LNK_User_BenutzerGrp ON LNK_User_BenutzerGrp.BenutzerGrpId = "
        "LNK_BenutzerGrp_RechtModul.BenutzerGrpId WHERE RechtModul.Kuerzel = " +
            SqlText(kuerzel_) +
            " AND LNK_User_BenutzerGrp.UserId = [User].Id) AS N FROM [User] "
            "WHERE Id = " + std::to_string(user_id_),
        Variant(dao::kOpenForwardOnly));
    bool held = false;
    if (!rs->Eof()) {
      dao::Fields& f = rs->Fields();
      const Variant art = f[0].Value();
      const Variant gesperrt = f[1].Value();
      if (gesperrt.IsNull() || !CBool(gesperrt)) {
        held = (!art.IsNull() && CLng(art) == kBenutzerArtAdmin) ||
               CLng(f[2].Value()) > 0;
      }
    }
    rs->Close();
    return held;
  }

 private:
  int32_t user_id_ = 0;
  std::string kuerzel_;
};

class DefaultBerechtigung : public Berechtigung {
 public:
  void UserId(int32_t value) override { id_ = value; }
  void bUserIdIstGrpId(bool value) override { is_group_ = value; }
  void typ(const std::string& value) override { typ_ = value; }
  void Kuerzel(const std::string& value) override { kuerzel_ = value; }

  void GibBerechtigung(bool& Lesen, bool& Schreiben, bool& Besitzer) override {
    dao::Database& db = KeptUserDb();
    const int32_t group = is_group_ ? id_ : SingleUserGroupOf(db, id_);
    // A user without a single-user group cannot hold rights: the user
    // administration's data are damaged.
    if (group <= 0) {
      Raise(3021, "Keine Einzelgruppe für den Benutzer " + std::to_string(id_));
    }
    const std::string object = "Typ = " + SqlText(typ_) +
                               " AND Kuerzel = " + SqlText(kuerzel_) +
                               " AND BenutzerGrpId = " + std::to_string(group);
    const std::string values[] = {Bool(Lesen), Bool(Schreiben), Bool(Besitzer)};
    db.Execute("UPDATE LNK_BenutzerGrp_RechtDatei SET Lesen = " + values[0] +
               ", Schreiben = " + values[1] + ", Besitzer = " + values[2] +
               " WHERE " + object);
    if (db.RecordsAffected() == 0) {
      db.Execute(
          "INSERT INTO LNK_BenutzerGrp_RechtDatei (Typ, Kuerzel, "
          "BenutzerGrpId, Lesen, Schreiben, Besitzer) VALUES (" +
          SqlText(typ_) + ", " + SqlText(kuerzel_) + ", " +
          std::to_string(group) + ", " + values[0] + ", " + values[1] + ", " +
          values[2] + ")");
    }
  }

 private:
  static std::string Bool(bool value) { return value ? "True" : "False"; }

  int32_t id_ = 0;
  bool is_group_ = false;
  std::string typ_;
  std::string kuerzel_;
};

const bool registered = [] {
  RegisterComponent(Recht::kProgramId,
                    [] { return std::make_shared<DefaultRecht>(); });
  RegisterComponent(Berechtigung::kProgramId,
                    [] { return std::make_shared<DefaultBerechtigung>(); });
  return true;
}();

}  // namespace

}  // namespace vx
