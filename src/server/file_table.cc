#include "server/file_table.h"

#include <vector>

#include "server/pg_statement.h"
#include "vx_taluvek/error.h"

namespace vx::server {

namespace {

int32_t NumberOf(const std::string& text) {
  return text.empty() ? 0 : static_cast<int32_t>(std::stol(text));
}

}  // namespace

int32_t FileNumberOf(PGconn* connection, const std::string& path) {
  return NumberOf(RunForValue(connection,
                              "SELECT vid FROM vxdateien WHERE lower(pfad) = lower($1)", {path}));
}

int32_t RegisterFile(PGconn* connection, const std::string& path) {
  if (path.empty()) Raise(kErrInvalidUseOfNull, "A file without a path cannot be registered");
  int32_t number = NumberOf(RunForValue(
      connection,
      "INSERT INTO vxdateien (pfad) VALUES ($1) ON CONFLICT ((lower(pfad))) DO NOTHING "
      "RETURNING vid",
      {path}));
  // Known already, or registered meanwhile by another connection, whose
  // entry this statement sees once that one has committed.
  return number != 0 ? number : FileNumberOf(connection, path);
}

std::vector<std::string> FileTables(PGconn* connection) {
  PgResult result = RunStatement(
      connection,
      "SELECT c.relname FROM pg_class c "
      "JOIN pg_namespace n ON n.oid = c.relnamespace "
      "JOIN pg_attribute a ON a.attrelid = c.oid "
      "WHERE n.nspname = 'public' AND c.relkind IN ('r', 'p') AND a.attname = 'vid' "
      "AND NOT a.attisdropped AND c.relname <> 'vxdateien' "
      "AND NOT EXISTS (SELECT FROM pg_attribute s WHERE s.attrelid = c.oid "
      "                AND s.attname = 'sicherungsname' AND NOT s.attisdropped) "
      "ORDER BY c.relname");
  std::vector<std::string> tables;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    tables.emplace_back(PQgetvalue(result.get(), row, 0));
  }
  return tables;
}

bool ForgetFile(PGconn* connection, const std::string& path) {
  PgTransaction transaction(connection);
  const std::string number = RunForValue(
      connection, "SELECT vid FROM vxdateien WHERE lower(pfad) = lower($1) FOR UPDATE", {path});
  if (number.empty()) return false;
  for (const std::string& table : FileTables(connection)) {
    RunStatement(connection, "DELETE FROM " + QuoteIdentifier(connection, table) +
                                 " WHERE vid = $1", {number});
  }
  RunStatement(connection, "DELETE FROM vxdateien WHERE vid = $1", {number});
  transaction.Commit();
  return true;
}

}  // namespace vx::server
