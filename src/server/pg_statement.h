// Running statements of the server's own administration through libpq.
//
// The engine's backend has its own way with statements; these helpers are
// for the library's set-up and housekeeping of a server database (the
// schema, the table of files, moving data over), which run statements of
// their own making with the values as parameters, never in the text.

#ifndef VX_SERVER_PG_STATEMENT_H_
#define VX_SERVER_PG_STATEMENT_H_

#include <libpq-fe.h>

#include <memory>
#include <string>
#include <vector>

namespace vx::server {

// The number of the errors raised when the server refuses a statement or
// the connection is lost ("ODBC--call failed."), with the server's message.
inline constexpr int32_t kErrServerCall = 3146;

struct PgResultClear {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultClear>;

// Runs `sql` (several statements are allowed when there are no `params`)
// and returns its result.  Raises kErrServerCall with the server's message
// when it fails.
PgResult RunStatement(PGconn* connection, const std::string& sql,
                      const std::vector<std::string>& params = {});

// The first column of the first row of `sql`'s result; "" when there is no
// row.
std::string RunForValue(PGconn* connection, const std::string& sql,
                        const std::vector<std::string>& params = {});

// A transaction on `connection`, rolled back unless Commit() was called.
class PgTransaction {
 public:
  explicit PgTransaction(PGconn* connection);
  ~PgTransaction();
  PgTransaction(const PgTransaction&) = delete;
  PgTransaction& operator=(const PgTransaction&) = delete;
  void Commit();

 private:
  PGconn* connection_;
  bool open_ = true;
};

// `name` quoted as an identifier for a statement.
std::string QuoteIdentifier(PGconn* connection, const std::string& name);

// The columns of `table` (an unquoted name, found without regard to case)
// that a statement may write, in the table's order: generated and dropped
// columns are left out.  None when the server has no such table.
std::vector<std::string> WritableColumnsOf(PGconn* connection, const std::string& table);

}  // namespace vx::server

#endif  // VX_SERVER_PG_STATEMENT_H_
