#include "platform/shared_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool FileDescriptor::Close() { return close(std::exchange(fd_, -1)) == 0; }

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

SharedMode SharedModeOf(const std::string& like_host_path) {
  SharedMode shared;
  struct stat like;
  if (like_host_path.empty() || stat(like_host_path.c_str(), &like) != 0) {
    return shared;
  }
  shared.mode = like.st_mode & 0666;
  shared.set_mode = true;
  if (!S_ISDIR(like.st_mode)) {
    shared.group = like.st_gid;
    shared.set_group = true;
  }
  return shared;
}

bool ApplySharedMode(int fd, const SharedMode& mode) {
  // Changing what is right already would only cost a metadata write.
  struct stat now;
  if (fstat(fd, &now) == 0 && (!mode.set_group || now.st_gid == mode.group) &&
      (!mode.set_mode || (now.st_mode & 07777) == mode.mode)) {
    return true;
  }
  if (mode.set_group) {
    // Fails for a group the process is no member of; the file then keeps
    // the group it was created with, which is no reason to give up.
    [[maybe_unused]] int ignored = fchown(fd, static_cast<uid_t>(-1), mode.group);
  }
  return !mode.set_mode || fchmod(fd, mode.mode) == 0;
}

int CreateSharedFile(const std::string& host_path,
                     const std::string& like_host_path, int flags) {
  return CreateSharedFile(host_path, SharedModeOf(like_host_path), flags);
}

int CreateSharedFile(const std::string& host_path, const SharedMode& mode,
                     int flags) {
  const int fd = open(host_path.c_str(),
                      flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode.mode);
  if (fd < 0) return -1;
  if (!ApplySharedMode(fd, mode)) {
    const int saved = errno;
    close(fd);
    unlink(host_path.c_str());
    errno = saved;
    return -1;
  }
  return fd;
}

}  // namespace vx
