// Locking a project against other users: the flag SatzLockKZ of its row.
//
// The flag is advisory; only these operations set and clear it.  Of two
// users who lock the same free project at the same moment, the engine's
// optimistic row update lets exactly one through: the other's Update finds
// the row changed and fails.

#include <string>
#include <vector>

#include "data/field_values.h"
#include "project/projekt_impl.h"

namespace vx {

namespace {

constexpr int32_t kErrAlreadyLocked = -20;
constexpr const char* kAlreadyLockedText = "Projekt schon gesperrt!";

// Whether the flag's value (null read as false) leaves the project free.
bool IsFree(const Variant& flag) {
  try {
    return CDbl(flag) == 0;
  } catch (const Error&) {
    return false;  // a flag that is no yes/no value is not taken as free
  }
}

}  // namespace

bool cls_Projekt::bProjektLock(int32_t& lProjID, std::string& sProjNum) {
  return impl_->Guard(false, [&] {
    Impl& p = *impl_;
    const std::vector<std::string> conditions =
        ProjektConditions(lProjID, sProjNum);
    if (conditions.empty()) {
      p.nProjektfieldscount = 0;
      p.Record(kErrNoCurrentRecord, kNoCurrentRecordText);
      return false;
    }

    // An instance that has not opened the database yet looks its path up
    // anew: the program key may have changed since it was created.
    std::string path;
    if (!p.oProjektDb) path = Impl::ProjektDateiNeu();
    if (!p.OpenProjektDb(path, Impl::Pause::kNone)) {
      p.RecordPending();
      Err().Clear();
      return false;
    }
    RsHandle rs;
    for (const std::string& condition : conditions) {
      Impl::Finish(rs);
      if (!Impl::Attempt(Impl::Pause::kNone, [&] {
            rs = p.oProjektDb->OpenRecordset(
                "SELECT * FROM Projekt WHERE " + condition,
                Variant(dao::kOpenDynaset));
          })) {
        p.RecordPending();
        Impl::Finish(rs);
        return false;
      }
      if (rs->RecordCount() > 0) break;
    }

    bool locked = false;
    if (rs->RecordCount() > 0) {
      dao::Field* flag = rs->Fields().Find("SatzLockKz");
      Variant value;
      if (!ResumeNext([&] {
            int32_t type = 0;
            value = FieldValue(flag, type);
          })) {
        p.RecordPending();  // a table without the flag
      } else if (IsFree(value)) {
        Err().Clear();
        // The first failure is the one to report: a failed Edit makes the
        // steps after it fail too.
        locked = ResumeNext([&] { rs->Edit(); }) &&
                 ResumeNext([&] { flag->SetValue(Variant(true)); }) &&
                 ResumeNext([&] { rs->Update(); });
        if (!locked) p.RecordPending();
      } else {
        p.Record(kErrAlreadyLocked, kAlreadyLockedText);
      }
    } else {
      p.Record(kErrNoCurrentRecord, kNoCurrentRecordText);
      p.sProjektNr.clear();
      p.lProjektId = 0;
    }
    Impl::Finish(rs);
    return locked;
  });
}

bool cls_Projekt::bProjektUnLock(int32_t& lProjID, std::string& sProjNum) {
  return impl_->Guard(false, [&] {
    Impl& p = *impl_;
    const std::vector<std::string> conditions =
        ProjektConditions(lProjID, sProjNum);
    if (conditions.empty()) {
      p.Record(kErrNoCurrentRecord, kNoCurrentRecordText);
      return false;
    }

    if (!p.oProjektDb) p.sProjektDatei = Impl::ProjektDateiNeu();
    bool unlocked = p.OpenProjektDb(p.sProjektDatei, Impl::Pause::kNone);
    // The trimmed number is tried only when no row has the number as given.
    for (size_t i = 0; unlocked && i < conditions.size(); ++i) {
      unlocked = Impl::Attempt(Impl::Pause::kNone, [&] {
        p.oProjektDb->Execute("UPDATE Projekt SET SatzLockKZ = 0 WHERE " +
                              conditions[i]);
      });
      if (unlocked && p.oProjektDb->RecordsAffected() > 0) break;
    }
    if (unlocked) {
      p.Record(0, "");
      return true;
    }
    p.RecordPending();
    p.sProjektNr.clear();
    p.lProjektId = 0;
    return false;
  });
}

bool cls_Projekt::bProjektUnLockAll() {
  return impl_->Guard(false, [&] {
    Impl& p = *impl_;
    if (!p.oProjektDb) p.sProjektDatei = Impl::ProjektDateiNeu();
    const bool unlocked =
        p.OpenProjektDb(p.sProjektDatei, Impl::Pause::kNone) &&
        Impl::Attempt(Impl::Pause::kNone, [&] {
          p.oProjektDb->Execute("UPDATE Projekt SET SatzLockKZ = False");
        });
    p.RecordPending();
    return unlocked;
  });
}

}  // namespace vx
