#include "engine/connection.h"

#include <errno.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "engine/dao_errors.h"
#include "engine/dialect_functions.h"
#include "engine/lock_file.h"
#include "engine/password.h"
#include "platform/shared_files.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx::dao {

// ---- Statement ----

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Release();
    connection_ = other.connection_;
    cached_ = std::move(other.cached_);
  }
  return *this;
}

void Statement::Bind(const std::vector<Parameter>& parameters) {
  for (size_t k = 0; k < parameters.size(); ++k) {
    const Parameter& p = parameters[k];
    const int index = static_cast<int>(k) + 1;
    switch (p.kind) {
      case Parameter::Kind::kInteger:
        sqlite3_bind_int64(get(), index, p.integer);
        break;
      case Parameter::Kind::kReal:
        sqlite3_bind_double(get(), index, p.real);
        break;
      case Parameter::Kind::kText:
        sqlite3_bind_text64(get(), index, p.text.data(), p.text.size(),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
  }
}

bool Statement::Step() {
  const int rc = sqlite3_step(get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  connection_->Fail(rc, cached_->sql);
}

void Statement::Release() {
  if (cached_) connection_->GiveBack(std::move(cached_));
}

// ---- Connection ----

namespace {

std::string HostPath(const std::string& name) {
  try {
    return CurrentHost().MapPath(name);
  } catch (const Error&) {
    RaiseDao(kErrInvalidPath, {name});
  }
}

// Whether SQLite, as it was built, opens every connection with the sync
// level FULL: setting it again would cost a statement at every open.
bool SyncFullByDefault() {
  static const bool full =
      sqlite3_compileoption_used("DEFAULT_SYNCHRONOUS=2") == 1;
  return full;
}

}  // namespace

std::shared_ptr<Connection> Connection::Open(const std::string& name,
                                             bool exclusive, bool read_only,
                                             const std::string& connect) {
  std::string path = HostPath(name);
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) RaiseDao(kErrFileNotFound, {name});
    RaiseDao(kErrCannotOpenFile, {name});
  }
  // An empty file would open as an empty database; it is none.
  if (!S_ISREG(info.st_mode) || info.st_size == 0) {
    RaiseDao(kErrNotADatabase, {name});
  }
  std::unique_ptr<LockFile> lock =
      LockFile::Acquire(path, name, exclusive, read_only);
  std::shared_ptr<Connection> connection(
      new Connection(name, std::move(path), std::move(lock), read_only));
  connection->Connect();
  if (!PasswordAccepts(connection->db_, connect, name)) {
    RaiseDao(kErrInvalidPassword);
  }
  return connection;
}

std::shared_ptr<Connection> Connection::Create(const std::string& name) {
  std::string path = HostPath(name);
  struct stat info;
  if (stat(path.c_str(), &info) == 0) RaiseDao(kErrDatabaseExists);
  std::unique_ptr<LockFile> lock = LockFile::Acquire(path, name, true, false);
  // Exclusively: of two creators only one makes the file, and never through
  // a link.  The new database is shared as its folder is.
  FileDescriptor fd(CreateSharedFile(path, FolderOf(path), O_WRONLY));
  if (fd.get() < 0) {
    if (errno == EEXIST) RaiseDao(kErrDatabaseExists);
    RaiseDao(kErrInvalidPath, {name});
  }
  fd.Close();
  std::shared_ptr<Connection> connection(
      new Connection(name, std::move(path), std::move(lock), false));
  connection->Connect();
  return connection;
}

Connection::Connection(std::string name, std::string path,
                       std::unique_ptr<LockFile> lock, bool read_only)
    : name_(std::move(name)),
      path_(std::move(path)),
      lock_(std::move(lock)),
      read_only_(read_only) {}

void Connection::Connect() {
  // Without SQLITE_OPEN_CREATE: a file that vanished is not made anew.
  const int flags = (read_only_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                    SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
  if (rc == SQLITE_CANTOPEN) {
    // A file this user may not read is there all the same.
    const int error = sqlite3_system_errno(db_);
    if (error == EACCES || error == EPERM) RaiseDao(kErrCannotOpenFile, {name_});
    RaiseDao(kErrFileNotFound, {name_});
  }
  if (rc != SQLITE_OK) Fail(rc, "");
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_handler(db_, &Connection::WaitForLock, this);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_FKEY, 1, nullptr);
  // A writer puts every commit on the disk before it goes on, and keeps a
  // rollback journal (a file left in WAL mode is turned back: the WAL's
  // shared memory does not reach other machines).  Either statement reads
  // the schema, which tells a database from any other file (3049); a
  // reader needs only that.
  if (read_only_ || !SyncFullByDefault()) Exec("PRAGMA synchronous=FULL");
  if (!read_only_) Exec("PRAGMA journal_mode=DELETE");
}

Connection::~Connection() {
  if (!IsOpen()) return;
  // Never closed: an open that failed half-way, or a user that let go
  // without closing.  Its lock file goes at once instead of lingering.
  const std::unique_ptr<LockFile> lock = std::move(lock_);
  Close();
}

void Connection::Close() {
  CheckOpen();
  // A client unregisters itself while it closes.
  while (!clients_.empty()) clients_.back()->ConnectionClosing();
  cache_.Clear();
  sqlite3_close_v2(db_);
  db_ = nullptr;
  LockFile::Linger(std::move(lock_));
}

void Connection::CheckOpen() const {
  if (!IsOpen()) RaiseDao(kErrObjectInvalid);
}

Statement Connection::Prepare(std::string_view sql) {
  CheckOpen();
  if (std::unique_ptr<CachedStatement> cached = cache_.Take(sql)) {
    return Statement(this, std::move(cached));
  }
  // Registered with the first statement, when no other can be running
  // (SQLite refuses to replace a function under a running statement): an
  // open that only checks the password and closes again does without them.
  if (!dialect_registered_) {
    RegisterDialectFunctions(db_);
    dialect_registered_ = true;
  }
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
  if (rc != SQLITE_OK) Fail(rc, sql);
  auto cached = std::make_unique<CachedStatement>();
  cached->sql = std::string(sql);
  cached->stmt = stmt;
  if (stmt == nullptr) RaiseDao(kErrInvalidStatement);
  // The translation ends every statement at its first ";"; whatever SQLite
  // finds after the first statement must be blank.
  for (const char* p = tail; p < sql.data() + sql.size(); ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
      RaiseDao(kErrTextAfterEnd);
    }
  }
  return Statement(this, std::move(cached));
}

void Connection::GiveBack(std::unique_ptr<CachedStatement> cached) {
  if (IsOpen()) cache_.Give(std::move(cached));
}

void Connection::Fail(int rc, std::string_view sql) const {
  RaiseSqliteError(db_, rc, sql, name_);
}

void Connection::Exec(const char* sql) {
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) Fail(rc, sql);
}

void Connection::Begin() {
  CheckOpen();
  if (read_only_) RaiseDao(kErrReadOnly);
  // The wait covers taking the write lock here and, at the commit, waiting
  // for the readers of the file to finish.
  busy_limit_ms_ = kWriteLockWaitMs;
  const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) return;
  try {
    Fail(rc, "BEGIN IMMEDIATE");  // reads SQLite's message first
  } catch (...) {
    busy_limit_ms_ = kBusyTimeoutMs;
    throw;
  }
}

void Connection::Commit() {
  const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) {
    busy_limit_ms_ = kBusyTimeoutMs;
    return;
  }
  try {
    Fail(rc, "COMMIT");  // reads SQLite's message before the rollback
  } catch (...) {
    Rollback();
    throw;
  }
}

void Connection::Rollback() {
  // SQLite rolls back by itself after some failures (a full disk, say).
  if (sqlite3_get_autocommit(db_) == 0) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  busy_limit_ms_ = kBusyTimeoutMs;
}

int Connection::WaitForLock(void* connection, int count) {
  // Every waiter asks again after a millisecond, however long it has
  // waited: when many users write, the lock goes to whoever asks first
  // after it comes free, and growing pauses would leave the longest
  // waiters behind until they give up.
  Connection& self = *static_cast<Connection*>(connection);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) self.busy_since_ = now;
  if (now - self.busy_since_ >= std::chrono::milliseconds(self.busy_limit_ms_)) {
    return 0;
  }
  sqlite3_sleep(1);
  return 1;
}

void Connection::Register(ConnectionClient* client) {
  clients_.push_back(client);
}

void Connection::Unregister(ConnectionClient* client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client),
                 clients_.end());
}

RowStore Connection::TakeRowStore(size_t columns) {
  RowStore rows = std::move(spare_rows_);
  rows.Clear(columns);
  return rows;
}

void Connection::KeepRowStore(RowStore&& rows) {
  // A store that held many rows or long texts is let go, so that one large
  // read does not hold its memory for the connection's life.
  if (rows.room() <= kKeptRowStoreRoom) spare_rows_ = std::move(rows);
}

}  // namespace vx::dao
