#include "engine/lock_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "engine/dao_errors.h"
#include "platform/text.h"

namespace vx::dao {

namespace {

// How often an acquirer starts over after finding its inode unlinked, and
// how long it waits for a remover that holds the file for its unlink.
constexpr int kMaxAttempts = 50;
constexpr int kRemoverWaitMs = 20;

// Whether `path` still names the inode open on `fd`.
bool StillNamed(int fd, const std::string& path) {
  struct stat open_file, named;
  if (fstat(fd, &open_file) != 0 || stat(path.c_str(), &named) != 0) {
    return false;
  }
  return open_file.st_nlink > 0 && open_file.st_dev == named.st_dev &&
         open_file.st_ino == named.st_ino;
}

void SleepOneMillisecond() {
  struct timespec pause = {0, 1000000};
  nanosleep(&pause, nullptr);
}

enum class LockOutcome { kLocked, kUnlinked, kRefused };

// Tries the lock without blocking.  A refusal may come from a last holder
// that holds the file exclusively only to unlink it; that one is gone within
// moments, so a refused acquirer watches the name for a little while.
LockOutcome TryLock(int fd, int operation, const std::string& path) {
  for (int waited = 0;; ++waited) {
    if (flock(fd, operation | LOCK_NB) == 0) return LockOutcome::kLocked;
    if (errno == EINTR) continue;
    if (!StillNamed(fd, path)) return LockOutcome::kUnlinked;
    if (errno != EWOULDBLOCK || waited == kRemoverWaitMs) {
      return LockOutcome::kRefused;
    }
    SleepOneMillisecond();
  }
}

// The host name an exclusive holder left in the file.
std::string HolderMachine(int fd) {
  char buffer[256];
  ssize_t n = pread(fd, buffer, sizeof buffer, 0);
  std::string machine = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
  return machine.empty() ? "unknown" : machine;
}

void WriteMachine(int fd) {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return;
  std::string_view name(host);
  if (ftruncate(fd, 0) == 0) {
    // The name only serves error texts; a failed write loses nothing else.
    [[maybe_unused]] ssize_t written = pwrite(fd, name.data(), name.size(), 0);
  }
}

}  // namespace

std::string LockFile::PathFor(const std::string& database_path) {
  size_t chars = Len(database_path);
  return Left(database_path, chars >= 3 ? chars - 3 : 0) + "LDB";
}

std::unique_ptr<LockFile> LockFile::Acquire(const std::string& database_path,
                                            const std::string& name,
                                            bool exclusive, bool read_only) {
  const std::string path = PathFor(database_path);
  const int operation = exclusive ? LOCK_EX : LOCK_SH;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && read_only) {
      fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) return std::unique_ptr<LockFile>(new LockFile(path, -1));
    }
    if (fd < 0) RaiseDao(kErrCannotOpenFile, {name});

    switch (TryLock(fd, operation, path)) {
      case LockOutcome::kLocked:
        if (!StillNamed(fd, path)) break;  // removed before we locked it
        if (exclusive) WriteMachine(fd);
        return std::unique_ptr<LockFile>(new LockFile(path, fd));
      case LockOutcome::kUnlinked:
        break;
      case LockOutcome::kRefused: {
        std::string machine = exclusive ? "" : HolderMachine(fd);
        close(fd);
        if (exclusive) RaiseDao(kErrFileInUse, {name});
        RaiseDao(kErrOpenedExclusively, {"Admin", machine});
      }
    }
    close(fd);
  }
  RaiseDao(kErrCannotOpenFile, {name});
}

bool LockFile::InUse(const std::string& database_path) {
  const std::string path = PathFor(database_path);
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  // A moment's exclusive lock tells whether anybody holds one; a newcomer
  // refused meanwhile waits for it as for a remover (see TryLock).
  bool held;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      held = false;
      break;
    }
    if (errno != EINTR) {
      held = errno == EWOULDBLOCK;
      break;
    }
  }
  close(fd);
  return held;
}

LockFile::~LockFile() {
  if (fd_ < 0) return;
  // Whoever gets the file exclusively is its last holder.  A newcomer that
  // opened the old inode meanwhile finds it unnamed once it holds its lock.
  if (flock(fd_, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd_, path_)) {
    unlink(path_.c_str());
  }
  close(fd_);
}

}  // namespace vx::dao
