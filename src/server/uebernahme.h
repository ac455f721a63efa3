// Moving the data of a file-mode installation onto a server database: the
// rows of a database file into the server's tables, a saved table set (an
// LV file's companion) into Vorlagen and the SAV tables, a document into
// VXFiles; each checked afterwards against what the server holds.

#ifndef VX_SERVER_UEBERNAHME_H_
#define VX_SERVER_UEBERNAHME_H_

#include <libpq-fe.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx::server {

// What arrived of one file.
struct Uebernommen {
  int32_t tables = 0;
  int64_t rows = 0;
  std::vector<std::string> table_names;  // the server's names
};

// Told before each table of a file moves: the file's name of the table,
// its place (from 1) and how many tables move.
using TableProgress = std::function<void(const std::string& table, int number, int count)>;

// Copies every table of the database file at `host_path` into the tables
// of the same names (without regard to case) on the server, the rows of a
// project file with its number `vid`, those of a shared database (`vid` 0)
// as they are; a table or column the server lacks is added first, with the
// file's type (and, for a table SavTables lists, to the tables of its saved
// sets, which hold every column of the table).  Then counts and compares (by a checksum over every value) the
// rows on the server with the file's, table by table, and moves the
// numbering of counter columns past the rows.  One transaction: a failure
// leaves nothing of the file on the server.  A shared table that holds rows
// already on the server is not filled twice, except the tables named in
// `replaced` (the server's names), whose rows (the server's own starting
// rows) give way to the file's in the same transaction.  Raises
// kErrServerCall (with the reason) on every failure.
Uebernommen MoveDatabaseFile(PGconn* connection, const std::string& host_path, int32_t vid,
                             const std::vector<std::string>& replaced = {},
                             const TableProgress& progress = nullptr);

// The server's names of the tables of the database file at `host_path`
// that hold rows on the server already: those a shared database's move
// would refuse to fill twice.  Raises as above.
std::vector<std::string> SharedTablesWithRows(PGconn* connection, const std::string& host_path);

// Moves the database file at `host_path`, a saved copy of a file of kind
// `kind` ("LV" for an LV file's companions .VX3L1, .VX3LX, .VX3LR), as the
// saved set `name`: a row (`name`, `kind`) of Vorlagen, and the rows of each
// table SavTables lists for the kind in SAV<kind>__<table>, with
// SicherungsName `name` and the file number `vid` of the file the set was
// saved from (0 when the server has no such file).  A table of the file
// that SavTables does not list for the kind has no place on the server: one
// with rows fails the move, an empty one is left out.  A set of that name on
// the server already fails it too.  Checked and done in one transaction as
// MoveDatabaseFile; raises as it does.
Uebernommen MoveSavedSet(PGconn* connection, const std::string& host_path,
                         const std::string& kind, const std::string& name, int32_t vid,
                         const TableProgress& progress = nullptr);

// Stores the document at `host_path` as the record (`name`, `type`) of
// VXFiles, replacing one of that name and type, and compares length and
// checksum of the stored bytes with the file's.  Raises as above.
void MoveDocument(PGconn* connection, const std::string& host_path, const std::string& name,
                  const std::string& type);

}  // namespace vx::server

#endif  // VX_SERVER_UEBERNAHME_H_
