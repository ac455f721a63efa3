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
//   vx_intdiv, vx_concat          the dialect's functions
// A session's links see one file's rows or the whole database: a file's
// links start with the setting vx.vid at the file's number (a start-up
// option), which binds them to it for good (the server's row-level
// security refuses every statement once the setting differs from what it
// was at the start).  So each file a thread works on has links of its own.

#ifndef VX_ENGINE_PG_SESSION_H_
#define VX_ENGINE_PG_SESSION_H_

#include <cstdint>
#include <functional>
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

// What the user of a prepared statement made of the description of its
// rows (pg_database.cc), kept with the statement on its link: the rows of a
// prepared statement keep their description until it is prepared anew.
struct PgDescription;

class PgLink {
 public:
  // Connects, bound to `scope` ("" for the whole database, else a file's
  // number), and sets the link up.  Raises 3024 when the server has no
  // such database, 3151 for any other failure to connect.
  PgLink(const std::string& conninfo, const std::string& scope);
  ~PgLink();
  PgLink(const PgLink&) = delete;
  PgLink& operator=(const PgLink&) = delete;

  PGconn* get() const { return conn_; }

  // Runs one statement and returns its result.  Raises the engine's error
  // for a failure (RaisePgError).
  PgResult Run(std::string_view sql, const std::vector<PgParam>& params);
  // Runs an internal statement without parameters (BEGIN, COMMIT).
  void Command(const char* sql);
  // Sends one statement whose rows come one by one (PQgetResult).  The
  // statement is prepared on the link the first time it comes, so that the
  // server plans it once; then `prepared` sees the description of its
  // rows, while the link is still free for other statements.  Answers the
  // place where the caller may keep what it made of that description:
  // empty after a new preparation, valid until the link's next Send or
  // Unprepare.
  std::shared_ptr<const PgDescription>* Send(
      std::string_view sql, const std::vector<PgParam>& params,
      const std::function<void(const PGresult*)>& prepared = nullptr);
  // Forgets the prepared form of `sql` (the server refused it after a
  // change of a table).
  void Unprepare(const std::string& sql);

  PgStream* stream = nullptr;        // rows still coming, or none
  const void* transaction = nullptr;  // whose transaction runs here

 private:
  struct Prepared {
    std::string name;
    std::shared_ptr<const PgDescription> description;
  };
  PGconn* conn_ = nullptr;
  std::map<std::string, Prepared, std::less<>> prepared_;  // by statement
  int prepared_count_ = 0;
};

// What the server's catalogue says of a column of a table.
struct PgColumn {
  std::string name;      // the server's name (small letters)
  std::string spelling;  // as the table's definition spelled it
  bool yes_no = false;   // of the type vx_janein: a boolean, -1 or 0
};

class PgSession {
 public:
  // The session of this thread for `conninfo` and `scope`; made on first
  // use, kept while any database object uses it and for the last few
  // scopes the thread used (a file opened again finds its links).
  static std::shared_ptr<PgSession> ForThread(const std::string& conninfo,
                                              const std::string& scope);

  PgSession(std::string conninfo, std::string scope)
      : conninfo_(std::move(conninfo)), scope_(std::move(scope)) {}

  // A link for a statement of `owner`: the one its transaction runs on
  // (whose stream is drained first), else a free one, else a new one.
  PgLink& Acquire(const void* owner);

  const std::string& scope() const { return scope_; }

  // Column number `column` of table `table`, read from the catalogue
  // through `free_link` the first time the table is asked for, and again
  // for a column added since; nullptr when the table has no such column.
  const PgColumn* Column(PgLink& free_link, Oid table, int column);
  // Reads through `free_link` what the catalogue says of every table
  // column among the rows that `description` describes, so that Known
  // finds them.
  void Learn(PgLink& free_link, const PGresult* description);
  // The column when the session read it already, else nullptr.
  const PgColumn* Known(Oid table, int column) const;
  // Counts the session's readings of the catalogue: what was made of
  // Known's answers holds while the count stays.
  uint64_t catalogue_readings() const { return catalogue_readings_; }

 private:
  std::string conninfo_;
  std::string scope_;
  // The columns of each table, by their number, read once per session: a
  // table made anew has a new number.
  std::map<Oid, std::map<int, PgColumn>> tables_;
  uint64_t catalogue_readings_ = 0;
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
