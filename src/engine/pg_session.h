// The connections of one thread to one database server (PostgreSQL,
// through libpq), shared by the database objects of that thread.
//
// A link is one libpq connection.  A recordset reads its rows in libpq's
// single-row mode, so that it takes rows as it moves and the server keeps
// the rest; while it has rows left its link serves nobody else.  A
// statement then takes another link that is free, or a new one (kept for
// reuse), so that a recordset left open never has to read all its rows
// only because another statement comes.  Most recordsets end within their
// first rows, and one link serves the thread.
//
// Each link is set up once: dates as ISO texts, a lock wait of
// kWriteLockWaitMs, and in its own temporary schema the collation and
// functions the translated statements call (sql_dialect.h):
//   pg_temp.vx_nocase             compares texts without regard to case
//   ucase, lcase, len, mid, vx_left, vx_right, nz, iif, year, month, day,
//   vx_intdiv                     the dialect's functions
// The setting vx.vid scopes a link's statements to one file's rows (the
// server's row-level security): the link keeps what it set, and sets it
// again only when a statement of another scope comes.

#ifndef VX_ENGINE_PG_SESSION_H_
#define VX_ENGINE_PG_SESSION_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <libpq-fe.h>

namespace vx::dao {

// One parameter of a statement: text, or bytes sent as they are.
struct PgParam {
  bool null = false;
  bool binary = false;
  std::string value;
};

// The rows of a statement still coming on a link (an open recordset).
class PgStream {
 public:
  // Reads the remaining rows, so that the link is free.
  virtual void Drain() = 0;

 protected:
  ~PgStream() = default;
};

struct PgResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

class PgLink {
 public:
  // Connects and sets the link up.  Raises 3024 when the server has no
  // such database, 3151 for any other failure to connect.
  explicit PgLink(const std::string& conninfo);
  ~PgLink();
  PgLink(const PgLink&) = delete;
  PgLink& operator=(const PgLink&) = delete;

  PGconn* get() const { return conn_; }

  // Sets vx.vid to `scope` ("" for the whole database) unless it is set.
  void SetScope(const std::string& scope);
  // Forgets what vx.vid holds (after a rollback, which restores it).
  void ForgetScope() { scope_.reset(); }

  // Runs one statement and returns its result.  Raises the engine's error
  // for a failure (RaisePgError).
  PgResult Run(std::string_view sql, const std::vector<PgParam>& params);
  // Runs an internal statement without parameters (BEGIN, COMMIT).
  void Command(const char* sql);
  // Sends one statement whose rows come one by one (PQgetResult).
  void Send(std::string_view sql, const std::vector<PgParam>& params);

  // The names of a table's columns by number, read once per link.
  const std::map<int, std::string>& ColumnsOf(Oid table);

  PgStream* stream = nullptr;        // rows still coming, or none
  const void* transaction = nullptr;  // whose transaction runs here

 private:
  PGconn* conn_ = nullptr;
  std::string conninfo_;
  std::optional<std::string> scope_;
  std::map<Oid, std::map<int, std::string>> table_columns_;
};

class PgSession {
 public:
  // The session of this thread for `conninfo`; made on first use, kept
  // while any database object uses it.
  static std::shared_ptr<PgSession> ForThread(const std::string& conninfo);

  explicit PgSession(std::string conninfo) : conninfo_(std::move(conninfo)) {}

  // A link for a statement of `owner`: the one its transaction runs on
  // (whose stream is drained first), else a free one, else a new one.
  PgLink& Acquire(const void* owner);

  const std::string& conninfo() const { return conninfo_; }

 private:
  std::string conninfo_;
  std::vector<std::unique_ptr<PgLink>> links_;
};

// Raises the engine's error for a failed result (or a lost connection):
// 3022 duplicate key, 3078 unknown table, 3061 unknown column, 3085
// unknown function, 3075 syntax error (naming `sql`), 3218 lock not
// granted or deadlock, 3027 refused by rights or row security, 3314 a
// required value missing, 3201 a related record required, 3317 a rule
// violated, 3163 a text too long, 3349 a number out of range, 3421 a value
// that does not convert, 3010 a table that exists, 3151 a lost connection;
// anything else 3000 with the server's message.
[[noreturn]] void RaisePgError(PGconn* conn, const PGresult* result,
                               std::string_view sql);

}  // namespace vx::dao

#endif  // VX_ENGINE_PG_SESSION_H_
