#include "files/file_delete.h"

#include "config/developer_mode.h"
#include "config/error_dialog.h"
#include "data/connections.h"
#include "files/datei_operation.h"
#include "files/file_copy.h"
#include "files/file_checks.h"
#include "files/file_in_use.h"
#include "files/path_utils.h"
#include "files/server_copy.h"
#include "files/server_file_store.h"
#include "files/temp_dir.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// Deletes `path` unless it is a database in use; true when it did, else
// the error stays pending.
bool DeletePlainly(Host& host, const std::string& path) {
  return ResumeNext([&] {
    RefuseIfInUse(host.MapPath(path));
    host.DeleteFile(path);
  });
}

// Tells developers of a deletion on a server installation that reached the
// file system although the caller should have said so; in a developer
// build the program halts there.
void ReportDeletionUnderServer(const std::string& path) {
  if (!bIstEntwicklung()) return;
  const std::string text = path + "\n\nUnserkill unter SQL soll löschen???\n"
                                  "Warum ist nicht 'bDontLook4SQLTempTables' gesetzt?";
  if (IsDesign()) {
    CurrentHost().MsgBox(text, kSystemModal, "IsDesign");
    StopInDebugger();
  } else {
    ShowAksEntwicklung(text);
  }
}

}  // namespace

bool UnserKill(const std::string& path, bool database, bool& recycle,
               bool local_only) {
  if (path.empty()) return false;
  if (!local_only && DataOnServer()) {
    if (InStr(UCase(path), ".TMP") > 0) {
      // A temporary database lies on the server only: the answer is
      // whether it is gone from there.
      const bool removed = RemoveServerTemporaryDatabase(path);
      if (database) {
        Err().Clear();
        return removed;
      }
    } else if (Server_FileKill(path)) {
      return true;
    }
    recycle = false;  // the server's files never go to the recycle bin
    ReportDeletionUnderServer(path);
    if (InStr(path, "~") == 0 && database &&
        InStr(UCase(path), UCase(GetTempVerzeichnis())) == 0) {
      return false;
    }
  }

  Host& host = CurrentHost();
  bool deleted;
  if (recycle) {
    deleted = DateiLoeschen(path, false, true, false) ||
              (PathIsThere(host, path) && DeletePlainly(host, path));
  } else {
    Err().Clear();
    deleted = DeletePlainly(host, path);
  }
  if (database) {
    // The lock file of a database in use is its users' lock: it stays.
    ResumeNext([&] {
      RefuseIfInUse(host.MapPath(path));
      const size_t chars = Len(path);
      const std::string lock_file =
          Left(path, chars >= 3 ? chars - 3 : 0) + "LDB";
      if (PathIsThere(host, lock_file)) host.DeleteFile(lock_file);
    });
  }
  Err().Clear();
  // Asked only after a failure, since a name that is gone is looked for
  // without regard to case, folder by folder.
  return deleted || !PathIsThere(host, path);
}

bool DateiLoeschen(const std::string& path, bool confirm,
                   bool no_error_display, bool local_only) {
  Host& host = CurrentHost();
  const int32_t pointer = host.GetMousePointer();
  host.SetMousePointer(kPointerHourglass);
  bool deleted;
  if (!local_only && DataOnServer()) {
    bool recycle = false;
    deleted = UnserKill(path, false, recycle, local_only);
  } else {
    const std::string upper = UCase(path);
    if (State().bNetzInstallation && Left(upper, 2) != "C:" &&
        Left(upper, 2) != "D:" && path.find('\0') == std::string::npos) {
      std::string copy = GetTempVerzeichnis() + GetFileName(path);
      int32_t status = kCopyDone;
      CopyFlags quiet;
      quiet.quiet = true;
      UFileCopy(path, copy, status, quiet);
      if (status == kCopyDone) {
        DateiOperation(kFoDelete, copy, "", false, no_error_display,
                       kFofAllowUndo, false);
      }
    }
    deleted = DateiOperation(kFoDelete, path, "", confirm, no_error_display,
                             kFofAllowUndo, false);
  }
  host.SetMousePointer(pointer);
  return deleted;
}

}  // namespace vx
