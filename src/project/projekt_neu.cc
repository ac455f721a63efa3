// Creating a project: the right to create one, the database made from its
// template when missing, the new row, and the creator's rights on it.

#include "config/directories.h"
#include "engine/dao_errors.h"
#include "files/ensure_from_struktur.h"
#include "platform/module_state.h"
#include "project/projekt_impl.h"
#include "translate/trt.h"
#include "users/login.h"
#include "users/rights_grant.h"
#include "users/rights_queries.h"
#include "vx_taluvek/host.h"

namespace vx {

std::string PlaceholderNumber(int32_t user_id) {
  return kUnnumbered + std::to_string(user_id);
}

bool cls_Projekt::Impl::RechtNeuesProjekt() {
  if (State().lUserId == 0 && !LoginOk("", false, false)) return false;
  const int32_t user = State().lUserId;
  // A login that leaves nobody logged in (no active user administration)
  // needs no right.
  if (user != 0 &&
      !bHatRecht(user, "PROJ_NEW", true,
                 "'" + TRT("Projekt neu anlegen") + "'")) {
    return false;
  }
  return true;
}

bool cls_Projekt::bProjektNeu(int32_t& lProjID) {
  std::string number;
  bool rv = false;
  return bProjektNeu(lProjID, number, rv);
}

bool cls_Projekt::bProjektNeu(int32_t& lProjID, std::string& sProNr,
                              bool& bIsRVProj) {
  return impl_->Guard(false, [&] {
    Impl& p = *impl_;
    if (!Impl::RechtNeuesProjekt()) return false;
    if (!p.oProjektDb &&
        EnsureFromStruktur(GetVerzeichnis("PROJEKT", false, false) +
                               "PROJEKT.VX3DB",
                           "PRJSTRUK.VX3DB") == 0) {
      return false;
    }
    PendingError& err = Err();
    err.Clear();
    RsHandle rs;
    if (p.OpenProjektDb(p.sProjektDatei, Impl::Pause::kNone) &&
        Impl::Attempt(Impl::Pause::k200ms, [&] {
          rs = p.oProjektDb->OpenRecordset("SELECT * FROM Projekt");
        })) {
      const int32_t user = State().lUserId;
      const std::string placeholder = PlaceholderNumber(user);
      if (sProNr.empty()) sProNr = placeholder;
      // Another user's write of the same moment holds the file a little
      // longer than the engine waits: the new row is tried again.  The
      // engine refuses at once where waiting could deadlock: this
      // recordset's read holds the file shared while the other writer waits
      // for all readers to finish its commit.  So the read is let go and
      // begun anew before the next try.
      for (int attempt = 0; attempt < kProjektAttempts; ++attempt) {
        if (attempt > 0) {
          ResumeNext([&] { rs->Close(); });
          CurrentHost().Sleep(kProjektRetryPauseMs);
          if (!ResumeNext([&] {
                rs = p.oProjektDb->OpenRecordset("SELECT * FROM Projekt");
              })) {
            break;
          }
        }
        err.Clear();
        ResumeNext([&] {
          rs->AddNew();
          rs->Fields()["Pronr"].SetValue(sProNr);
          rs->Fields()["IsRVProj"].SetValue(bIsRVProj);
          rs->Update();
        });
        if (err.Number() != dao::kErrLocked) break;
        const PendingError locked = err;
        ResumeNext([&] { rs->CancelUpdate(); });
        err = locked;
      }
      ResumeNext([&] {
        if (err.IsSet()) return;
        rs->SetBookmark(rs->LastModified());
        lProjID = CLng(rs->Fields()["ID"].Value());
        FreeDbLocks();
      });
      // Rights go with a row that exists; a placeholder number gets them
      // at its first save.
      if (!err.IsSet() && sProNr != placeholder && user > 0) {
        const PendingError added = err;
        BerechtigungVergeben(user, "PR", sProNr, true, true, true, false);
        ResumeNext([&] { RechteVererben("PR", sProNr); });
        err = added;
      }
      if (!err.IsSet()) {
        ResumeNext([&] { rs->Close(); });
      }
    }
    const bool result = !err.IsSet();
    if (!result) {
      lProjID = -1;
      p.lProjektId = -1;
    } else {
      p.lProjektId = lProjID;
    }
    p.RecordPending();
    Impl::Finish(rs);
    return result;
  });
}

}  // namespace vx
