// The user database USER.VX3DB: users, groups and their rights.

#ifndef VX_USERS_USER_DATABASE_H_
#define VX_USERS_USER_DATABASE_H_

#include <string>

#include "data/connections.h"

namespace vx {

inline constexpr const char* kUserDbName = "USER.VX3DB";

// Full path of the user database: in the directory of the user
// administration (GetUserVerzeichnis, not looked up anew).
std::string UserDbPath();

// Opens the user database shared and writable with the suite's password.
// nullptr when it cannot be opened; never raises and leaves no error
// pending, so that a missing database reads as "no user administration".
DbHandle OpenUserDb();

// The user database kept open on the calling thread, for the rights checks
// that a program makes again and again: opened on first use and again when
// the user database's path changes.  Raises 3044 when it cannot be opened.
// While it is open, the lock file shows the database in use.
dao::Database& KeptUserDb();

}  // namespace vx

#endif  // VX_USERS_USER_DATABASE_H_
