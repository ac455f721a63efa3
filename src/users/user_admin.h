// Administering the user database: users with their single-user groups,
// ordinary groups, module rights, who holds which rights on an object,
// and the two switches (the user administration itself and inheritance).
//
// Each operation opens the user database for itself.  Failures raise: 3044
// when the user database cannot be opened, 3021 for a user or group that
// does not exist, 3022 for a name that is taken, and the engine's errors.

#ifndef VX_USERS_USER_ADMIN_H_
#define VX_USERS_USER_ADMIN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "users/user_records.h"

namespace vx {

// Adds the user `name` with `password` (hashed) and kind `art`, and his
// single-user group; answers his id.
int32_t AddUser(const std::string& name, const std::string& password,
                int32_t art);
// Replaces the user's password, and forgets his wrong attempts.
void SetPassword(const std::string& name, const std::string& password);
// Locks or unlocks the user; unlocking forgets his wrong attempts.
void LockUser(const std::string& name, bool locked);
// Removes the user, his memberships, his single-user group and its rights.
void DeleteUser(const std::string& name);
// Every user, ordered by name.
std::vector<UserRecord> ListUsers();

struct GroupInfo {
  int32_t id = 0;
  std::string name;
  std::vector<std::string> members;  // ordered by name
};
// Adds an ordinary group; answers its id.
int32_t AddGroup(const std::string& name);
// Makes the user a member of the ordinary group, or no longer one.
void JoinGroup(const std::string& group, const std::string& user);
void LeaveGroup(const std::string& group, const std::string& user);
// Every ordinary group with its members, ordered by name.
std::vector<GroupInfo> ListGroups();

// Gives the ordinary group `group` (or the single-user group of the user
// of that name, when no group has it) the module right `kuerzel`, or takes
// it away.
void SetModuleRight(const std::string& group, const std::string& kuerzel,
                    bool granted);

struct ObjectRight {
  std::string group;  // the group's name
  bool einzelgruppe = false;
  bool lesen = false, schreiben = false, besitzer = false;
};
// Who holds which rights on the object `kuerzel` of type `typ`.
std::vector<ObjectRight> RightsOn(const std::string& typ,
                                  const std::string& kuerzel);

// Switches the user administration on (RechtDatei emptied) or off (a row
// added).  Switching it on needs an administrator who can log in, so that
// nobody is locked out: otherwise 3021 is raised and nothing changes.
void SetAdministration(bool active);
// Switches the user administration of the open user database `db` off.
void SwitchAdministrationOff(dao::Database& db);
// Switches the inheritance of rights on or off.
void SetInheritance(bool on);
// The state of both switches, read from the database (not the thread's
// cache).
bool AdministrationActive();
bool InheritanceOn();

}  // namespace vx

#endif  // VX_USERS_USER_ADMIN_H_
