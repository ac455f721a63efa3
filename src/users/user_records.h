// Reading the users of the user database, for the components that check
// logins and rights and for the administration.

#ifndef VX_USERS_USER_RECORDS_H_
#define VX_USERS_USER_RECORDS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "data/connections.h"

namespace vx {

// BenutzerArt values.
inline constexpr int32_t kBenutzerArtNormal = 0;
inline constexpr int32_t kBenutzerArtAdmin = 1;
inline constexpr int32_t kBenutzerArtSuperReader = 2;  // reads everything

struct UserRecord {
  int32_t id = 0;
  std::string name;
  std::string hash;         // PasswortHash, "" when none is set
  std::string legacy_salt;  // PasswortSalz of a hash of the older form
  int32_t art = kBenutzerArtNormal;
  bool gesperrt = false;
  int32_t fehlversuche = 0;  // wrong passwords since the last login
};

// The user named `name` (without regard to case), or by id; nothing when
// there is none.  Raises the engine's errors.
std::optional<UserRecord> FindUserByName(dao::Database& db,
                                         const std::string& name);
std::optional<UserRecord> FindUserById(dao::Database& db, int32_t id);

// Records that `user` has given `count` wrong passwords since his last
// login (adding the column to a user database of the older template).
void RecordFailedLogins(dao::Database& db, const UserRecord& user,
                        int32_t count);

// The id of the single-user group of `user_id`, 0 when it has none.
int32_t SingleUserGroupOf(dao::Database& db, int32_t user_id);

}  // namespace vx

#endif  // VX_USERS_USER_RECORDS_H_
