// Writing the field cache, and saving it to the project's row.

#include <optional>
#include <string>

#include "data/connections.h"
#include "platform/module_state.h"
#include "project/column_classes.h"
#include "project/projekt_impl.h"
#include "users/rights_grant.h"

namespace vx {

namespace {

// The previous number of a row that the save adds.
constexpr const char* kAddedRow = "<Neues Projekt>>>";

// Runs one step of the save.  In the development environment a failing
// step ends the save at once (the boundary records it); elsewhere the
// failure is left pending and the save goes on.
template <typename Step>
bool SaveStep(bool stop_on_error, Step&& step) {
  if (stop_on_error) {
    step();
    return true;
  }
  return ResumeNext(std::forward<Step>(step));
}

}  // namespace

int32_t cls_Projekt::Impl::ProjektIdSuchen(const std::string& sProjNum) {
  const std::string sql =
      "SELECT Id FROM Projekt WHERE " + ProNrCondition(sProjNum);
  int32_t id = 0;
  RsHandle rs;
  if (!OpenProjektDb(sProjektDatei, Pause::kNone) ||
      !Attempt(Pause::k200ms, [&] {
        rs = oProjektDb->OpenRecordset(sql, Variant(dao::kOpenForwardOnly));
      })) {
    // No row matching is the caller's answer; a database that fails is
    // worth telling.
    RecordPending();
  } else {
    ResumeNext([&] {
      if (rs->RecordCount() > 0) id = CLng(rs->Fields()[0].Value());
    });
  }
  Finish(rs);
  return id;
}

bool cls_Projekt::Impl::ProjektSpeichern(int32_t& lProjID) {
  const std::string sql =
      "SELECT * FROM Projekt WHERE Id = " + std::to_string(lProjID);
  Record(0, "");
  const bool stop_on_error = IsDesign();
  PendingError& err = Err();

  if (!OpenProjektDb(sProjektDatei, Pause::kNone)) {
    lProjektId = -1;
    sProjektNr.clear();
    RecordPending();
    lProjID = lProjektId;
    err.Clear();
    return false;
  }
  RsHandle rs;
  if (!Attempt(Pause::kNone, [&] {
        rs = oProjektDb->OpenRecordset(sql, Variant(dao::kOpenDynaset));
      })) {
    RecordPending();
    Finish(rs);
    lProjID = lProjektId;
    return false;
  }

  err.Clear();
  dao::Fields& fields = rs->Fields();
  std::string previous;
  if (rs->RecordCount() == 0) {
    previous = kAddedRow;
    SaveStep(stop_on_error, [&] { rs->AddNew(); });
  } else {
    ResumeNext([&] { previous = ColumnText(fields.Find("ProNr")); });
    err.Clear();
    SaveStep(stop_on_error, [&] { rs->Edit(); });
  }
  int32_t nErr = err.Number();
  std::string nErrText = err.Description();
  const int32_t count = fields.Count();
  nProjektfieldscount = static_cast<int16_t>(count);

  for (int32_t i = 0; i < count && nErr == 0; ++i) {
    // The cache must hold a loaded row that covers every column: a cache
    // with fewer entries, or one left empty by a load that found nothing,
    // would write a row of nulls.
    if (static_cast<size_t>(i) >= aProjektFelder.size() ||
        aProjektFelder[static_cast<size_t>(i)].sName.empty()) {
      nErr = kErrSubscriptOutOfRange;
      nErrText = StandardDescription(kErrSubscriptOutOfRange);
      break;
    }
    const ProjektFeld& entry = aProjektFelder[static_cast<size_t>(i)];
    if (SaveSkips(entry.sName)) continue;
    dao::Field* field = fields.Find(entry.sName);
    const int16_t save_class = SaveClass(entry.sName, field);
    // A value the engine refuses leaves the column as it was.
    SaveStep(stop_on_error, [&] {
      std::optional<Variant> value = SavedValue(save_class, entry);
      if (!value) return;
      if (field == nullptr) Raise(kErrObjectNotSet);
      field->SetValue(*value);
    });
    err.Clear();
  }

  bool result = false;
  if (nErr != 0) {
    ResumeNext([&] { rs->CancelUpdate(); });
    nProjektfieldscount = 0;
    Record(nErr, nErrText);
  } else {
    // A table without the stamp column is saved all the same.
    ResumeNext(
        [&] { fields["Aktualisierung"].SetValue(FormatDateTime(Now())); });
    err.Clear();
    SaveStep(stop_on_error, [&] { rs->Update(); });
    if (!err.IsSet()) ResumeNext([] { FreeDbLocks(); });
    result = !err.IsSet();
    RecordPending();
    if (result) {
      // The properties follow the row as written, with what the engine
      // filled in itself (the Id of an added row).
      ResumeNext([&] { rs->SetBookmark(rs->LastModified()); });
      ResumeNext([&] { sProjektNr = ColumnText(fields.Find("ProNr")); });
      ResumeNext([&] { lProjektId = CLng(fields["Id"].Value()); });
      ResumeNext([&] { sProjektBez = ColumnText(fields.Find("ProBez")); });
      ResumeNext(
          [&] { sProjWaehrung = ColumnText(fields.Find("ProWaehrung")); });
      // Rights go with a row that exists: a save that failed grants none.
      const int32_t user = State().lUserId;
      if (previous.find(kUnnumbered) != std::string::npos && user > 0) {
        BerechtigungVergeben(user, "PR", sProjektNr, true, true, true, false);
        ResumeNext([&] { RechteVererben("PR", sProjektNr); });
      }
    }
  }
  Finish(rs);
  lProjID = lProjektId;
  return result;
}

bool cls_Projekt::bProjWrite(int32_t& lProjID, std::string& sProjNum) {
  return impl_->Guard(false, [&] {
    if (!sProjNum.empty() && lProjID == 0) {
      lProjID = impl_->ProjektIdSuchen(sProjNum);
    }
    if (lProjID <= 0) return false;
    return impl_->ProjektSpeichern(lProjID);
  });
}

bool cls_Projekt::bProjektDatenWrite(Variant& vData, Variant& vIndexOrName) {
  return impl_->Guard(false, [&] {
    Impl& p = *impl_;
    if (!p.aProjektFelder.Loaded()) {
      p.Record(kErrObjectNotSet, StandardDescription(kErrObjectNotSet));
      return false;
    }
    const FieldCache::Target target = p.aProjektFelder.Find(vIndexOrName);
    switch (target.outcome) {
      case FieldCache::Outcome::kBeyondEnd:
      case FieldCache::Outcome::kUnknownName:
        p.Record(kErrColumnNotFound, ColumnNotFoundText());
        return false;
      case FieldCache::Outcome::kNegative:
        p.Record(kErrSubscriptOutOfRange, StandardDescription(kErrSubscriptOutOfRange));
        return false;
      case FieldCache::Outcome::kFound:
        break;
    }
    ProjektFeld& entry = p.aProjektFelder[target.index];
    if (vData.IsNull()) {
      entry.bIstNull = true;
    } else {
      entry.vWert = vData;
      entry.bIstNull = false;
    }
    return true;
  });
}

}  // namespace vx
