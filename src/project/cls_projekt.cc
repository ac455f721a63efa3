// The project object itself: creation, ProjektInit, destruction, the simple
// properties, and the steps that every operation shares.

#include "vx_taluvek/cls_projekt.h"

#include "config/directories.h"
#include "data/sql_text.h"
#include "engine/dao_errors.h"
#include "platform/module_state.h"
#include "platform/profile_cache.h"
#include "platform/text.h"
#include "project/projekt_impl.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr const char* kProjektDbName = "PROJEKT.VX3DB";

// A property's value for the caller; a copy that fails gives the empty one.
template <typename T>
T Copy(const T& value) noexcept {
  try {
    return value;
  } catch (...) {
    return T();
  }
}

}  // namespace

// ---- Steps every operation shares ----

void cls_Projekt::Impl::Record(int32_t number, const std::string& text) {
  lProjektErrNum = number;
  sProjektErrText = text;
}

void cls_Projekt::Impl::RecordPending() {
  Record(Err().Number(), Err().Description());
}

void cls_Projekt::Impl::RecordFailure(int32_t number,
                                      const char* text) noexcept {
  lProjektErrNum = number;
  try {
    sProjektErrText = text;
  } catch (...) {
    sProjektErrText.clear();  // frees, never allocates
  }
  Err().Clear();
}

bool cls_Projekt::Impl::Attempt(Pause pause,
                                const std::function<void()>& step) {
  PendingError& err = Err();
  for (int attempt = 0; attempt < kProjektAttempts; ++attempt) {
    if (attempt > 0 && pause == Pause::k200ms) {
      CurrentHost().Sleep(kProjektRetryPauseMs);
    }
    err.Clear();
    ResumeNext(step);
    if (!err.IsSet()) {
      ResumeNext([] { FreeDbLocks(); });
      if (!err.IsSet()) return true;
    } else {
      // Freeing the locks must not hide why the attempt failed.
      PendingError failure = err;
      ResumeNext([] { FreeDbLocks(); });
      err = failure;
    }
  }
  return false;
}

bool cls_Projekt::Impl::OpenProjektDb(const std::string& path, Pause pause) {
  if (oProjektDb) return true;
  return Attempt(pause, [&] {
    // Raised rather than answered as no database, so that the operation can
    // report why the file did not open.
    Variant connect(kBareConnect);
    oProjektDb = OpenDb(path, false, Variant(false), connect, true);
    if (!oProjektDb) Raise(kErrObjectNotSet);
  });
}

std::string cls_Projekt::Impl::ProjektDateiNeu() {
  return GetVerzeichnis("PROJEKT", false, false) + kProjektDbName;
}

void cls_Projekt::Impl::Finish(RsHandle& rs) {
  if (rs) ResumeNext([&] { rs->Close(); });
  rs = nullptr;
  ResumeNext([] { FreeDbLocks(); });
  Err().Clear();
}

std::string ColumnNotFoundText() {
  return dao::DaoDescription(kErrColumnNotFound, {""});
}

std::vector<std::string> ProjektConditions(int32_t id,
                                           const std::string& number) {
  if (id != 0) return {"Id = " + std::to_string(id)};
  std::vector<std::string> conditions;
  if (number.empty()) return conditions;
  conditions.push_back("ProNr = " + SqlText(number));
  const std::string trimmed = Trim(number);
  if (!trimmed.empty() && trimmed != number) {
    conditions.push_back("ProNr = " + SqlText(trimmed));
  }
  return conditions;
}

// ---- Creation and destruction ----

cls_Projekt::cls_Projekt() : impl_(std::make_unique<Impl>()) {
  // Creating an object leaves the caller's pending error alone.  A
  // directory that cannot be had leaves the path empty: the first operation
  // then reports that the database does not open.
  try {
    const PendingError callers = Err();
    // The directory, the database kind and the network entry come from one
    // settings file: looked at on disk once.
    ProfileCache::Glance glance;
    impl_->sProjektDatei =
        GetVerzeichnis("Projekt", false, false) + kProjektDbName;
    Err() = callers;
  } catch (...) {
  }
}

cls_Projekt::~cls_Projekt() {
  if (!impl_->oProjektDb) return;
  try {
    // The caller's pending error is its own: closing neither reports nor
    // clears anything.
    const PendingError callers = Err();
    ResumeNext([this] { CloseDbHandle(impl_->oProjektDb); });
    ResumeNext([] { FreeDbLocks(); });
    impl_->oProjektDb = nullptr;
    Err() = callers;
  } catch (...) {
  }
}

void cls_Projekt::ProjektInit() {
  impl_->GuardVoid([this] {
    Impl& p = *impl_;
    p.lProjektId = -1;
    p.sProjektNr.clear();
    p.aProjektFelder.Reset(1);
    p.sProjektBez.clear();
    p.sProjWaehrung.clear();
    p.Record(0, "");
    p.nProjektfieldscount = 0;
    for (std::string* s : {&p.FlurNr, &p.FlurStueckNr, &p.Gemeinde,
                           &p.Gemarkung, &p.Strasse, &p.Land, &p.PLZ, &p.Ort}) {
      s->clear();
    }
  });
}

// ---- Properties ----

std::string cls_Projekt::sProgKey() const { return Copy(State().sProgKey); }

void cls_Projekt::sProgKey(const std::string& New_sProgKey) {
  impl_->GuardVoid([&] { State().sProgKey = New_sProgKey; });
}

std::string cls_Projekt::sProjektNr() const { return Copy(impl_->sProjektNr); }

void cls_Projekt::sProjektNr(const std::string& vData) {
  impl_->GuardVoid([&] { impl_->sProjektNr = Trim(vData); });
}

int32_t cls_Projekt::lProjektId() const { return impl_->lProjektId; }
std::string cls_Projekt::sProjektBez() const {
  return Copy(impl_->sProjektBez);
}
std::string cls_Projekt::sProjWaehrung() const {
  return Copy(impl_->sProjWaehrung);
}
int32_t cls_Projekt::nProjektfieldscount() const {
  return impl_->nProjektfieldscount;
}
int32_t cls_Projekt::lProjektErrNum() const { return impl_->lProjektErrNum; }
std::string cls_Projekt::sProjektErrText() const {
  return Copy(impl_->sProjektErrText);
}
std::string cls_Projekt::FlurNr() const { return Copy(impl_->FlurNr); }
std::string cls_Projekt::FlurStueckNr() const {
  return Copy(impl_->FlurStueckNr);
}
std::string cls_Projekt::Gemeinde() const { return Copy(impl_->Gemeinde); }
std::string cls_Projekt::Gemarkung() const { return Copy(impl_->Gemarkung); }
std::string cls_Projekt::Strasse() const { return Copy(impl_->Strasse); }
std::string cls_Projekt::Land() const { return Copy(impl_->Land); }
std::string cls_Projekt::PLZ() const { return Copy(impl_->PLZ); }
std::string cls_Projekt::Ort() const { return Copy(impl_->Ort); }

}  // namespace vx
