#include "users/rights_grant.h"

#include <charconv>
#include <optional>
#include <vector>

#include "data/sql_text.h"
#include "files/file_set.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "translate/trt.h"
#include "users/rights_queries.h"
#include "users/user_database.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

struct Parent {
  std::string typ;
  std::string kuerzel;
};

// A structure node's key as a node id: 32-bit, so that ids past 32767
// work; nothing for a key that is no whole number.
std::optional<int32_t> NodeId(const std::string& key) {
  const std::string trimmed = Trim(key);
  int32_t id = 0;
  const char* end = trimmed.data() + trimmed.size();
  auto [ptr, ec] = std::from_chars(trimmed.data(), end, id);
  if (trimmed.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return id;
}

// Copies every group's rights on `parent` to the object, except those of
// the logged-in user's single-user group and of the administrators.
void CopyGroupRights(DbHandle& db, const Parent& parent, const std::string& typ,
                     const std::string& kuerzel,
                     const std::string& admin_list) {
  std::string sql = "SELECT * FROM LNK_BenutzerGrp_RechtDatei WHERE Typ = " +
                    SqlText(parent.typ) + " AND Kuerzel = " +
                    SqlText(parent.kuerzel) + " AND BenutzerGrpId <> " +
                    std::to_string(GetEinzelGrpId(State().lUserId, db)) + " ";
  if (!admin_list.empty()) {
    sql += "AND NOT (BenutzerGrpId IN (" + admin_list + "))";
  }
  if (!db) db = OpenUserDb();
  if (!db) Raise(kErrObjectNotSet);
  // All rows are read before the first grant: the rights component writes
  // to the same database, which an open recordset would keep locked.
  struct Row {
    int32_t group;
    bool lesen, schreiben, besitzer;
  };
  std::vector<Row> rows;
  RsHandle rs = db->OpenRecordset(sql, Variant(dao::kOpenSnapshot));
  for (; !rs->Eof(); rs->MoveNext()) {
    dao::Fields& f = rs->Fields();
    rows.push_back({CLng(f["BenutzerGrpId"].Value()), CBool(f["Lesen"].Value()),
                    CBool(f["Schreiben"].Value()),
                    CBool(f["Besitzer"].Value())});
  }
  CloseRs(rs);
  for (const Row& row : rows) {
    BerechtigungVergeben(row.group, typ, kuerzel, row.lesen, row.schreiben,
                         row.besitzer, true);
  }
}

// A library module: the logged-in user's ordinary groups that hold the
// module rights to start (read) or edit (read and write) libraries.
void GrantLibraryRights(DbHandle& db, const std::string& kuerzel) {
  if (!db) db = OpenUserDb();
  if (!db) Raise(kErrObjectNotSet);
  for (const char* modul : {"LB_START", "LB_EDIT"}) {
    const bool schreiben = std::string(modul) == "LB_EDIT";
    RsHandle rs = db->OpenRecordset(
        "SELECT BenutzerGrpId from RechtModul INNER JOIN "
        "LNK_BenutzerGrp_RechtModul ON RechtModul.Id = "
        "LNK_BenutzerGrp_RechtModul.RechtModulId where RechtModul.Kuerzel = " +
            SqlText(modul) +
            "  and BenutzerGrpId in(SELECT BenutzerGrpID FROM "
            "(LNK_User_BenutzerGrp INNER JOIN [User] ON "
            "LNK_User_BenutzerGrp.UserId = [User].Id) INNER JOIN BenutzerGrp "
            "ON LNK_User_BenutzerGrp.BenutzerGrpId = BenutzerGrp.Id  where "
            "UserId = " +
            std::to_string(State().lUserId) +
            " and (Einzelgruppe = 0 or Einzelgruppe IS NULL))",
        Variant(dao::kOpenSnapshot));
    std::vector<int32_t> groups;
    for (; !rs->Eof(); rs->MoveNext()) {
      groups.push_back(CLng(rs->Fields()["BenutzerGrpId"].Value()));
    }
    CloseRs(rs);
    for (int32_t group : groups) {
      BerechtigungVergeben(group, "LB", kuerzel, true, schreiben, false, true);
    }
  }
}

}  // namespace

void BerechtigungVergeben(int32_t id, const std::string& typ,
                          const std::string& kuerzel, bool lesen,
                          bool schreiben, bool besitzer, bool id_ist_gruppe) {
  try {
    if (!bUserVerwAktiv(false)) return;
    std::shared_ptr<Berechtigung> berechtigung =
        CreateComponent<Berechtigung>();
    berechtigung->UserId(id);
    berechtigung->bUserIdIstGrpId(id_ist_gruppe);
    berechtigung->typ(typ);
    berechtigung->Kuerzel(kuerzel);
    berechtigung->GibBerechtigung(lesen, schreiben, besitzer);
  } catch (...) {
    try {
      CurrentHost().MsgBox(
          TRT("Es ist ein Fehler bei der Berechtigungsvergabe aufgetreten.") +
              " (" + typ + "," + kuerzel + ")",
          kStopSystemModal, TRT("Berechtigungsvergabe"));
    } catch (...) {
      // Nothing more can be told; the caller goes on.
    }
  }
  Err().Clear();
}

void RechteVererben(const std::string& typ, const std::string& kuerzel) {
  if (typ == "BR" &&
      (Left(kuerzel, 4) == "_A__" || Left(kuerzel, 4) == "_V__")) {
    return;
  }
  if (!bUserVerwAktiv(false) || !bVererbungAn(false)) return;

  DbHandle db = OpenUserDb();
  struct Closer {
    DbHandle& db;
    ~Closer() { CloseDb(db); }
  } closer{db};
  const std::string admin_list = GetAdminGrpListe(db);

  Parent parent;
  if (typ == "ST") {
    std::optional<int32_t> node = NodeId(kuerzel);
    if (!node) return;
    const int32_t parent_node = GetParentKey(*node);
    if (parent_node == 0) return;
    parent = {"ST", std::to_string(parent_node)};
  } else if (typ == "PR") {
    const int32_t node = GetStrukturId(kuerzel);
    if (node == 0) return;
    parent = {"ST", std::to_string(node)};
  } else if (typ == "LV" || typ == "AU" || typ == "ZA" || typ == "EK" ||
             typ == "RB" || typ == "KO" || typ == "BR" || typ == "KS") {
    parent = {"PR", GetProNrFromFile(typ, kuerzel)};
  } else if (typ == "LB") {
    GrantLibraryRights(db, kuerzel);
    return;
  } else {
    return;
  }
  CopyGroupRights(db, parent, typ, kuerzel, admin_list);
}

}  // namespace vx
