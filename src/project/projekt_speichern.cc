// Writing the field cache, and saving it to the project's row.

#include <optional>
#include <string>
#include <vector>

#include "data/connections.h"
#include "engine/dao_errors.h"
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
  int32_t id = 0;
  if (!OpenProjektDb(sProjektDatei, Pause::kNone)) {
    RecordPending();
    Err().Clear();
    return id;
  }
  for (const std::string& condition : ProjektConditions(0, sProjNum)) {
    RsHandle rs;
    if (!Attempt(Pause::k200ms, [&] {
          rs = oProjektDb->OpenRecordset("SELECT Id FROM Projekt WHERE " +
                                             condition,
                                         Variant(dao::kOpenForwardOnly));
        })) {
      // No row matching is the caller's answer; a database that fails is
      // worth telling.
      RecordPending();
      Finish(rs);
      return id;
    }
    ResumeNext([&] {
      if (rs->RecordCount() > 0) id = CLng(rs->Fields()[0].Value());
    });
    Finish(rs);
    if (id != 0) break;
  }
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

  // A cache read from this very row is the caller's working copy of it:
  // only the columns the caller changed are written, and only while no
  // other user has changed them since, so that of two users who change
  // different columns neither loses the other's.  Any other cache (copied
  // into a new row, or over another project) is written whole.
  const bool working_copy =
      aProjektFelder.Loaded() && aProjektFelder.row_id() == lProjID;
  for (int attempt = 1;; ++attempt) {
    RsHandle rs;
    if (!Attempt(Pause::kNone, [&] {
          rs = oProjektDb->OpenRecordset(sql, Variant(dao::kOpenDynaset));
        })) {
      RecordPending();
      Finish(rs);
      return false;  // lProjID still names the row it was asked to write
    }

    err.Clear();
    dao::Fields& fields = rs->Fields();
    std::string previous;
    const bool adding = rs->RecordCount() == 0;
    if (adding) {
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
    const bool changes_only = working_copy && !adding;

    std::vector<size_t> written;
    for (int32_t i = 0; i < count && nErr == 0; ++i) {
      // The cache must hold a loaded row that covers every column: a cache
      // with fewer entries, or one left empty by a load that found nothing,
      // would write a row of nulls.
      if (static_cast<size_t>(i) >= aProjektFelder.size() ||
          aProjektFelder.NameOf(static_cast<size_t>(i)).empty()) {
        nErr = kErrSubscriptOutOfRange;
        nErrText = StandardDescription(kErrSubscriptOutOfRange);
        break;
      }
      const size_t index = static_cast<size_t>(i);
      const ProjektFeld& entry = aProjektFelder[index];
      const std::string& name = aProjektFelder.NameOf(index);
      if (SaveSkips(name)) continue;
      if (changes_only && !aProjektFelder.Changed(index)) continue;
      dao::Field* field = fields.Find(name);
      if (changes_only && field != nullptr) {
        bool unchanged = false;
        ResumeNext([&] {
          unchanged = SameValue(CachedForm(name, *field),
                                aProjektFelder.Basis(index));
        });
        err.Clear();
        if (!unchanged) {
          nErr = dao::kErrWriteConflict;
          nErrText = dao::DaoDescription(dao::kErrWriteConflict);
          break;
        }
      }
      const int16_t save_class = SaveClass(name, field);
      // A value the engine refuses leaves the column as it was.
      SaveStep(stop_on_error, [&] {
        std::optional<Variant> value = SavedValue(save_class, entry);
        if (!value) return;
        if (field == nullptr) Raise(kErrObjectNotSet);
        field->SetValue(*value);
      });
      err.Clear();
      written.push_back(index);
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
      if (changes_only && err.Number() == dao::kErrWriteConflict &&
          attempt < kProjektAttempts) {
        // Another user wrote the row between this read and this write: read
        // it again and look whether the change touched the caller's columns.
        ResumeNext([&] { rs->CancelUpdate(); });
        Finish(rs);
        continue;
      }
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
        SettleWritten(rs, written);
        // Rights go with a row that exists: a save that failed grants none.
        const int32_t user = State().lUserId;
        if (previous.find(kUnnumbered) != std::string::npos && user > 0) {
          BerechtigungVergeben(user, "PR", sProjektNr, true, true, true, false);
          ResumeNext([&] { RechteVererben("PR", sProjektNr); });
        }
      }
    }
    Finish(rs);
    // After a failure the caller's Id names no project the call did not
    // write: the row it was asked to write, or none when it was to be added.
    if (result) {
      lProjID = lProjektId;
    } else if (adding) {
      lProjID = -1;
    }
    return result;
  }
}

void cls_Projekt::Impl::SettleWritten(RsHandle& rs,
                                      const std::vector<size_t>& written) {
  dao::Fields& fields = rs->Fields();
  auto settle = [&](size_t index) {
    ResumeNext([&] {
      const std::string& name = aProjektFelder.NameOf(index);
      if (dao::Field* field = fields.Find(name)) {
        aProjektFelder.Settle(index, CachedForm(name, *field));
      }
    });
  };
  for (size_t index : written) settle(index);
  // The stamp the save set is the row's now, whoever wrote the entry.
  if (std::optional<size_t> stamp = aProjektFelder.Position("AKTUALISIERUNG")) {
    settle(*stamp);
  }
  aProjektFelder.set_row_id(lProjektId);
  Err().Clear();
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
    p.aProjektFelder.Write(target.index, vData);
    return true;
  });
}

}  // namespace vx
