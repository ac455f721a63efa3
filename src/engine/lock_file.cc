#include "engine/lock_file.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/dao_errors.h"
#include "platform/shared_files.h"
#include "platform/text.h"

namespace vx::dao {

namespace {

// How often an acquirer starts over after finding its inode unlinked, and
// how long it waits for a remover that holds the file for its unlink.
constexpr int kMaxAttempts = 50;
constexpr int kRemoverWaitMs = 20;

// Whether `path` still names the inode `file` has open.  (The inode
// cannot have been removed and its number given to a new file meanwhile:
// the open file keeps it.)
bool StillNamed(const OpenLockFile& file, const std::string& path) {
  struct stat named;
  return lstat(path.c_str(), &named) == 0 && named.st_dev == file.device &&
         named.st_ino == file.inode;
}

void SleepOneMillisecond() {
  struct timespec pause = {0, 1000000};
  nanosleep(&pause, nullptr);
}

// A lock on the whole file (length 0 reaches to any end), owned by the open
// file description, as the file systems that lock across machines (NFS,
// SMB) understand it.
struct flock WholeFile(short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  lock.l_pid = 0;  // must be 0 for open file description locks
  return lock;
}

// Takes, converts or drops the lock of `fd` without waiting; false with
// errno set when another open file holds a conflicting lock (EAGAIN) or the
// descriptor does not allow the lock (EBADF: a write lock on a file opened
// for reading).
bool SetLock(int fd, short type) {
  struct flock lock = WholeFile(type);
  for (;;) {
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool Refused(int error) { return error == EAGAIN || error == EACCES; }

enum class LockOutcome { kLocked, kUnlinked, kRefused, kNotAllowed };

// Tries the lock without blocking.  A refusal may come from a last holder
// that holds the file exclusively only to unlink it; that one is gone within
// moments, so a refused acquirer watches the name for a little while.
LockOutcome TryLock(const OpenLockFile& file, short type,
                    const std::string& path) {
  for (int waited = 0;; ++waited) {
    if (SetLock(file.fd, type)) return LockOutcome::kLocked;
    const int error = errno;
    if (!StillNamed(file, path)) return LockOutcome::kUnlinked;
    if (!Refused(error)) return LockOutcome::kNotAllowed;
    if (waited == kRemoverWaitMs) return LockOutcome::kRefused;
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

// The permissions of a new lock file: whoever may read or write the
// database takes locks on its lock file and, as the last one out, removes
// it, so each class of users (owner, group, others) that has any access to
// the database gets read and write.  The group is the database's.  A
// database still to be made will take its folder's permissions, and so
// does its lock file: one left behind by its creator must not keep the
// others out.
SharedMode LockFileMode(const std::string& database_path) {
  SharedMode mode = SharedModeOf(database_path);
  if (!mode.set_mode) mode = SharedModeOf(FolderOf(database_path));
  if (mode.set_mode) {
    mode_t widened = 0;
    for (mode_t rw : {mode_t{0600}, mode_t{0060}, mode_t{0006}}) {
      if (mode.mode & rw) widened |= rw;
    }
    mode.mode = widened;
  }
  return mode;
}

// Opens the lock file, never through a symbolic link (one planted there
// must not lead the truncation of an exclusive open to another file, nor a
// creation to its target).  A file that exists already is opened for
// reading and writing where the permissions allow, else for reading only,
// which still carries a shared lock.  Returns -1 with errno set, EEXIST
// when another process created the file in between.
int OpenDescriptor(const std::string& path, const std::string& database_path) {
  // Made first: the first user, who makes it, is the common case.
  int fd = CreateSharedFile(path, LockFileMode(database_path), O_RDWR);
  if (fd >= 0 || errno != EEXIST) return fd;
  fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) return fd;
  if (errno == EACCES || errno == EROFS) {
    return open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  }
  if (errno == ENOENT) errno = EEXIST;  // removed meanwhile: start over
  return -1;
}

// Opens the lock file as OpenDescriptor does; the file's descriptor is -1
// (with errno set) when it fails.
OpenLockFile OpenFile(const std::string& path,
                      const std::string& database_path) {
  FileDescriptor fd(OpenDescriptor(path, database_path));
  struct stat info;
  if (fd.get() < 0 || fstat(fd.get(), &info) != 0) return {};
  return {fd.release(), info.st_dev, info.st_ino};
}

// Removes the lock file `path` when nobody holds it, and closes `file`.
// Whoever gets the file exclusively is its last holder.  A
// newcomer that opened the old inode meanwhile finds it unnamed once it
// holds its lock.  (A descriptor open only for reading cannot take the file
// exclusively and leaves it to the others; a lock file that nobody holds
// keeps nobody out.)
void RemoveIfLast(const OpenLockFile& file, const std::string& path) {
  if (SetLock(file.fd, F_WRLCK) && StillNamed(file, path)) unlink(path.c_str());
  close(file.fd);
}

// The lock files of databases this process closed a moment ago, open
// without a lock (see LockFile::Linger).
class LingeringFiles {
 public:
  static LingeringFiles& Process() {
    // Never destroyed: threads may still close databases while the process
    // ends; the files are removed by the exit handler instead.
    static LingeringFiles* const files = new LingeringFiles;
    return *files;
  }

  // The lingering lock file `path`, taken out; its descriptor is -1 when
  // none lingers.
  OpenLockFile Take(const std::string& path) {
    std::lock_guard<std::mutex> guard(mutex_);
    EndExpired(Clock::now());
    for (auto it = files_.begin(); it != files_.end(); ++it) {
      if (it->path == path) {
        const OpenLockFile file = it->file;
        files_.erase(it);
        return file;
      }
    }
    return {};
  }

  void Keep(std::string path, const OpenLockFile& file) {
    std::lock_guard<std::mutex> guard(mutex_);
    const Clock::time_point now = Clock::now();
    EndExpired(now);
    if (files_.size() >= kMaxFiles) {
      RemoveIfLast(files_.front().file, files_.front().path);
      files_.erase(files_.begin());
    }
    files_.push_back({std::move(path), file, now});
  }

  void EndAll() {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const Lingering& entry : files_) RemoveIfLast(entry.file, entry.path);
    files_.clear();
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr size_t kMaxFiles = 16;

  struct Lingering {
    std::string path;
    OpenLockFile file;
    Clock::time_point since;
  };

  LingeringFiles() {
    // A child made by fork shares the open files of its parent, and with
    // them the locks that the parent takes on them later: two processes on
    // one lock would not exclude each other.  The child closes its copies
    // at once (which leaves the parent's files and locks alone), and the
    // mutex is held across the fork so that the list is whole in the child.
    pthread_atfork([] { Process().mutex_.lock(); },
                   [] { Process().mutex_.unlock(); },
                   [] {
                     LingeringFiles& self = Process();
                     for (const Lingering& entry : self.files_) {
                       close(entry.file.fd);
                     }
                     self.files_.clear();
                     self.mutex_.unlock();
                   });
    atexit([] { Process().EndAll(); });
  }

  // Removes the files that lingered longer than kLingerMs (oldest first).
  void EndExpired(Clock::time_point now) {
    size_t expired = 0;
    while (expired < files_.size() &&
           now - files_[expired].since >=
               std::chrono::milliseconds(LockFile::kLingerMs)) {
      RemoveIfLast(files_[expired].file, files_[expired].path);
      ++expired;
    }
    files_.erase(files_.begin(),
                 files_.begin() + static_cast<std::ptrdiff_t>(expired));
  }

  std::mutex mutex_;
  std::vector<Lingering> files_;  // oldest first
};

}  // namespace

std::string LockFile::PathFor(const std::string& database_path) {
  size_t chars = Len(database_path);
  return Left(database_path, chars >= 3 ? chars - 3 : 0) + "LDB";
}

std::unique_ptr<LockFile> LockFile::Acquire(const std::string& database_path,
                                            const std::string& name,
                                            bool exclusive, bool read_only) {
  const std::string path = PathFor(database_path);
  const short type = exclusive ? F_WRLCK : F_RDLCK;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    OpenLockFile file;
    if (attempt == 0) file = LingeringFiles::Process().Take(path);
    if (file.fd < 0) file = OpenFile(path, database_path);
    if (file.fd < 0) {
      if (errno == EEXIST) continue;  // created by another meanwhile
      // Nobody can write beside a reader who may not make the lock file.
      if (read_only && (errno == EACCES || errno == EROFS)) {
        return std::unique_ptr<LockFile>(new LockFile(path, OpenLockFile{}));
      }
      RaiseDao(kErrCannotOpenFile, {name});
    }
    FileDescriptor fd(file.fd);  // closes it unless handed over

    switch (TryLock(file, type, path)) {
      case LockOutcome::kLocked:
        if (!StillNamed(file, path)) break;  // removed before we locked it
        if (exclusive) WriteMachine(file.fd);
        fd.release();
        return std::unique_ptr<LockFile>(new LockFile(path, file));
      case LockOutcome::kUnlinked:
        break;
      case LockOutcome::kNotAllowed:
        // An exclusive open on a lock file this user may only read.
        RaiseDao(kErrCannotOpenFile, {name});
      case LockOutcome::kRefused: {
        if (exclusive) RaiseDao(kErrFileInUse, {name});
        RaiseDao(kErrOpenedExclusively, {"Admin", HolderMachine(fd.get())});
      }
    }
  }
  RaiseDao(kErrCannotOpenFile, {name});
}

bool LockFile::InUse(const std::string& database_path) {
  const std::string path = PathFor(database_path);
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return false;
  // Asks for the lock that would conflict with anybody's, without taking
  // it: nobody who comes meanwhile is turned away.
  struct flock probe = WholeFile(F_WRLCK);
  while (fcntl(fd.get(), F_OFD_GETLK, &probe) != 0) {
    if (errno != EINTR) return false;
  }
  return probe.l_type != F_UNLCK;
}

void LockFile::Linger(std::unique_ptr<LockFile> lock) {
  if (!lock || lock->file_.fd < 0) return;
  const OpenLockFile file = std::exchange(lock->file_, OpenLockFile{});
  // Others may come in at once, exclusively too.
  if (!SetLock(file.fd, F_UNLCK)) {
    close(file.fd);  // drops the lock all the same
    return;
  }
  LingeringFiles::Process().Keep(std::move(lock->path_), file);
}

void LockFile::EndLingering() { LingeringFiles::Process().EndAll(); }

LockFile::~LockFile() {
  if (file_.fd >= 0) RemoveIfLast(file_, path_);
}

}  // namespace vx::dao
