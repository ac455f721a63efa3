// An open database of the engine (see db_engine.h).

#ifndef VX_ENGINE_DATABASE_H_
#define VX_ENGINE_DATABASE_H_

#include <functional>
#include <memory>
#include <string>

#include "vx_taluvek/variant.h"

namespace vx::dao {

class Connection;
class DatabaseBackend;
class Recordset;

// Recordset types.
enum RecordsetType : int32_t {
  kOpenTable = 1,
  kOpenDynaset = 2,
  kOpenSnapshot = 4,
  kOpenForwardOnly = 8,
};

class Database : public Object {
 public:
  // A database file.
  explicit Database(std::shared_ptr<Connection> connection);
  // Another store behind the same object (database_backend.h).
  explicit Database(std::unique_ptr<DatabaseBackend> backend);
  ~Database() override;

  // Opens a recordset on a SELECT statement of the dialect, or on a bare
  // table name (all its rows).  `type` is one of RecordsetType; omitted, a
  // dynaset.  A dynaset on the rows of one table can add and change rows
  // (AddNew, Edit); snapshots and forward-only recordsets are read-only.
  // Rows are fetched as the recordset moves, so opening costs the same on
  // a large table as on a small one.
  //
  // Raises 3142 for text after the end of the statement, 3078 for an
  // unknown table, 3061 for an unknown column name, 3420 when closed.
  std::shared_ptr<Recordset> OpenRecordset(
      const std::string& sql, const Variant& type = Variant::Missing());

  // Runs one action statement of the dialect (INSERT, UPDATE, DELETE,
  // CREATE, DROP, ALTER) in a transaction of its own.  Raises 3065 for a
  // SELECT, 3142 for text after the end of the statement, 3027 when opened
  // read-only, 3218 when the write lock does not come within the writers'
  // wait (kWriteLockWaitMs, connection.h).
  void Execute(const std::string& sql,
               const Variant& options = Variant::Missing());

  // Runs `work`, whose Execute calls on this database then make one
  // transaction: all their changes are written at once, or, when `work`
  // raises, none of them (and the error is raised again).  A call inside
  // `work` joins the running transaction.  Raises 3027 when opened
  // read-only, 3218 when another user's lock outlasts the busy timeout.
  void InTransaction(const std::function<void()>& work);

  // Rows changed by the last Execute.
  int32_t RecordsAffected() const;

  // The file name the database was opened with.
  const std::string& Name() const;

  // On a database server, the number of the file whose rows this object
  // sees (0 when the server does not know the file, or the object stands
  // for the whole server database); 0 for a database file.
  int32_t VID() const;

  // Closes the database: open recordsets on it become invalid (3420), the
  // lock file is released.  Closing twice raises 3420.
  void Close();

 private:
  std::unique_ptr<DatabaseBackend> backend_;
  int32_t records_affected_ = 0;
  bool in_transaction_ = false;
};

}  // namespace vx::dao

#endif  // VX_ENGINE_DATABASE_H_
