// The lock file beside a database, which tells its users of each other.
//
// The lock file of "PROJEKT.VX3DB" is "PROJEKT.VXLDB": the database path
// without its last three characters, followed by "LDB".  Every open holds an
// advisory lock on the whole file, shared for an ordinary open and exclusive
// for an exclusive one, taken without waiting.  The locks are open file
// description locks (F_OFD_SETLK): they belong to the open file, not to the
// process, so two opens in one process exclude each other and closing one
// leaves the other's lock alone; and being record locks, they reach the
// server on NFS and SMB, so they keep users on other machines out as well
// (flock is emulated there per process, or stays local).  The kernel drops
// the locks of a process that dies, so a lock file left behind keeps nobody
// out.  The last holder removes the file.
//
// The file is made with the group of the database and read and write for
// everybody who may use the database, whatever the creator's umask, and it
// is never opened through a symbolic link.
//
// Removal races with newcomers: a newcomer may open the file just before the
// last holder unlinks it and then lock an inode that no longer has a name,
// unseen by everybody who comes later.  So a newcomer, once it holds its
// lock, checks that the path still names the inode it locked, and starts
// over when it does not.  The remover holds the file exclusively while it
// unlinks, so nobody can lock the old inode in between.
//
// An exclusive holder writes its host name into the file, so that those it
// keeps out can say on which machine the database is open.
//
// Making the file and removing it are most of what an open and a close of a
// database cost, and programs often close a database only to open it again
// at once.  So a database closed normally lingers: its lock is let go at
// once, but the file stays open without a lock, and whoever opens the same
// database in this process within kLingerMs takes its lock on that open
// file instead of making the file anew.  A lingering file that nobody takes
// is removed, as by its last holder, at the next open or close in this
// process after that time, or when the process ends.  Holding no lock, it
// keeps nobody out and shows nobody the database as in use, as any lock
// file left behind; and a lingering file removed meanwhile by another last
// holder is found unnamed and left for a new one, as any newcomer does.

#ifndef VX_ENGINE_LOCK_FILE_H_
#define VX_ENGINE_LOCK_FILE_H_

#include <sys/types.h>

#include <memory>
#include <string>

namespace vx::dao {

// An open lock file and the inode it is, told by the name only while
// nobody has removed it.
struct OpenLockFile {
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

class LockFile {
 public:
  // The lock file path of a database's host path.
  static std::string PathFor(const std::string& database_path);

  // Takes the lock of the database at host path `database_path`; `name` is
  // the database's name as the caller gave it, for the error texts.  Raises
  // 3045 when an exclusive lock is wanted while others hold the database,
  // 3356 when another user holds it exclusively.  When the lock file cannot
  // be created, a read-only open goes on without one (nobody can write
  // beside it either); any other open raises 3051, as does an exclusive open
  // of a lock file this user may only read and a lock file that is a
  // symbolic link.
  static std::unique_ptr<LockFile> Acquire(const std::string& database_path,
                                           const std::string& name,
                                           bool exclusive, bool read_only);

  // Whether some process, this one included, has the database at host path
  // `database_path` open: its lock file exists and somebody holds a lock on
  // it.  Takes no lock itself and creates nothing.  Meant for those who are
  // about to overwrite, move or delete a database file, which Linux would
  // allow under the feet of its users.
  static bool InUse(const std::string& database_path);

  // How long the lock file of a database closed normally stays open for
  // the next open of the same database in this process.
  static constexpr int kLingerMs = 1000;

  // Lets go of the lock of a database closed normally and keeps the file
  // open for kLingerMs (see above).
  static void Linger(std::unique_ptr<LockFile> lock);

  // Removes now the lingering lock files of this process that nobody holds
  // (and closes them all).
  static void EndLingering();

  // Lets go of the lock; removes the file when nobody else holds it.
  ~LockFile();

  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

 private:
  LockFile(std::string path, const OpenLockFile& file)
      : path_(std::move(path)), file_(file) {}

  std::string path_;
  OpenLockFile file_;  // descriptor -1 for an open without lock file
};

}  // namespace vx::dao

#endif  // VX_ENGINE_LOCK_FILE_H_
