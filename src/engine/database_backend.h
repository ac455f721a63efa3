// What a database object (database.h) asks of the store behind it: a
// SQLite file (database.cc) or a file's rows on the database server
// (pg_database.h).  Database checks its arguments and keeps the count of
// changed rows; a backend does the work.

#ifndef VX_ENGINE_DATABASE_BACKEND_H_
#define VX_ENGINE_DATABASE_BACKEND_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/database.h"

namespace vx::dao {

class DatabaseBackend {
 public:
  virtual ~DatabaseBackend() = default;

  // As Database::OpenRecordset, with the type checked.
  virtual std::shared_ptr<Recordset> OpenRecordset(const std::string& sql,
                                                   RecordsetType type) = 0;
  // As Database::Execute, within the running transaction when
  // `in_transaction`; returns the rows changed.
  virtual int32_t Execute(const std::string& sql, bool in_transaction) = 0;
  // As Database::InTransaction, when no transaction runs yet.
  virtual void InTransaction(const std::function<void()>& work) = 0;
  // Raises 3420 when closed.
  virtual const std::string& Name() const = 0;
  // The server's number of the opened file; 0 for a database file and for
  // a file the server does not know.
  virtual int32_t Vid() const { return 0; }
  // Raises 3420 when closed already.
  virtual void Close() = 0;
};

}  // namespace vx::dao

#endif  // VX_ENGINE_DATABASE_BACKEND_H_
