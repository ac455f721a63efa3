#include "files/templates.h"

#include <string_view>
#include <vector>

#include "data/connections.h"
#include "data/server_databases.h"
#include "data/sql_text.h"
#include "engine/dao_errors.h"
#include "engine/database.h"
#include "engine/pg_database.h"
#include "engine/recordset.h"
#include "files/file_checks.h"
#include "platform/text.h"
#include "server/pg_statement.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// Kinds and table names become part of a table's name: only letters,
// digits and "_" may, so that neither can reach past the name.
bool IsPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       (c >= '0' && c <= '9') || c == '_';
    if (!plain) return false;
  }
  return true;
}

// `name` as a LIKE pattern in which only "*" matches any text: the
// pattern characters of LIKE and its escape character match themselves.
std::string LikePatternOf(std::string_view name) {
  std::string pattern;
  for (char c : name) {
    if (c == '*') {
      pattern += '%';
      continue;
    }
    if (c == '%' || c == '_' || c == '\\') pattern += '\\';
    pattern += c;
  }
  return pattern;
}

// The column list and the selection of an insert that saves the rows of
// `table` as the set `name`: each column by its name, since a column
// added to the table later stands after SicherungsName in the saved
// table.
std::string SavedRowsOf(PGconn* connection, const std::string& table,
                        const std::string& name) {
  std::string columns;
  for (const std::string& column : server::WritableColumnsOf(connection, table)) {
    columns += server::QuoteIdentifier(connection, column) + ", ";
  }
  if (columns.empty()) dao::RaiseDao(dao::kErrTableNotFound, {table});
  return " (" + columns + "SicherungsName) Select " + columns + SqlText(name) + " From " +
         table;
}

DbHandle OpenQuietly(const std::string& path) {
  Variant connect(kBareConnect);
  return OpenDb(path, false, Variant(false), connect, true);
}

}  // namespace

std::vector<std::string> SavedTables(DbHandle& server, const std::string& kind) {
  std::vector<std::string> tables;
  auto rs = server->OpenRecordset("Select * from SavTables where Kennung=" + SqlText(kind));
  for (; !rs->Eof(); rs->MoveNext()) {
    const std::string table = CStr(rs->Fields()["TabName"].Value());
    if (IsPlainName(table)) tables.push_back(table);
  }
  rs->Close();
  return tables;
}

bool VorlageSpeichern(const std::string& source, const std::string& kind,
                      const std::string& name) {
  if (!DataOnServer()) return false;
  DbHandle file;
  DbHandle server;
  bool saved = false;
  try {
    if (!IsPlainName(kind)) Raise(5);
    file = OpenQuietly(source);
    const int32_t vid = file->VID();
    server = OpenQuietly(kServerDatabaseName);
    server->InTransaction([&] {
      server->Execute("Insert into Vorlagen (Filename, Typ) VALUES (" + SqlText(name) + ", " +
                      SqlText(kind) + ")");
      // Rows of file number 0 belong to no file: a source the server does
      // not know is saved as a set without rows.
      if (vid == 0) return;
      PGconn* catalogue = dao::ServerConnection(ServerConnectionText());
      for (const std::string& table : SavedTables(server, kind)) {
        server->Execute("@Insert Into SAV" + kind + "__" + table +
                        SavedRowsOf(catalogue, table, name) + " Where VID=" +
                        std::to_string(vid));
      }
    });
    saved = true;
  } catch (const Error&) {
    // The transaction took back what it had written: no half set.
  }
  CloseDb(file);
  CloseDb(server);
  Err().Clear();
  return saved;
}

bool VorlageExists(const std::string& name) {
  if (!DataOnServer()) return false;
  DbHandle server;
  bool exists = false;
  try {
    server = OpenQuietly(kServerDatabaseName);
    auto rs = server->OpenRecordset("Select * from Vorlagen where Filename=" + SqlText(name));
    exists = rs->RecordCount() > 0;
    rs->Close();
  } catch (const Error&) {
    exists = false;
  }
  CloseDb(server);
  Err().Clear();
  return exists;
}

bool VorlageLoeschen(const std::string& kind, std::string& name) {
  if (!DataOnServer()) return false;
  DbHandle server;
  bool deleted = false;
  try {
    if (!IsPlainName(kind)) Raise(5);
    server = OpenQuietly(kServerDatabaseName);
    const bool pattern = InStr(name, "*") != 0;
    std::string condition;
    int32_t error_number = 0;
    if (!pattern) {
      condition = "=" + SqlText(name);
      deleted = ExecuteMitDb(kServerDatabaseName, "@Delete from Vorlagen where Filename" + condition,
                             false, server, error_number) > 0;
    } else {
      condition = " LIKE " + SqlText(LikePatternOf(name));
      name = Replace(name, "*", "%");
      deleted = ExecuteMitDb(kServerDatabaseName,
                             "@Delete from Vorlagen where Filename" + condition +
                                 " and Typ = " + SqlText(kind),
                             false, server, error_number) > 0;
    }
    for (const std::string& table : SavedTables(server, kind)) {
      ExecuteMitDb(kServerDatabaseName,
                   "@Delete From SAV" + kind + "__" + table + " Where SicherungsName" + condition,
                   false, server, error_number);
    }
  } catch (const Error&) {
    // What went is gone; the answer stands as it was.
  }
  CloseDb(server);
  Err().Clear();
  return deleted;
}

}  // namespace vx
