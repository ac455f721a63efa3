#include "users/rights_queries.h"

#include "config/directories.h"
#include "data/sql_text.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "translate/trt.h"
#include "users/user_database.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr const char* kProjektDbName = "PROJEKT.VX3DB";

// The first column of the first row of `sql` on `db` as a 32-bit number, 0
// when there is no row or anything fails.  Leaves no error pending.
int32_t FirstLong(const DbHandle& db, const std::string& sql,
                  const char* column) {
  int32_t result = 0;
  RsHandle rs;
  ResumeNext([&] {
    if (!db) return;
    rs = db->OpenRecordset(sql, Variant(dao::kOpenSnapshot));
    if (rs->RecordCount() >= 1) {
      Variant v = rs->Fields()[column].Value();
      result = v.IsNull() ? 0 : CLng(v);
    }
  });
  CloseRs(rs);
  Err().Clear();
  return result;
}

// Runs `sql` on the project database, opened and closed for it.
int32_t ProjektDbLong(const std::string& sql, const char* column) {
  DbHandle db;
  ResumeNext([&] {
    Variant connect(kBareConnect);
    db = OpenDb(GetVerzeichnis("PROJEKT", false, false) + kProjektDbName,
                false, Variant(false), connect, false);
  });
  int32_t result = FirstLong(db, sql, column);
  CloseDb(db);
  Err().Clear();
  return result;
}

void ShowRefusal(const std::string& kuerzel, const std::string& beschreibung) {
  const std::string text =
      beschreibung.empty()
          ? TRT("Sie haben nicht das Recht diese Aktion auszuführen!")
          : TRT("Sie haben nicht das Recht diese Aktion auszuführen:") + "\n" +
                beschreibung;
  CurrentHost().MsgBox(text, kExclamationSystemModal,
                       TRT("Rechteüberprüfung") + "   [" + kuerzel + "]");
}

}  // namespace

bool RechtDateiLeer() {
  bool result = false;
  DbHandle db = OpenUserDb();
  if (db) {
    ResumeNext([&] {
      RsHandle rs =
          db->OpenRecordset("SELECT COUNT(*) AS MYCOUNT FROM RechtDatei ");
      result = CLng(rs->Fields()["MYCOUNT"].Value()) == 0;
      rs->Close();
    });
    ResumeNext([&] { CloseDbHandle(db); });
  }
  Err().Clear();
  return result;
}

bool bUserVerwAktiv(bool neu_pruefen) {
  auto& cache = State().RechteCache;
  if (neu_pruefen) {
    cache.aktiv_geprueft = false;
    cache.aktiv = false;
  }
  if (!cache.aktiv_geprueft) {
    cache.aktiv = RechtDateiLeer();
    cache.aktiv_geprueft = true;
  }
  return cache.aktiv;
}

bool bVererbungAn(bool neu_pruefen) {
  auto& cache = State().RechteCache;
  if (neu_pruefen) cache.vererbung_geprueft = false;
  if (cache.vererbung_geprueft) return cache.vererbung_an;
  cache.vererbung_an = false;
  DbHandle db = OpenUserDb();
  RsHandle rs;
  const bool read = db && ResumeNext([&] {
    rs = db->OpenRecordset("SELECT IstAn FROM Vererbung ");
    if (rs->RecordCount() > 0) {
      Variant v = rs->Fields()["IstAn"].Value();
      cache.vererbung_an = !v.IsNull() && CBool(v);
    }
  });
  // A failure is asked again at the next call.
  cache.vererbung_geprueft = read;
  if (!read) cache.vererbung_an = false;
  CloseRs(rs);
  CloseDb(db);
  Err().Clear();
  return cache.vererbung_an;
}

bool bHatRecht(int32_t user_id, const std::string& kuerzel, bool melden,
               const std::string& beschreibung) {
  bool result = false;
  try {
    if (!bUserVerwAktiv(false)) {
      result = true;
    } else if (user_id != 0) {
      std::shared_ptr<Recht> recht = CreateComponent<Recht>();
      recht->UserId(user_id);
      recht->Kuerzel(kuerzel);
      result = CBool(recht->HatRecht());
    } else {
      // Nobody is logged in: the library's own flows log in first, so only
      // a misuse gets here, and it is refused rather than granted.
      if (IsDesign()) {
        CurrentHost().MsgBox("UserId ist 0 - wurde der 'LoginOk' gemacht?",
                             kSystemModal, "Design");
      }
      result = false;
    }
  } catch (...) {
    result = false;
    CurrentHost().MsgBox(
        TRT("Es ist ein Fehler bei der Rechteüberprüfung aufgetreten.") +
            " (" + kuerzel + ")",
        kStopSystemModal, TRT("Rechteüberprüfung"));
  }
  Err().Clear();
  if (melden && !result) ShowRefusal(kuerzel, beschreibung);
  return result;
}

bool HatRechtAktUser(const std::shared_ptr<Recht>& recht,
                     const std::string& kuerzel) {
  const std::shared_ptr<Recht>& asked = KeptRecht() ? KeptRecht() : recht;
  bool result = false;
  auto ask = [&] {
    if (!asked) Raise(kErrObjectNotSet);
    asked->UserId(CurrentAktUser().Id());
    asked->Kuerzel(kuerzel);
    result = CBool(asked->HatRecht());
  };
  // In the development environment a failure goes to the caller.
  if (IsDesign()) {
    ask();
  } else if (!ResumeNext(ask)) {
    result = false;
  }
  return result;
}

int32_t GetStrukturId(const std::string& pro_nr) {
  return ProjektDbLong(
      "SELECT StrukturId FROM Projekt WHERE ProNr = " + SqlText(pro_nr),
      "StrukturId");
}

int32_t GetParentKey(int32_t node_id) {
  return ProjektDbLong("SELECT ParentKey FROM Projektverwaltung WHERE ID = " +
                           std::to_string(node_id),
                       "ParentKey");
}

int32_t GetEinzelGrpId(int32_t user_id, DbHandle& db) {
  const bool opened_here = !db;
  if (opened_here) db = OpenUserDb();
  int32_t result = FirstLong(
      db,
      "SELECT BenutzerGrp.Id AS BenGrpId FROM BenutzerGrp INNER JOIN "
      "LNK_User_BenutzerGrp ON BenutzerGrp.Id = "
      "LNK_User_BenutzerGrp.BenutzerGrpId WHERE LNK_User_BenutzerGrp.UserId = " +
          std::to_string(user_id) + " AND BenutzerGrp.Einzelgruppe = -1",
      "BenGrpId");
  if (opened_here) CloseDb(db);
  return result;
}

std::string GetAdminGrpListe(DbHandle& db) {
  const bool opened_here = !db;
  if (opened_here) db = OpenUserDb();
  std::string list;
  RsHandle rs;
  ResumeNext([&] {
    if (!db) return;
    rs = db->OpenRecordset(
        "SELECT BenutzerGrp.Id AS BenGrpId FROM [User] INNER JOIN "
        "(BenutzerGrp INNER JOIN LNK_User_BenutzerGrp ON "
        "BenutzerGrp.Id=LNK_User_BenutzerGrp.BenutzerGrpId) ON "
        "[User].Id=LNK_User_BenutzerGrp.UserId WHERE "
        "BenutzerGrp.Einzelgruppe=-1 And [User].BenutzerArt=1 ",
        Variant(dao::kOpenSnapshot));
    for (; !rs->Eof(); rs->MoveNext()) {
      const int32_t id = CLng(rs->Fields()["BenGrpId"].Value());
      if (id > 0) list += std::to_string(id) + ", ";
    }
  });
  CloseRs(rs);
  if (opened_here) CloseDb(db);
  Err().Clear();
  list = Trim(list);
  if (!list.empty() && list.back() == ',') list.pop_back();
  return list;
}

AktUser& CurrentAktUser() {
  thread_local std::shared_ptr<AktUser> user;
  if (!user) user = CreateComponent<AktUser>();
  return *user;
}

std::shared_ptr<Recht>& KeptRecht() {
  thread_local std::shared_ptr<Recht> recht;
  return recht;
}

}  // namespace vx
