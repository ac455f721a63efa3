// A second Unix user for tests of an installation shared by a group.
//
// Permissions only show between different users, and root passes every
// permission check: so when the tests run as root, they make an
// unprivileged user "vxtest2" and the group "vxteilen" (the user is a member
// of it, its own group is another) and run the other user's part in a forked
// process that has become that user.  Not as root, these tests skip.

#ifndef VX_TESTS_SUPPORT_SECOND_USER_H_
#define VX_TESTS_SUPPORT_SECOND_USER_H_

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

namespace vx::testing {

struct SecondUser {
  uid_t uid;
  gid_t own_group;     // the user's own (primary) group
  gid_t shared_group;  // "vxteilen", of which the user is a member
  std::string name;
  std::string shared_group_name;
};

// The second user, made on first use; nothing when the process is not root
// or the user could not be made.
std::optional<SecondUser> TheSecondUser();

// Turns the calling process into `user` for good (groups, then ids).  For a
// forked child only; false when the switch failed.
bool BecomeUser(const SecondUser& user);

// Runs `body` in a forked process as `user` and returns what it returns
// (-1 when the switch failed, the body threw or the process died).  The caller's
// database connections must not cross the fork: open them afterwards.
int RunAs(const SecondUser& user, const std::function<int()>& body);

// Gives `path` (a folder the tests made) to the shared group, setgid and
// open to the group, so that the second user can work in it; also opens the
// way through the folders above it.
void ShareFolder(const SecondUser& user, const std::string& path);

}  // namespace vx::testing

#endif  // VX_TESTS_SUPPORT_SECOND_USER_H_
