#include "support/second_user.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace vx::testing {

namespace {

constexpr const char* kUserName = "vxtest2";
constexpr const char* kGroupName = "vxteilen";

// Runs a user administration command; tests running in parallel may find
// the account files locked by each other, so the caller retries.
void Administer(const std::string& command) {
  [[maybe_unused]] int status = std::system((command + " >/dev/null 2>&1").c_str());
}

std::optional<SecondUser> Lookup() {
  struct passwd* pw = getpwnam(kUserName);
  struct group* gr = getgrnam(kGroupName);
  if (pw == nullptr || gr == nullptr) return std::nullopt;
  return SecondUser{pw->pw_uid, pw->pw_gid, gr->gr_gid, kUserName, kGroupName};
}

}  // namespace

std::optional<SecondUser> TheSecondUser() {
  static std::mutex mutex;
  std::lock_guard<std::mutex> guard(mutex);
  if (geteuid() != 0) return std::nullopt;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (std::optional<SecondUser> user = Lookup()) return user;
    Administer(std::string("groupadd -f ") + kGroupName);
    if (getpwnam(kUserName) == nullptr) {
      Administer(std::string("useradd -M -U -s /usr/sbin/nologin -G ") +
                 kGroupName + " " + kUserName);
    }
    usleep(100000);
  }
  return Lookup();
}

bool BecomeUser(const SecondUser& user) {
  gid_t groups[] = {user.own_group, user.shared_group};
  return setgroups(2, groups) == 0 && setgid(user.own_group) == 0 &&
         setuid(user.uid) == 0 && geteuid() == user.uid;
}

int RunAs(const SecondUser& user, const std::function<int()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(channel[0]);
    int result = -1;
    if (BecomeUser(user)) {
      try {
        result = body();
      } catch (...) {
        result = -1;
      }
    }
    [[maybe_unused]] ssize_t sent = write(channel[1], &result, sizeof result);
    _exit(0);
  }
  close(channel[1]);
  int result = -1;
  if (pid < 0 || read(channel[0], &result, sizeof result) != sizeof result) {
    result = -1;
  }
  close(channel[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return result;
}

void ShareFolder(const SecondUser& user, const std::string& path) {
  [[maybe_unused]] int ignored = chown(path.c_str(), static_cast<uid_t>(-1),
                                       user.shared_group);
  chmod(path.c_str(), 02770);
  // The folders above (the system's temporary folder) must let the user
  // pass; a test folder made by mkdtemp is closed to others.
  std::string above = path;
  while (above.size() > 1) {
    above = above.substr(0, above.rfind('/'));
    if (above.empty()) break;
    struct stat info;
    if (stat(above.c_str(), &info) == 0 && (info.st_mode & 0001) == 0) {
      chmod(above.c_str(), (info.st_mode & 07777) | 0001);
    }
  }
}

}  // namespace vx::testing
