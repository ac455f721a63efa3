// The Linux host's file operations: copy, move, rename, delete, the recycle
// bin (GIO's freedesktop.org trash) and the progress hook.

#include <fcntl.h>
#include <gio/gio.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/linux_host.h"
#include "platform/shared_files.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

constexpr int32_t kErrDeviceIo = 57;
constexpr int32_t kErrFileExists = 58;
constexpr int32_t kErrDiskFull = 61;
constexpr int32_t kErrPermissionDenied = 70;
constexpr int32_t kErrRenameAcrossDrives = 74;
constexpr int32_t kErrPathFileAccess = 75;
constexpr int32_t kErrPathNotFound = 76;

// The step of a copy when the caller leaves it to the host: large enough
// that the kernel copies at full speed, small enough for a moving meter.
constexpr int64_t kDefaultCopyStep = 8 << 20;

// The run time's error for a failed system call on the target side.
[[noreturn]] void RaiseForErrno(int error, const std::string& host_path) {
  int32_t number = kErrPathFileAccess;
  switch (error) {
    case ENOENT:
    case ENOTDIR: number = kErrPathNotFound; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: number = kErrPermissionDenied; break;
    case ENOSPC:
    case EDQUOT: number = kErrDiskFull; break;
    case EEXIST: number = kErrFileExists; break;
    case EXDEV: number = kErrRenameAcrossDrives; break;
    case EIO: number = kErrDeviceIo; break;
    default: break;
  }
  Raise(number, StandardDescription(number) + ": " + host_path);
}

// Makes the last renames in `folder` durable.  Best effort: a file system
// that cannot sync a folder has already made them as durable as it can.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// A fresh hidden name in `folder` for a copy under way.  Hidden, so that
// listings of the suite's files never show it; "~KV" like the suite's other
// temporary files.
std::string TemporaryNameIn(const std::string& folder) {
  unsigned char random[6];
  if (getrandom(random, sizeof random, 0) != sizeof random) {
    Raise(kErrPathFileAccess);
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name = "/.~KV";
  for (unsigned char byte : random) {
    name += kDigits[byte >> 4];
    name += kDigits[byte & 15];
  }
  return folder + name + ".tmp";
}

// Removes the temporary file of a copy unless it has taken its place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }
  void Placed() { path_.clear(); }

 private:
  std::string path_;
};

// Copies everything readable from `in` to `out`, `step` bytes at a time,
// in the kernel where it can.
void CopyContent(int in, int out, int64_t total, int64_t step,
                 const CopyOptions& options, const std::string& target) {
  int64_t copied = 0;
  bool in_kernel = true;
  std::vector<char> buffer;
  for (;;) {
    ssize_t done;
    if (in_kernel) {
      done = copy_file_range(in, nullptr, out, nullptr,
                             static_cast<size_t>(step), 0);
      if (done < 0 && copied == 0 &&
          (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
           errno == EOPNOTSUPP)) {
        in_kernel = false;
        continue;
      }
    } else {
      if (buffer.empty()) buffer.resize(static_cast<size_t>(step));
      done = read(in, buffer.data(), buffer.size());
      for (ssize_t written = 0; done > 0 && written < done;) {
        ssize_t n = write(out, buffer.data() + written,
                          static_cast<size_t>(done - written));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) RaiseForErrno(errno, target);
        written += n;
      }
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) RaiseForErrno(errno, target);
    if (done == 0) break;
    copied += done;
    if (options.progress) options.progress(copied, std::max(total, copied));
  }
}

bool Exists(const std::string& host_path) {
  struct stat st;
  return lstat(host_path.c_str(), &st) == 0;
}

// Puts the finished copy `temporary` in place of `target`.  Returns the
// replaced file, held open: freeing a large file's blocks is slow on some
// file systems, and while it is held that work waits until after the
// rename is on disk, out of the copy's way.
FileDescriptor Place(const std::string& temporary, const std::string& target,
                     const CopyOptions& options) {
  if (options.before_replace && Exists(target)) {
    options.before_replace(target);
  }
  if (options.replace_existing) {
    FileDescriptor replaced(
        open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (rename(temporary.c_str(), target.c_str()) != 0) {
      RaiseForErrno(errno, target);
    }
    return replaced;
  }
  // Atomically only where nothing is there: of two processes creating the
  // same file, exactly one wins and the other finds it complete.
  if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(),
                RENAME_NOREPLACE) == 0) {
    return FileDescriptor();
  }
  if (errno != EINVAL && errno != ENOSYS) RaiseForErrno(errno, target);
  // File systems without that rename still create links exclusively.
  if (link(temporary.c_str(), target.c_str()) != 0) {
    RaiseForErrno(errno, target);
  }
  unlink(temporary.c_str());
  return FileDescriptor();
}

}  // namespace

void LinuxHost::CopyFile(const std::string& source, const std::string& target,
                         const CopyOptions& options) {
  const std::string from = MapPath(source);
  const std::string to = MapPath(target);
  FileDescriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) Raise(kErrFileNotFound);
    RaiseForErrno(errno, from);
  }
  struct stat source_stat;
  if (fstat(in.get(), &source_stat) != 0) RaiseForErrno(errno, from);
  if (S_ISDIR(source_stat.st_mode)) Raise(kErrFileNotFound);
  struct stat target_stat;
  const bool target_there = stat(to.c_str(), &target_stat) == 0;
  if (target_there && S_ISDIR(target_stat.st_mode)) {
    Raise(kErrPathFileAccess, StandardDescription(kErrPathFileAccess) + ": " + to);
  }
  if (target_there && !options.replace_existing) {
    Raise(kErrFileExists, StandardDescription(kErrFileExists) + ": " + to);
  }

  const std::string folder = FolderOf(to);
  FileDescriptor out;
  std::string temporary_path;
  for (int attempt = 0; out.get() < 0; ++attempt) {
    temporary_path = TemporaryNameIn(folder);
    out = FileDescriptor(CreateSharedFile(temporary_path,
                                          target_there ? to : folder,
                                          O_WRONLY));
    if (out.get() < 0 && (errno != EEXIST || attempt == 8)) {
      RaiseForErrno(errno, to);
    }
  }
  TemporaryFile temporary(temporary_path);

  const int64_t step =
      options.block_bytes > 0 ? options.block_bytes : kDefaultCopyStep;
  posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  CopyContent(in.get(), out.get(), source_stat.st_size, step, options, to);
  if (fsync(out.get()) != 0) RaiseForErrno(errno, to);
  if (!out.Close()) RaiseForErrno(errno, to);
  FileDescriptor replaced = Place(temporary.path(), to, options);
  temporary.Placed();
  SyncFolder(folder);
}

void LinuxHost::MoveFile(const std::string& source, const std::string& target) {
  const std::string from = MapPath(source);
  const std::string to = MapPath(target);
  if (!Exists(from)) Raise(kErrFileNotFound);
  if (rename(from.c_str(), to.c_str()) == 0) {
    SyncFolder(FolderOf(to));
    return;
  }
  if (errno != EXDEV) RaiseForErrno(errno, to);
  CopyFile(source, target, CopyOptions{});
  DeleteFile(source);
}

void LinuxHost::RenameFile(const std::string& source,
                           const std::string& target) {
  const std::string from = MapPath(source);
  const std::string to = MapPath(target);
  if (!Exists(from)) Raise(kErrFileNotFound);
  if (rename(from.c_str(), to.c_str()) != 0) RaiseForErrno(errno, to);
  SyncFolder(FolderOf(to));
}

void LinuxHost::DeleteFile(const std::string& path) {
  const std::string host_path = MapPath(path);
  if (unlink(host_path.c_str()) == 0) return;
  const int error = errno;
  struct stat st;
  if (lstat(host_path.c_str(), &st) != 0) Raise(kErrFileNotFound);
  if (S_ISDIR(st.st_mode)) {
    Raise(kErrPathFileAccess,
          StandardDescription(kErrPathFileAccess) + ": " + host_path);
  }
  RaiseForErrno(error, host_path);
}

void LinuxHost::MoveToTrash(const std::string& path) {
  const std::string host_path = MapPath(path);
  if (!Exists(host_path)) Raise(kErrFileNotFound);
  GFile* file = g_file_new_for_path(host_path.c_str());
  GError* error = nullptr;
  const bool trashed = g_file_trash(file, nullptr, &error);
  g_object_unref(file);
  if (trashed) return;
  int32_t number = kErrPathFileAccess;
  if (error->domain == G_IO_ERROR) {
    if (error->code == G_IO_ERROR_NOT_FOUND) number = kErrFileNotFound;
    if (error->code == G_IO_ERROR_PERMISSION_DENIED) {
      number = kErrPermissionDenied;
    }
  }
  std::string description =
      StandardDescription(number) + ": " + error->message;
  g_error_free(error);
  Raise(number, description);
}

void LinuxHost::CreateFolders(const std::string& path) {
  std::string host_path = MapPath(path);
  while (host_path.size() > 1 && host_path.back() == '/') host_path.pop_back();
  struct stat st;
  if (stat(host_path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    Raise(kErrPathNotFound);
  }
  const std::string parent = FolderOf(host_path);
  if (parent == host_path) Raise(kErrPathNotFound);
  CreateFolders(parent);
  struct stat parent_stat;
  if (stat(parent.c_str(), &parent_stat) != 0) Raise(kErrPathNotFound);
  if (mkdir(host_path.c_str(), 0700) != 0 && errno != EEXIST) {
    Raise(kErrPathNotFound);
  }
  // A new folder of a shared installation is as open as the one above it,
  // setgid bit included, whatever the umask.
  chmod(host_path.c_str(), parent_stat.st_mode & 07777);
}

void LinuxHost::ReportProgress(const ProgressReport& report) {
  std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
  if (hooks->progress) hooks->progress(report);
}

}  // namespace vx
