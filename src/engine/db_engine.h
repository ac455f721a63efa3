// The database engine: the DAO-style object model on SQLite.
//
// Every suite database is a SQLite 3 file.  The engine offers what the
// library needs of the engine it was written for: an engine object that
// opens databases, database objects that run statements and open
// recordsets, recordsets with fields.  Failures raise vx::Error with the
// engine's numbers and descriptions (dao_errors.h).
//
// Statements are written in the engine's (Access) dialect and translated
// (sql_dialect.h).  A database may carry a password; each open holds a
// shared advisory lock on the database's lock file, an exclusive open an
// exclusive one (lock_file.h).

#ifndef VX_ENGINE_DB_ENGINE_H_
#define VX_ENGINE_DB_ENGINE_H_

#include <memory>
#include <string>

#include "vx_taluvek/variant.h"

namespace vx::dao {

class Database;

// Actions of Idle.
enum IdleAction : int32_t {
  kIdleFreeLocks = 1,
  kIdleRefreshCache = 8,
};

class DBEngine : public Object {
 public:
  // Opens the database file `name` (a Windows-form path, mapped through the
  // host).  `options` true opens it exclusively; `read_only` true refuses
  // every write with 3027; `connect` is a connect text such as ";pwd=..."
  // whose password must match the database's when it has one.  Omitted
  // arguments mean false, false and "".
  //
  // Raises 3024 when the file does not exist (the description names it),
  // 3031 for a wrong or missing password, 3356 when another user holds the
  // database exclusively, 3045 for an exclusive open while others have it
  // open, 3049 when the file is no database.
  std::shared_ptr<Database> OpenDatabase(
      const std::string& name, const Variant& options = Variant::Missing(),
      const Variant& read_only = Variant::Missing(),
      const Variant& connect = Variant::Missing());

  // kIdleFreeLocks: lets go of read locks that finished recordsets keep;
  // kIdleRefreshCache: makes later reads see other users' changes at once.
  // Both hold nothing here that needs releasing (a recordset's read lock
  // lasts only while its statement still has rows to give, and every read
  // sees the file as it is), so Idle only checks its argument: other
  // values raise 3001 "Invalid argument.".
  void Idle(const Variant& action = Variant::Missing());
};

}  // namespace vx::dao

#endif  // VX_ENGINE_DB_ENGINE_H_
