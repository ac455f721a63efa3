// Files that several users of one installation share.
//
// An installation is shared by the members of one Unix group: its folders
// are setgid and group-writable, its files group-readable and -writable.
// Whatever the library creates there (lock files, databases, copies,
// settings files) must be usable by the others as well, so it takes its
// permissions and group from the folder or file it belongs to, never from
// the creating process's umask.  And since a file the library creates or
// truncates could have been replaced by a symbolic link to somebody else's
// file, such files are never opened through a link.

#ifndef VX_PLATFORM_SHARED_FILES_H_
#define VX_PLATFORM_SHARED_FILES_H_

#include <sys/types.h>

#include <string>
#include <utility>

namespace vx {

// Closes a file descriptor when the scope ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept
      : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Hands the descriptor over; the object then holds none.
  int release() { return std::exchange(fd_, -1); }
  // Closes now; false when closing reported an error (such as a delayed
  // write failure of a network file system).
  bool Close();

 private:
  int fd_;
};

// The folder of host path `path`: "." for a bare name, "/" for a name in
// the root.
std::string FolderOf(const std::string& path);

// The permissions and group a new file should take from `like_host_path`.
struct SharedMode {
  mode_t mode = 0666;  // permission bits, never execute or special bits
  bool set_mode = false;   // false: 0666 less the umask, as any new file
  gid_t group = 0;
  bool set_group = false;  // false: leave the group the kernel gave
};

// What a file created beside or inside `like_host_path` takes from it: a
// folder gives its read and write bits (a setgid folder hands its group to
// new files itself); a file gives its read and write bits and its group.
// Without `like_host_path` (or when it does not exist), nothing is taken.
SharedMode SharedModeOf(const std::string& like_host_path);

// Gives the open file `fd` the permissions and group of `mode`, regardless
// of the umask, as far as `mode` sets them.  A group the process is no member of cannot be given; the
// file then keeps the group it has.  Returns false when the permissions
// could not be set.
bool ApplySharedMode(int fd, const SharedMode& mode);

// Creates the file `host_path` exclusively (it must not exist, not even as
// a dangling link) and gives it the permissions and group of
// `like_host_path`.  `flags` adds to O_CREAT | O_EXCL | O_NOFOLLOW |
// O_CLOEXEC, e.g. O_RDWR.  Returns the descriptor, or -1 with errno set.
int CreateSharedFile(const std::string& host_path,
                     const std::string& like_host_path, int flags);
// The same with the permissions and group given as `mode`.
int CreateSharedFile(const std::string& host_path, const SharedMode& mode,
                     int flags);

}  // namespace vx

#endif  // VX_PLATFORM_SHARED_FILES_H_
