#include "files/server_copy.h"

#include <libpq-fe.h>

#include <vector>

#include "config/directories.h"
#include "data/server_databases.h"
#include "engine/pg_database.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "platform/text.h"
#include "server/file_table.h"
#include "server/pg_statement.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// The names of a table list "A;B;" (the empty tail left out).
std::vector<std::string> SplitTableList(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t end; (end = list.find(';', start)) != std::string::npos; start = end + 1) {
    if (end > start) names.push_back(list.substr(start, end - start));
  }
  if (start < list.size()) names.push_back(list.substr(start));
  return names;
}

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

// The columns of `table` (a quoted name) that a copy writes, in the
// table's order; none when the server has no such table.  Generated
// columns compute themselves.
std::vector<std::string> CopiedColumnsOf(PGconn* connection, const std::string& table) {
  server::PgResult result = server::RunStatement(
      connection,
      "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass($1) "
      "AND attnum > 0 AND NOT attisdropped AND attgenerated = '' ORDER BY attnum",
      {table});
  std::vector<std::string> columns;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    columns.emplace_back(PQgetvalue(result.get(), row, 0));
  }
  return columns;
}

// Replaces the target's rows of `name` by the source's, narrowed to the
// rows of each file's kind.
void CopyTable(PGconn* connection, const std::string& name, const std::string& source,
               const std::string& target, int32_t source_vid, int32_t target_vid) {
  const std::string table = server::QuoteIdentifier(connection, LCase(name));
  const std::vector<std::string> columns = CopiedColumnsOf(connection, table);
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

}  // namespace

ServerCopyResult ServerFileCopy(const std::string& source, std::string& target,
                                bool replace_existing) {
  if (source.empty() || source == "...") return ServerCopyResult::kNotHandled;
  std::string document_type;
  const std::string tables = GetTables_4SQL(source, document_type);
  // Stored documents are copied in the file store; files without tables
  // are no business of the server.
  if (tables.empty()) return ServerCopyResult::kNotHandled;
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
        code.empty() ? SplitTableList(tables) : SavedTablesOf(connection, code);
    for (const std::string& name : names) {
      CopyTable(connection, name, source, target, source_vid, target_vid);
    }
    transaction.Commit();
    return ServerCopyResult::kCopied;
  } catch (const Error& e) {
    Err().Set(e);
    return ServerCopyResult::kFailed;
  }
}

bool UFileCopy_4SQL(const std::string& source, std::string& target) {
  return ServerFileCopy(source, target, true) != ServerCopyResult::kNotHandled;
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

void RemoveServerTemporaryDatabase(const std::string& path) {
  if (UCase(Right(path, 4)) != ".TMP") return;
  try {
    server::ForgetFile(dao::ServerConnection(ServerConnectionText()), path);
  } catch (const Error& e) {
    Err().Set(e);
  }
}

}  // namespace vx
