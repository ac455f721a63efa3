// Moving the data of a file-mode installation onto a server database: the
// rows of a database file into the server's tables, a document into
// VXFiles; each checked afterwards against what the server holds.

#ifndef VX_SERVER_UEBERNAHME_H_
#define VX_SERVER_UEBERNAHME_H_

#include <libpq-fe.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vx::server {

// What arrived of one file.
struct Uebernommen {
  int32_t tables = 0;
  int64_t rows = 0;
  std::vector<std::string> table_names;  // the server's names
};

// Copies every table of the database file at `host_path` into the tables
// of the same names (without regard to case) on the server, the rows of a
// project file with its number `vid`, those of a shared database (`vid` 0)
// as they are; a table or column the server lacks is added first, with the
// file's type.  Then counts and compares (by a checksum over every value) the
// rows on the server with the file's, table by table, and moves the
// numbering of counter columns past the rows.  One transaction: a failure
// leaves nothing of the file on the server.  A shared table that holds rows
// already on the server is not filled twice.  Raises kErrServerCall (with
// the reason) on every failure.
Uebernommen MoveDatabaseFile(PGconn* connection, const std::string& host_path, int32_t vid);

// Stores the document at `host_path` as the record (`name`, `type`) of
// VXFiles, replacing one of that name and type, and compares length and
// checksum of the stored bytes with the file's.  Raises as above.
void MoveDocument(PGconn* connection, const std::string& host_path, const std::string& name,
                  const std::string& type);

}  // namespace vx::server

#endif  // VX_SERVER_UEBERNAHME_H_
