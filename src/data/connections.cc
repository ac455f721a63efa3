#include "data/connections.h"

#include "config/error_dialog.h"
#include "data/server_access.h"
#include "data/server_databases.h"
#include "files/uexist.h"
#include "platform/module_state.h"
#include "translate/trt.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int kOpenAttempts = 8;
constexpr int kServerOpenAttempts = 3;
constexpr int kExistenceTestAttempt = 4;  // the fifth

#ifdef VX_DESIGN_MODE
constexpr bool kDesignBuild = true;
#else
constexpr bool kDesignBuild = false;
#endif

// The engine that CloseRs refreshes the cache through: a second one, as the
// suite keeps it.
dao::DBEngine& CloseRsEngine() {
  thread_local dao::DBEngine engine;
  return engine;
}

// The design-mode message of a failed close.
void ReportCloseFailure(const char* prompt, const Error& e) {
  if (!IsDesign()) return;
  CurrentHost().MsgBox(std::string(prompt) + "\r\nSystem: " + e.description(),
                       kStopSystemModal, "Datenbankzugriff-Design");
}

}  // namespace

dao::DBEngine& DbEngine() {
  thread_local dao::DBEngine engine;
  return engine;
}

DbHandle OpenDb(const std::string& file_name, bool exclusive,
                const Variant& read_only, Variant& connect, bool raise_errors) {
  PendingError& err = Err();
  err.Clear();
  if (connect.IsString() && *connect.get_if<std::string>() == kBareConnect) {
    connect = std::string(kBareConnect) + kSuitePassword;
  }
  Host& host = CurrentHost();
  int32_t pointer = host.GetMousePointer();

  DbHandle db;
  if (!file_name.empty()) {
    int16_t mode = 0;
    const bool on_server =
        ResumeNextValue<bool>([&] { return IsServerMode(mode); }, false);
    int32_t last_error = 0;
    for (int i = 0; i < kOpenAttempts; ++i) {
      err.Clear();
      ResumeNext([&] {
        if (on_server) {
          db = OpenServerDb(file_name, !read_only.IsMissing() && CBool(read_only));
        } else {
          db = DbEngine().OpenDatabase(file_name, Variant(exclusive), read_only,
                                       connect);
        }
      });
      if (!err.IsSet() && db) break;
      ResumeNext([] { FreeDbLocks(); });

      int16_t kind = 0;
      bool server = ResumeNextValue<bool>([&] { return IsServerMode(kind); },
                                          false);
      if (server && i >= kServerOpenAttempts - 1) break;
      host.SetMousePointer(kPointerHourglass);

      if (i == kExistenceTestAttempt) {
        // The engine's error survives the existence test whole (number,
        // description and source), not only its number.
        PendingError engine_error = err;
        last_error = engine_error.Number();
        bool quick = false;
        if (!Uexist(file_name, false, false, quick)) {
          err.Set(kErrFileNotFound,
                  TRT("Datei nicht gefunden") + "  " + file_name);
          break;
        }
        err = engine_error;
        if (exclusive && last_error == 0) last_error = kErrExclusivelyOpened;
      }
      if ((last_error == kErrEngineFileNotFound && i > 3) ||
          (last_error == kErrExclusivelyOpened && i >= 3)) {
        break;
      }
      host.Sleep(1);
      host.DoEvents();
    }
  }

  if (err.IsSet()) {
    PendingError failure = err;
    db = nullptr;
    if (raise_errors) {
      host.SetMousePointer(pointer);
      throw Error(failure.Number(), failure.Description(), failure.Source());
    }
    err.Clear();
  }
  host.SetMousePointer(pointer);
  return db;
}

int32_t ExecuteMitDb(const std::string& file_name, const std::string& sql,
                     bool exclusive, DbHandle& db, int32_t& error_number) {
  PendingError& err = Err();
  err.Clear();
  error_number = 0;
  const bool opened_here = db == nullptr;
  DbHandle local;
  try {
    if (opened_here) {
      Variant connect(kBareConnect);
      local = OpenDb(file_name, exclusive, Variant(false), connect, false);
    } else {
      local = db;
    }
    auto execute = [&] {
      if (!local) Raise(kErrObjectNotSet);
      local->Execute(sql);
    };
    ResumeNext(execute);
    if (err.Number() > 0) {
      err.Clear();
      execute();  // a second failure goes to the handler
    }
    int32_t affected = local->RecordsAffected();
    if (opened_here) CloseDb(local);
    return affected;
  } catch (const Error& e) {
    err.Set(e);
    if (IsDesign()) ShowErrorMsg(err, "\nbeim ExecuteMitDb", "Design", false, 0);
    error_number = e.number();
    if (opened_here && local) CloseDb(local);
    return 0;
  }
}

bool CloseRs(RsHandle& rs) {
  if (rs) {
    try {
      rs->Close();
    } catch (const Error& e) {
      ReportCloseFailure("Fehler beim Schließen des Recordsets", e);
    }
  }
  rs = nullptr;
  try {
    CloseRsEngine().Idle(Variant(dao::kIdleRefreshCache));
  } catch (const Error& e) {
    ReportCloseFailure("Fehler beim Schließen des Recordsets", e);
  }
  Err().Clear();
  return true;
}

bool CloseDb(DbHandle& db) {
  Err().Clear();
  if (db) {
    try {
      CloseDbHandle(db);
    } catch (const Error& e) {
      // Passed over: the handle is let go all the same.
      ReportCloseFailure("Fehler beim Schließen des Datenbank", e);
    }
  }
  db = nullptr;
  bool closed = !Err().IsSet();
  ResumeNext([] { FreeDbLocks(); });
  Err().Clear();
  return closed;
}

void CloseDbHandle(const DbHandle& db) {
  if (!db) Raise(kErrObjectNotSet);
  db->Close();
}

void FreeDbLocks() { DbEngine().Idle(Variant(dao::kIdleFreeLocks)); }

bool IsDesign() {
  ModuleState& s = State();
  if (!s.design_tested) {
    s.design_flag = kDesignBuild;
    s.design_tested = true;
  }
  return s.design_flag;
}

bool IsServerMode(int16_t& kind) {
  ModuleState& s = State();
  if (s.server_kind < 1) {
    kind = 0;
    kind = CInt(Variant(ThreadServerAccess().DatenbankArt()));
    s.server_kind = kind;
    return kind > 1;
  }
  kind = s.server_kind;
  return kind >= 2;
}

}  // namespace vx
