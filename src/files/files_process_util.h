// Other processes for the tests of copying and deletion: one that holds a
// database open, and children that start at the same moment.

#ifndef VX_FILES_FILES_PROCESS_UTIL_H_
#define VX_FILES_FILES_PROCESS_UTIL_H_

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/lock_file.h"

namespace vx::testing {

// A child process that has the database at `host_path` open (holds its
// lock file) from construction until destruction.
class DatabaseUser {
 public:
  explicit DatabaseUser(const std::string& host_path) {
    int ready[2];
    int release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      auto lock = dao::LockFile::Acquire(host_path, "DB", false, false);
      char byte = 1;
      if (write(ready[1], &byte, 1) != 1) _exit(1);
      // Holds the lock until the parent closes its end.
      while (read(release[0], &byte, 1) > 0) {
      }
      lock.reset();
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char byte;
    if (read(ready[0], &byte, 1) != 1) pid_ = -1;
    close(ready[0]);
  }
  ~DatabaseUser() {
    if (release_ >= 0) close(release_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  DatabaseUser(const DatabaseUser&) = delete;
  DatabaseUser& operator=(const DatabaseUser&) = delete;
  bool running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
};

// Runs each body in a child process of its own, all released at the same
// moment, and returns their exit codes in order.
inline std::vector<int> RunTogether(
    const std::vector<std::function<int()>>& bodies) {
  int start[2];
  if (pipe(start) != 0) return {};
  std::vector<pid_t> children;
  for (const auto& body : bodies) {
    pid_t pid = fork();
    if (pid == 0) {
      close(start[1]);
      char byte;
      while (read(start[0], &byte, 1) > 0) {
      }
      _exit(body());
    }
    children.push_back(pid);
  }
  close(start[0]);
  close(start[1]);  // every child starts now
  std::vector<int> codes;
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return codes;
}

}  // namespace vx::testing

#endif  // VX_FILES_FILES_PROCESS_UTIL_H_
