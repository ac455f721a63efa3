// One open database file: the SQLite connection, its lock file, its cache
// of prepared statements and the write transactions run on it.
//
// The file keeps a rollback journal (never a write-ahead log, which does not
// work on network shares) and is synced fully at each commit, so that a
// crash leaves every row as it was or as it was written.  Waits for other
// users' locks are short (kBusyTimeoutMs): the library's own retry loops
// take over after that.

#ifndef VX_ENGINE_CONNECTION_H_
#define VX_ENGINE_CONNECTION_H_

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/row_store.h"
#include "engine/sql_dialect.h"
#include "engine/statement_cache.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vx::dao {

class ColumnSet;
class Connection;
class LockFile;

inline constexpr int kBusyTimeoutMs = 200;
// How long a write transaction waits for its write lock while other users
// write: long enough for a queue of writers (each holds the lock for one
// synced commit), short enough that a lock which never comes is reported.
inline constexpr int kWriteLockWaitMs = 5000;

// An object that uses statements of a connection and must let go of them
// before the connection closes (an open recordset).
class ConnectionClient {
 public:
  virtual void ConnectionClosing() = 0;

 protected:
  ~ConnectionClient() = default;
};

// A prepared statement borrowed from a connection's cache; given back
// (reset) when released or destroyed.
class Statement {
 public:
  Statement() = default;
  Statement(Connection* connection, std::unique_ptr<CachedStatement> cached)
      : connection_(connection), cached_(std::move(cached)) {}
  Statement(Statement&&) noexcept = default;
  Statement& operator=(Statement&& other) noexcept;
  ~Statement() { Release(); }

  sqlite3_stmt* get() const { return cached_ ? cached_->stmt : nullptr; }
  // The description of the statement's columns kept with it (may be null).
  std::shared_ptr<const ColumnSet>& columns() { return cached_->columns; }
  explicit operator bool() const { return cached_ != nullptr; }

  // Binds `parameters` to the first "?".
  void Bind(const std::vector<Parameter>& parameters);
  // Steps once: true for a row, false when done.  Raises the engine's error
  // for a failure.
  bool Step();
  // Resets the statement and gives it back to the cache.
  void Release();

 private:
  Connection* connection_ = nullptr;
  std::unique_ptr<CachedStatement> cached_;
};

class Connection {
 public:
  // Opens the database `name` (Windows-form, mapped through the host).  See
  // DBEngine::OpenDatabase for the errors.
  static std::shared_ptr<Connection> Open(const std::string& name,
                                          bool exclusive, bool read_only,
                                          const std::string& connect);
  // Creates the database file `name` empty and opens it exclusively.
  // Raises 3204 when it exists.
  static std::shared_ptr<Connection> Create(const std::string& name);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Closes the file: clients let go of their statements first.  The lock
  // file lingers a moment for the next open (LockFile::Linger).  Raises 3420
  // when closed already.
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  // Raises 3420 when closed.
  void CheckOpen() const;

  const std::string& name() const { return name_; }
  // The file's host path.
  const std::string& path() const { return path_; }
  bool read_only() const { return read_only_; }
  sqlite3* handle() const { return db_; }

  // A prepared statement for SQLite text `sql`, from the cache when one is
  // idle.  Raises the engine's error when it does not prepare, and 3142 when
  // `sql` holds more than one statement.
  Statement Prepare(std::string_view sql);

  // Runs `work` between BEGIN IMMEDIATE and COMMIT, so that a writer that
  // has to wait for another waits in the busy handler instead of failing
  // with a deadlock.  Rolls back and raises again when `work` raises;
  // raises 3218 when the lock does not come within kWriteLockWaitMs.
  template <typename Work>
  void InWriteTransaction(Work&& work) {
    Begin();
    try {
      work();
    } catch (...) {
      Rollback();
      throw;
    }
    Commit();
  }

  // Forgets the prepared statements kept for reuse, after a change of the
  // schema.
  void ForgetStatements() { cache_.Clear(); }

  // Raises the engine's error for SQLite result code `rc`.
  [[noreturn]] void Fail(int rc, std::string_view sql) const;

  void Register(ConnectionClient* client);
  void Unregister(ConnectionClient* client);

  // A row store for a recordset of `columns` columns.  A program reads one
  // row after another through recordsets that each live for a moment: the
  // store of the last one that ended is handed on, empty, with the room it
  // had grown.
  RowStore TakeRowStore(size_t columns);
  // Keeps the store of a recordset that ends, when it is small enough to
  // be worth keeping.
  void KeepRowStore(RowStore&& rows);

 private:
  friend class Statement;
  Connection(std::string name, std::string path,
             std::unique_ptr<LockFile> lock, bool read_only);

  // Opens the SQLite connection on the file and sets it up.
  void Connect();

  void Begin();
  void Commit();
  void Rollback();
  // SQLite's busy handler: waits in short steps until busy_limit_ms_ has
  // passed since the wait began.
  static int WaitForLock(void* connection, int count);
  void Exec(const char* sql);
  void GiveBack(std::unique_ptr<CachedStatement> cached);

  std::string name_;
  std::string path_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<LockFile> lock_;
  bool read_only_;
  bool dialect_registered_ = false;  // RegisterDialectFunctions done
  StatementCache cache_;
  int busy_limit_ms_ = kBusyTimeoutMs;
  std::chrono::steady_clock::time_point busy_since_;
  std::vector<ConnectionClient*> clients_;
  RowStore spare_rows_;
};

}  // namespace vx::dao

#endif  // VX_ENGINE_CONNECTION_H_
