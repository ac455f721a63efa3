// Database objects on the database server (PostgreSQL): the same object
// model as on a database file (database.h, recordset.h), with the same
// promises.
//
// An object stands for one file's rows, or for the whole server database.
// A file's statements run on connections bound to the file's number when
// they start (pg_session.h), so that the server's row-level security shows
// and takes that file's rows only, whatever a statement does to its
// settings.  Besides, statements are translated for the server
// (sql_dialect.h), which refuses any call of a function the dialect does
// not know and any name of the server's catalogue.  A statement that begins
// with "@" goes to the server as written; through a file's object it must
// still pass that check.  "SELECT * INTO T IN 'path' FROM T ..." through a
// file's object adds the rows of T it selects to the file at `path` (3024
// when the server does not know that file), every column copied and the
// file number replaced; through the whole database it is refused (3219).
//
// Recordsets read their rows as they move (single-row mode).  A dynaset on
// one table reads each row's position (ctid) and version (xmin) in hidden
// columns; Update writes the row only when it is still that version, so
// that of two users who change one row at the same moment exactly one
// succeeds (the other gets 3197), and reads the written row back.  Field
// names are the statement's spelling of a name where it writes one, else
// the server's.  Booleans are -1 and 0, dates the run time's dates.

#ifndef VX_ENGINE_PG_DATABASE_H_
#define VX_ENGINE_PG_DATABASE_H_

#include <cstdint>
#include <memory>
#include <string>

#include <libpq-fe.h>

namespace vx::dao {

class Database;

// The scope of an object that sees every row.
inline constexpr int32_t kWholeDatabase = -1;

// Opens a database object named `name` on the server that `conninfo` (a
// libpq connection text) reaches, for the rows of file number `vid`, or
// every row for kWholeDatabase.  `read_only` refuses every write with 3027.
// Raises 3151 when the server cannot be reached, 3024 when it has no such
// database.
std::shared_ptr<Database> OpenServerDatabase(const std::string& conninfo,
                                             const std::string& name,
                                             int32_t vid, bool read_only);

// This thread's connection to the server that `conninfo` reaches, free for
// a statement and with the whole database in view, for the server's own
// work (the table of files).  Valid until the next call of the engine on
// that server from this thread.
PGconn* ServerConnection(const std::string& conninfo);

}  // namespace vx::dao

#endif  // VX_ENGINE_PG_DATABASE_H_
