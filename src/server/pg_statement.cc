#include "server/pg_statement.h"

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx::server {

namespace {

[[noreturn]] void RaiseServerError(PGconn* connection, const PGresult* result) {
  std::string message = result != nullptr ? PQresultErrorMessage(result) : "";
  if (message.empty()) message = connection != nullptr ? PQerrorMessage(connection) : "";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
    message.pop_back();
  }
  Raise(kErrServerCall, "ODBC--call failed. " + message);
}

}  // namespace

PgResult RunStatement(PGconn* connection, const std::string& sql,
                      const std::vector<std::string>& params) {
  if (connection == nullptr) Raise(kErrServerCall, "ODBC--call failed. No connection");
  PgResult result;
  if (params.empty()) {
    result.reset(PQexec(connection, sql.c_str()));
  } else {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const std::string& p : params) values.push_back(p.c_str());
    result.reset(PQexecParams(connection, sql.c_str(), static_cast<int>(values.size()),
                              nullptr, values.data(), nullptr, nullptr, 0));
  }
  ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    RaiseServerError(connection, result.get());
  }
  return result;
}

std::string RunForValue(PGconn* connection, const std::string& sql,
                        const std::vector<std::string>& params) {
  PgResult result = RunStatement(connection, sql, params);
  if (PQntuples(result.get()) == 0 || PQnfields(result.get()) == 0) return "";
  return PQgetvalue(result.get(), 0, 0);
}

PgTransaction::PgTransaction(PGconn* connection) : connection_(connection) {
  RunStatement(connection_, "BEGIN");
}

PgTransaction::~PgTransaction() {
  if (open_) PgResult ignored(PQexec(connection_, "ROLLBACK"));
}

void PgTransaction::Commit() {
  open_ = false;
  RunStatement(connection_, "COMMIT");
}

std::string QuoteIdentifier(PGconn* connection, const std::string& name) {
  char* quoted = PQescapeIdentifier(connection, name.c_str(), name.size());
  if (quoted == nullptr) RaiseServerError(connection, nullptr);
  std::string text(quoted);
  PQfreemem(quoted);
  return text;
}

std::vector<std::string> WritableColumnsOf(PGconn* connection, const std::string& table) {
  PgResult result = RunStatement(
      connection,
      "SELECT attname FROM pg_attribute WHERE attrelid = to_regclass($1) "
      "AND attnum > 0 AND NOT attisdropped AND attgenerated = '' ORDER BY attnum",
      {QuoteIdentifier(connection, LCase(table))});
  std::vector<std::string> columns;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    columns.emplace_back(PQgetvalue(result.get(), row, 0));
  }
  return columns;
}

}  // namespace vx::server
