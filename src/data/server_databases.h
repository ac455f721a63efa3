// The server branch of OpenDb (connections.h): in server mode a database
// "file" is the set of a file's rows on the database server.
//
// The placeholder "Dummy.VX3DB" and the shared databases (PROJEKT.VX3DB,
// USER.VX3DB, the language database, ...) stand for the whole server
// database, except those with tables of a kind of their own (LBINHALT,
// ELKAT); any other path for the rows of the file the server's table of
// files gives that path, or for no rows when the server does not know it
// (its VID is then 0).  The server is the one the settings file's
// [Server] Verbindung reaches, a libpq connection text without password
// (libpq's own means supply that: ~/.pgpass, PGPASSFILE, peer or
// certificate authentication).

#ifndef VX_DATA_SERVER_DATABASES_H_
#define VX_DATA_SERVER_DATABASES_H_

#include <string>

#include "data/connections.h"

namespace vx {

// The placeholder name that opens the whole server database.
inline constexpr const char* kServerDatabaseName = "Dummy.VX3DB";

// The connection text of the installation's database server.
std::string ServerConnectionText();

// Whether `file_name` (a path) stands for the whole server database.
bool IsWholeServerDatabase(const std::string& file_name);

// Opens the server's database object for `file_name`.  Raises the engine's
// errors (3151 when the server cannot be reached).
DbHandle OpenServerDb(const std::string& file_name, bool read_only);

}  // namespace vx

#endif  // VX_DATA_SERVER_DATABASES_H_
