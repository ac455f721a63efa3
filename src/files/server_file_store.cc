#include "files/server_file_store.h"

#include <vector>

#include "config/developer_mode.h"
#include "config/error_dialog.h"
#include "data/connections.h"
#include "data/server_databases.h"
#include "data/server_access.h"
#include "data/sql_text.h"
#include "engine/database.h"
#include "engine/recordset.h"
#include "files/file_checks.h"
#include "files/file_delete.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "files/templates.h"
#include "files/uexist.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr const char* kBlobField = "DateiBLOB";

// Developers are told of a call without a document type; the call goes on.
void ReportEmptyType(const std::string& type, const char* message) {
  if (type.empty() && IsDesign()) CurrentHost().MsgBox(message, kSystemModal, "IsDesign");
}

// The recordset of a stored document.  It reads the name and the type
// only: the bytes move through the server access component piece by
// piece, and reading them with the record would hold the document whole.
std::string DocumentQuery(const std::string& name, const std::string& type) {
  return "Select Dateiname, Dateityp from VXFiles where Dateiname=" + SqlText(name) +
         " AND Dateityp=" + SqlText(type);
}

// Runs `work` on the server database; false, with no error pending, when
// anything in it fails.  The database and every recordset opened on it are
// released in either case.
template <typename Work>
bool OnServerDatabase(Work work) {
  DbHandle db;
  bool result = false;
  try {
    Variant connect(kBareConnect);
    db = OpenDb(kServerDatabaseName, false, Variant(false), connect, true);
    if (db) result = work(db);
  } catch (const Error&) {
    result = false;
  }
  CloseDb(db);
  Err().Clear();
  return result;
}

}  // namespace

bool Server_FileEinlagern(const std::string& path, const std::string& type,
                          std::string& stored_name, bool delete_afterwards) {
  if (!DataOnServer()) return false;
  bool quick = false;
  if (!Uexist(path, false, true, quick)) {
    if (IsDesign()) CurrentHost().MsgBox("File nix da!", kSystemModal, "");
    return false;
  }
  ReportEmptyType(type, "Server_FileEinlagern - Dateityp ist leer!");
  // The suite's temporary copies ("~KVC...") have no place in the store.
  // (The text is split where a compiler would read "??!" as a trigraph.)
  if (bIstEntwicklung() && UCase(Left(stored_name, 4)) == "~KVC") {
    CurrentHost().MsgBox("Server_FileEinlagern - temporäre Datei??" "?!", kSystemModal,
                         "IstEntwicklung");
  }
  if (stored_name.empty()) stored_name = GetFileName(path);
  const std::string name = stored_name;
  const bool stored = OnServerDatabase([&](DbHandle& db) {
    auto rs = db->OpenRecordset(DocumentQuery(name, type));
    if (rs->RecordCount() != 0) {
      rs->Edit();
    } else {
      rs->AddNew();
    }
    rs->Fields()["Dateiname"].SetValue(Variant(name));
    rs->Fields()["Dateityp"].SetValue(Variant(type));
    rs->Update();
    rs->SetBookmark(rs->LastModified());
    ThreadServerAccess().DateiInFeld(path, *rs, kBlobField);
    rs->Close();
    return true;
  });
  if (stored && delete_afterwards) {
    bool recycle = false;
    UnserKill(path, false, recycle, true);
  }
  return stored;
}

bool Server_FileExistsInVXFiles(const std::string& path, const std::string& type) {
  if (!DataOnServer()) {
    // Only the server's branches ask the store: a call outside them is a
    // developer's mistake.
    if (IsDesign()) {
      CurrentHost().MsgBox("Sollte hier nicht drüberlaufen - Server_FileExistsInVXFiles",
                           kSystemModal, "IsDesign");
      StopInDebugger();
    }
    return false;
  }
  ReportEmptyType(type, "Server_FileEinlagern - Dateityp ist leer!");
  return OnServerDatabase([&](DbHandle& db) {
    auto rs = db->OpenRecordset(DocumentQuery(GetFileName(path), type));
    return rs->RecordCount() > 0;
  });
}

std::string Server_FileAuslagern(const std::string& path, const std::string& type,
                                 const std::string& target) {
  if (!DataOnServer()) return "";
  ReportEmptyType(type, "Server_FileAuslagern - Dateityp ist leer!");
  std::string result;
  OnServerDatabase([&](DbHandle& db) {
    auto rs = db->OpenRecordset(DocumentQuery(GetFileName(path), type));
    if (rs->RecordCount() > 0) {
      const int32_t status =
          ThreadServerAccess().FeldInDatei(target.empty() ? path : target, *rs, kBlobField);
      if (status != 0) result = std::to_string(status);
    }
    return true;
  });
  return result;
}

bool Server_FileKill(const std::string& path) {
  if (InStr(UCase(path), "\\~KV") != 0) return false;
  if (IsLvCompanion(path)) {
    std::string name = GetFileName(path);
    VorlageLoeschen("LV", name);
    return true;
  }
  std::string document_type;
  std::string tables = GetDateiTyp(path);
  if (tables.empty()) tables = GetTables_4SQL(path, document_type);
  int32_t error_number = 0;
  if (!tables.empty()) {
    DbHandle db;
    try {
      Variant connect(kBareConnect);
      db = OpenDb(path, false, Variant(false), connect, true);
    } catch (const Error&) {
      db = nullptr;
    }
    Err().Clear();
    if (!db) return false;
    std::vector<std::string> names;
    if (tables == "LV" || tables == "LB") {
      OnServerDatabase([&](DbHandle& server) {
        names = SavedTables(server, tables);
        return true;
      });
    } else {
      names = SplitList(tables);
    }
    for (const std::string& name : names) {
      ExecuteMitDb(path, AddKennFilter_4SQL(path, "Delete * from " + name), false, db,
                   error_number);
    }
    CloseDb(db);
    Err().Clear();
    return true;
  }
  if (!document_type.empty()) {
    const std::string name = GetFileName(path);
    DbHandle none;
    ExecuteMitDb(kServerDatabaseName,
                 "@Delete from VXFiles where Dateiname=" + SqlText(name) +
                     " AND Dateityp=" + SqlText(document_type),
                 false, none, error_number);
    Err().Clear();
    return true;
  }
  return false;
}

}  // namespace vx
