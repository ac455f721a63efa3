// New database files, made from a schema script.
//
// A schema script holds statements of the dialect (CREATE TABLE, CREATE
// INDEX, INSERT of initial rows, ...) separated by ";" outside texts and
// names; "--" starts a comment.  Table definitions are translated as for
// Execute (sql_dialect.h).

#ifndef VX_ENGINE_SCHEMA_H_
#define VX_ENGINE_SCHEMA_H_

#include <string>
#include <string_view>

namespace vx::dao {

// Creates the database file `path` (Windows-form, mapped through the host),
// runs `script` in it in one transaction and gives it `password` (none when
// empty).  Raises 3204 when the file exists; any failure of the script
// raises the engine's error for it and leaves no file behind.  While it is
// made, the new database is held exclusively.
void CreateDatabase(const std::string& path, std::string_view script,
                    std::string_view password);

}  // namespace vx::dao

#endif  // VX_ENGINE_SCHEMA_H_
