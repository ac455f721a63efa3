#include "files/server_copy.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "config/directories.h"
#include "data/connections.h"
#include "data/server_databases.h"
#include "engine/pg_database.h"
#include "files/file_delete.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "files/server_file_store.h"
#include "files/temp_dir.h"
#include "platform/text.h"
#include "server/file_table.h"
#include "server/pg_statement.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// The tables whose rows make up a file of kind `code` ("LV", "LB"): those
// SavTables names for it, so that a table the suite adds to the kind is
// copied too.
std::vector<std::string> SavedTablesOf(PGconn* connection, const std::string& code) {
  server::PgResult result = server::RunStatement(
      connection, "SELECT TabName FROM SavTables WHERE Kennung = $1 ORDER BY TabName", {code});
  std::vector<std::string> names;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    names.emplace_back(PQgetvalue(result.get(), row, 0));
  }
  return names;
}

// Replaces the target's rows of `name` by the source's, narrowed to the
// rows of each file's kind.
void CopyTable(PGconn* connection, const std::string& name, const std::string& source,
               const std::string& target, int32_t source_vid, int32_t target_vid) {
  const std::string table = server::QuoteIdentifier(connection, LCase(name));
  const std::vector<std::string> columns = server::WritableColumnsOf(connection, name);
  bool has_vid = false;
  std::string into, from;
  for (const std::string& column : columns) {
    const std::string quoted = server::QuoteIdentifier(connection, column);
    if (!into.empty()) {
      into += ", ";
      from += ", ";
    }
    into += quoted;
    if (column == "vid") {
      has_vid = true;
      from += std::to_string(target_vid);
    } else {
      from += quoted;
    }
  }
  // A table the server lacks, or one of no file, holds none of the file's
  // rows.
  if (!has_vid) return;
  server::RunStatement(
      connection, AddKennFilter_4SQL(target, "DELETE FROM " + table +
                                                 " WHERE vid = " + std::to_string(target_vid)));
  server::RunStatement(
      connection,
      AddKennFilter_4SQL(source, "INSERT INTO " + table + " (" + into +
                                     ") OVERRIDING SYSTEM VALUE SELECT " + from + " FROM " +
                                     table + " WHERE vid = " + std::to_string(source_vid)));
}

// The temporary file that carries a document from one name to another: a
// name of this copy's own, so that a file the user keeps in the temporary
// folder under the document's name (a letter written out to be edited) is
// neither replaced nor deleted, and two copies at once do not share one.
std::string PassingDocumentPath(const std::string& source) {
  static std::atomic<uint32_t> counter{0};
  char unique[32];
  std::snprintf(unique, sizeof unique, "~KV%X_%X_", static_cast<unsigned>(getpid()),
                static_cast<unsigned>(counter.fetch_add(1)));
  return GetTempVerzeichnis() + unique + GetFileName(source);
}

// Copies the stored document of `source`'s name and type `type` to the
// name of `target` by way of a temporary file, which is gone afterwards.
ServerCopyResult CopyDocument(const std::string& source, const std::string& type,
                              const std::string& target, bool replace_existing) {
  std::string name = GetFileName(target);
  // An empty name would store the document under the temporary file's.
  if (name.empty()) return ServerCopyResult::kNoDocument;
  if (!replace_existing && Server_FileExistsInVXFiles(target, type)) {
    return ServerCopyResult::kTargetExisted;
  }
  const std::string passing = PassingDocumentPath(source);
  if (Server_FileAuslagern(source, type, passing).empty()) return ServerCopyResult::kNoDocument;
  if (Server_FileEinlagern(passing, type, name, true)) return ServerCopyResult::kCopied;
  bool recycle = false;
  UnserKill(passing, false, recycle, true);
  // The store keeps its reason to itself: the target is missing.
  Err().Set(kErrFileNotFound);
  return ServerCopyResult::kFailed;
}

}  // namespace

ServerCopyResult ServerFileCopy(const std::string& source, std::string& target,
                                bool replace_existing) {
  if (source.empty() || source == "...") return ServerCopyResult::kNotHandled;
  std::string document_type;
  const std::string tables = GetTables_4SQL(source, document_type);
  // Stored documents are copied in the file store; other files without
  // tables are no business of the server.
  if (tables.empty()) {
    return document_type.empty()
               ? ServerCopyResult::kNotHandled
               : CopyDocument(source, document_type, target, replace_existing);
  }
  if (InStr(UCase(target), "\\~KV") > 0) {
    if (InStr(UCase(source), ".VX3") > 0 && InStr(UCase(source), "\\~KV") == 0) {
      target.clear();
    }
    return ServerCopyResult::kNotHandled;
  }

  try {
    PGconn* connection = dao::ServerConnection(ServerConnectionText());
    server::PgTransaction transaction(connection);
    // Two copies to one new target must not both find it missing.
    server::RunStatement(connection, "SELECT pg_advisory_xact_lock(hashtext(lower($1)))",
                         {target});
    const int32_t source_vid = server::FileNumberOf(connection, source);
    const int32_t known_target = server::FileNumberOf(connection, target);
    if (known_target != 0 && !replace_existing) return ServerCopyResult::kTargetExisted;
    if (source_vid == 0 || source_vid == known_target) return ServerCopyResult::kCopied;
    const int32_t target_vid =
        known_target != 0 ? known_target : server::RegisterFile(connection, target);

    const std::string code = GetDateiTyp(source);
    const std::vector<std::string> names =
        code.empty() ? SplitList(tables) : SavedTablesOf(connection, code);
    for (const std::string& name : names) {
      CopyTable(connection, name, source, target, source_vid, target_vid);
    }
    transaction.Commit();
    return ServerCopyResult::kCopied;
  } catch (const Error& e) {
    if (IsDesign()) CurrentHost().MsgBox(e.description(), kSystemModal, "UFileCopy_4SQL Design");
    Err().Set(e);
    return ServerCopyResult::kFailed;
  }
}

bool UFileCopy_4SQL(const std::string& source, std::string& target) {
  return ServerFileCopy(source, target, true) == ServerCopyResult::kCopied;
}

bool ServerStructureCopy(const std::string& target) {
  try {
    server::RegisterFile(dao::ServerConnection(ServerConnectionText()), target);
    return true;
  } catch (const Error& e) {
    Err().Set(e);
    return false;
  }
}

bool InStructuresFolder(const std::string& path, bool exact_case) {
  const std::string folder = Left(path, Len(path) - Len(GetFileName(path)));
  const std::string structures = GetVerzeichnis("STRUKTUREN", true, false);
  if (structures.empty()) return false;
  return exact_case ? folder == structures : UCase(folder) == UCase(structures);
}

bool RemoveServerTemporaryDatabase(const std::string& path) {
  if (UCase(Right(path, 4)) != ".TMP") return false;
  try {
    server::ForgetFile(dao::ServerConnection(ServerConnectionText()), path);
    return true;
  } catch (const Error& e) {
    Err().Set(e);
    return false;
  }
}

}  // namespace vx
