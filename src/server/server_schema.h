// The schema of a server database: the suite's tables, the table of files
// and the row-level security that holds a file's connection to its rows.
//
// Who may do what:
//   vx_eigentuemer  (no login) owns every table and function;
//   vx_benutzer     (no login) may read and write rows and nothing else;
//                   the suite's login roles are members of it.
// A connection works on one file when vx.vid holds the file's number; set
// in the connection's start-up options ("options='-c vx.vid=N'") the binding
// is final: SET, RESET or set_config cannot move the connection to another
// file or to the whole database.  Without vx.vid (or '') a connection works
// on the whole database.

#ifndef VX_SERVER_SERVER_SCHEMA_H_
#define VX_SERVER_SERVER_SCHEMA_H_

#include <libpq-fe.h>

#include <string>
#include <vector>

#include "data/schema_scripts.h"

namespace vx::server {

inline constexpr const char* kOwnerRole = "vx_eigentuemer";
inline constexpr const char* kWorkingRole = "vx_benutzer";

// The server schema's scripts (schema/server/*.sql), in the order they run.
const std::vector<SchemaScriptEntry>& ServerSchemaScripts();

// Creates or brings up to date the schema in the connection's database, in
// one transaction, leaving every row in place; concurrent calls wait for
// each other.  The connection must work on the whole database and be a
// superuser's, or belong to the database's owner and may create roles.  A
// connection that is no superuser's becomes a member of vx_benutzer (and
// not of vx_eigentuemer).  Raises kErrServerCall when the server refuses.
void ApplySchema(PGconn* connection);

// Runs `statements` (tables or columns the suite's data need beyond the
// schema) as the tables' owner, then brings row-level security and the
// working role's rights up to date for them: a new table with a column vid
// is held to the connection's file like the others.  One transaction; the
// connection as for ApplySchema.
void AddToSchema(PGconn* connection, const std::vector<std::string>& statements);

// Makes `login_role` a member of vx_benutzer, so that the suite may work
// through it.  The connection as for ApplySchema.
void GrantWork(PGconn* connection, const std::string& login_role);

}  // namespace vx::server

#endif  // VX_SERVER_SERVER_SCHEMA_H_
