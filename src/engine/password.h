// Database passwords.
//
// A database may carry a password.  The file keeps only a random salt and
// the SHA-256 digest of salt and password, in the table vx_password; an open
// must present the password in its connect text (";pwd=..."), and the
// digests are compared in constant time.  The password guards access
// through the engine; it does not encrypt the file.

#ifndef VX_ENGINE_PASSWORD_H_
#define VX_ENGINE_PASSWORD_H_

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace vx::dao {

// The value of the key "pwd" (any case) of a connect text such as
// "ODBC;PWD=secret" or ";pwd=secret": the text after "=" up to the next
// ";".  Nothing when the connect text has no such key.
std::optional<std::string> ConnectPassword(std::string_view connect);

// Makes `password` the password of the database open on `db` (inside the
// caller's transaction).  An empty password removes it.  Raises through
// RaiseSqliteError on failure.
void StorePassword(sqlite3* db, std::string_view password,
                   std::string_view file);

// Whether the database open on `db` lets an open with `connect` in: always
// when it has no password, else when the connect text carries it.  Raises
// through RaiseSqliteError when the file cannot be read (3049 when it is no
// database).
bool PasswordAccepts(sqlite3* db, std::string_view connect,
                     std::string_view file);

}  // namespace vx::dao

#endif  // VX_ENGINE_PASSWORD_H_
