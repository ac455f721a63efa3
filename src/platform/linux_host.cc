#include "platform/linux_host.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pwd.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <utility>

#include "platform/path_mapping.h"
#include "platform/profile_cache.h"
#include "platform/profile_file.h"
#include "platform/shared_files.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

extern char** environ;

namespace vx {
namespace {


// ---- Host paths ----

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path.append(name);
  return path;
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);  // npos + 1 is 0
}

std::string UserHome() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::string buffer(16384, '\0');
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) ==
          0 &&
      found) {
    return found->pw_dir;
  }
  return "";
}

std::string SettingsHomeFromEnvironment() {
  if (const char* home = std::getenv("TARVANO_HOME"); home && *home) {
    return WithoutTrailingSlashes(home);
  }
  // A relative XDG_CONFIG_HOME is invalid and is ignored, as its convention
  // demands.
  if (const char* config = std::getenv("XDG_CONFIG_HOME");
      config && *config == '/') {
    return JoinPath(WithoutTrailingSlashes(config), "tarvano");
  }
  return JoinPath(WithoutTrailingSlashes(UserHome()), ".config/tarvano");
}

// A name without folder or drive, which lies in the settings home.
bool IsBareName(const std::string& file) {
  return file.find_first_of("\\/:") == std::string::npos;
}

// ---- Whole files ----

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Replaces the file `path` by one holding `content` so that readers, and
// the file after a crash, see either the old or the new content in full: the
// content goes to a new file in the same folder, reaches the disk, and is
// renamed over the old one.  The old file's owner and permissions carry
// over where the process may set them.
bool ReplaceFileAtomically(const std::string& path, std::string_view content) {
  static std::atomic<unsigned> temp_counter{0};
  const std::string folder = FolderOf(path);
  struct stat old_file;
  const bool replacing = stat(path.c_str(), &old_file) == 0;

  std::string temp;
  int raw_fd = -1;
  // A stale temporary file of a crashed process with our id blocks a name;
  // the next number is then tried.
  for (int attempt = 0; attempt < 100 && raw_fd < 0; ++attempt) {
    temp = JoinPath(folder, "." + NameOf(path) + ".tmp" +
                                std::to_string(getpid()) + "-" +
                                std::to_string(temp_counter++));
    // A new settings file is shared as its folder is, an old one's
    // permissions and group carry over: never the writer's umask.
    raw_fd = CreateSharedFile(temp, replacing ? path : folder, O_WRONLY);
    if (raw_fd < 0 && errno != EEXIST) return false;
  }
  if (raw_fd < 0) return false;
  FileDescriptor fd(raw_fd);

  if (replacing) {
    // Only a privileged writer can hand the file back to its owner; for
    // others the writer becomes the owner, as with any editor that saves
    // by renaming.
    [[maybe_unused]] int ignored =
        fchown(fd.get(), old_file.st_uid, old_file.st_gid);
  }
  bool written =
      WriteAll(fd.get(), content) &&
      (!replacing || fchmod(fd.get(), old_file.st_mode & 07777) == 0) &&
      fsync(fd.get()) == 0;
  if (!fd.Close() || !written || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.  The new content is in place whatever
  // this answers, so a failure here is no failure of the write.
  FileDescriptor folder_fd(
      open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() >= 0) fsync(folder_fd.get());
  return true;
}

// Serialises the read-modify-write of settings files, so that two writers
// of different keys never lose one of them.  A lock on the folder keeps
// other processes out; the mutex keeps this process's threads apart also
// where the file system cannot lock (some network file systems).
class SettingsWriteLock {
 public:
  explicit SettingsWriteLock(const std::string& folder)
      : guard_(Mutex()),
        folder_fd_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (folder_fd_.get() < 0) return;
    while (flock(folder_fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }

  std::lock_guard<std::mutex> guard_;
  FileDescriptor folder_fd_;  // closing it releases the lock
};

// ---- Drives and listings ----

// The value of `key` in `section` of the settings file at host path
// `path` (found without regard to case), parsed once until it changes.
std::optional<std::string> CachedProfileValue(const std::string& path,
                                              const std::string& section,
                                              const std::string& key) {
  ProfileCache& cache = ProfileCache::Shared();
  ProfileCache::Lookup lookup = cache.Read(path);
  if (lookup.status == FileRead::kMissing) {
    std::string matched = MatchNameCase(path);
    if (matched != path) lookup = cache.Read(matched);
  }
  if (lookup.status != FileRead::kRead) return std::nullopt;
  return lookup.index->Find(section, key);
}

std::optional<std::string> DriveFolder(const std::string& drive) {
  return CachedProfileValue(
      JoinPath(SettingsHomeFromEnvironment(), kDriveTableFile),
      kDriveTableSection, drive);
}

}  // namespace

int32_t DriveTypeOfFileSystem(uint32_t magic) {
  switch (magic) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case FUSE_SUPER_MAGIC:  // sshfs and other user-space remote mounts
    case V9FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case AFS_FS_MAGIC:
    case NCP_SUPER_MAGIC:
      return kDriveRemote;
    case ISOFS_SUPER_MAGIC:
      return kDriveCdRom;
    default:
      return kDriveFixed;
  }
}

namespace {

// Whether `name` matches `pattern` from their starts, character by
// character without regard to case; "*" matches any run of characters and
// "?" exactly one.  After a mismatch the last "*" takes one more character
// and matching goes on from there.
bool MatchesWildcardExactly(std::string_view name, std::string_view pattern) {
  size_t n = 0;
  size_t p = 0;
  // Where matching resumes after a mismatch: the pattern just after the
  // last "*", and the name where that "*" has reached.
  size_t star_p = std::string_view::npos;
  size_t star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star_p = ++p;
      star_n = n;
      continue;
    }
    size_t n_next = n;
    NextCodePoint(name, &n_next);
    if (p < pattern.size()) {
      size_t p_next = p;
      NextCodePoint(pattern, &p_next);
      if (pattern[p] == '?' || EqualsNoCase(name.substr(n, n_next - n),
                                            pattern.substr(p, p_next - p))) {
        n = n_next;
        p = p_next;
        continue;
      }
    }
    if (star_p == std::string_view::npos) return false;
    NextCodePoint(name, &star_n);
    n = star_n;
    p = star_p;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// As the suite's users know it, a trailing ".*" also matches a name without
// extension: "*.*" lists every file and "PROJEKT.*" finds "PROJEKT".
bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  return MatchesWildcardExactly(name, pattern) ||
         (pattern.ends_with(".*") &&
          MatchesWildcardExactly(name, pattern.substr(0, pattern.size() - 2)));
}

struct stat StatOrRaise(const std::string& host_path) {
  struct stat st;
  if (stat(host_path.c_str(), &st) != 0) Raise(kErrFileNotFound);
  return st;
}

// ---- The user interface without hooks ----

// The pointer of a thread whose program installed no pointer hooks.
thread_local int32_t unhooked_mouse_pointer = 0;

}  // namespace

size_t LinuxHost::GetProfileString(const std::string& section,
                                   const std::string& key,
                                   const std::string& default_value,
                                   std::string* value, size_t buffer_chars,
                                   const std::string& file) {
  std::optional<std::string> found;
  try {
    std::string path =
        IsBareName(file) ? JoinPath(SettingsHome(), file) : MapPath(file);
    found = CachedProfileValue(path, section, key);
  } catch (const Error&) {
    // A drive the table does not know holds no file: the default applies.
  }
  std::string text = found ? std::move(*found) : RTrim(default_value);
  *value = buffer_chars == 0 ? std::string() : Left(text, buffer_chars - 1);
  return Len(*value);
}

bool LinuxHost::WriteProfileString(const std::string& section,
                                   const std::string& key,
                                   const std::string& value,
                                   const std::string& file) {
  if (!IsStorableProfileEntry(section, key, value)) return false;
  std::string path;
  if (IsBareName(file)) {
    // The settings home is the installation's to make: a missing one fails
    // the write below.
    path = MatchNameCase(JoinPath(SettingsHome(), file));
  } else {
    try {
      path = MapPath(file);
    } catch (const Error&) {
      return false;
    }
  }
  // Write through a symbolic link to the file it names, not over the link.
  if (std::unique_ptr<char, decltype(&std::free)> real(
          realpath(path.c_str(), nullptr), &std::free);
      real) {
    path = real.get();
  }

  SettingsWriteLock lock(FolderOf(path));
  std::string content;
  FileRead read = ReadWholeFile(path, &content);
  // A file that exists but cannot be read must not be replaced by one that
  // holds only the new key.
  if (read == FileRead::kFailed) return false;
  std::string updated = WithProfileValue(content, section, key, value);
  if (read == FileRead::kRead && updated == content) return true;
  const bool written = ReplaceFileAtomically(path, updated);
  ProfileCache::Wrote();
  return written;
}

std::string LinuxHost::SettingsHome() { return SettingsHomeFromEnvironment(); }

std::string LinuxHost::MapPath(const std::string& path) {
  return MatchNameCase(ToHostPath(path, DriveFolder));
}

int32_t LinuxHost::GetDriveType(const std::string& path) {
  std::string host_path;
  try {
    host_path = ToHostPath(path, DriveFolder);
  } catch (const Error&) {
    return kDriveNoRootDir;  // a drive the table does not know
  }
  if (host_path.empty()) host_path = ".";
  // Asked at every directory lookup (each new project object asks for its
  // folder), and statfs sums up the free space each time.  A folder's type
  // changes only when a file system is mounted on its way, which nobody
  // expects a running program to see at once: the answer for a folder that
  // exists is kept for a moment on the thread.
  struct Known {
    std::string path;
    int32_t type = kDriveUnknown;
    std::chrono::steady_clock::time_point since;
  };
  thread_local Known known;
  const auto now = std::chrono::steady_clock::now();
  if (known.path == host_path &&
      now - known.since < std::chrono::milliseconds(kDriveTypeKeptMs)) {
    return known.type;
  }
  // The names are matched without regard to case only when the path does
  // not exist as written: the common case is worth a system call less.
  struct statfs fs;
  if (statfs(host_path.c_str(), &fs) != 0 &&
      (errno != ENOENT ||
       statfs(MatchNameCase(host_path).c_str(), &fs) != 0)) {
    return kDriveNoRootDir;
  }
  known = {host_path, DriveTypeOfFileSystem(static_cast<uint32_t>(fs.f_type)),
           now};
  return known.type;
}

int64_t LinuxHost::FileLen(const std::string& path) {
  struct stat st = StatOrRaise(MapPath(path));
  if (S_ISDIR(st.st_mode)) Raise(kErrFileNotFound);
  return st.st_size;
}

int32_t LinuxHost::GetAttr(const std::string& path) {
  std::string host_path = MapPath(path);
  struct stat st = StatOrRaise(host_path);
  int32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (access(host_path.c_str(), W_OK) != 0) attributes |= kAttrReadOnly;
  std::string name = NameOf(WithoutTrailingSlashes(host_path));
  if (name.size() > 1 && name.front() == '.' && name != "..") {
    attributes |= kAttrHidden;
  }
  return attributes;
}

std::vector<std::string> LinuxHost::Dir(const std::string& pattern,
                                        int32_t attributes) {
  FolderAndName split = SplitFolderAndName(pattern);
  std::string folder = MapPath(split.folder);
  if (folder.empty()) folder = ".";
  const std::string name_pattern = split.name.empty() ? "*" : split.name;

  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name.front() == '.' && (attributes & kAttrHidden) == 0) continue;
    if (!MatchesWildcard(name, name_pattern)) continue;
    bool is_folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st;
      is_folder =
          stat(JoinPath(folder, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (is_folder && (attributes & kAttrDirectory) == 0) continue;
    names.emplace_back(name);
  }
  // Sorted without regard to case, as the names are compared; names equal
  // in that sense keep a fixed order by their bytes.
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) {
    keyed.emplace_back(UCase(name), std::move(name));
  }
  std::sort(keyed.begin(), keyed.end());
  for (size_t i = 0; i < keyed.size(); ++i) {
    names[i] = std::move(keyed[i].second);
  }
  return names;
}

std::vector<std::string> LinuxHost::Environment() {
  std::vector<std::string> entries;
  for (char** entry = environ; entry && *entry; ++entry) {
    entries.emplace_back(*entry);
  }
  return entries;
}

std::string LinuxHost::ExecutableName() {
  std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
  if (hooks->executable_name) {
    std::string name = hooks->executable_name();
    if (!name.empty()) return name;
  }
  std::error_code error;
  std::string path = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "";
  // The link of a program replaced while it runs ends in " (deleted)".
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
  std::string name = NameOf(path);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

void LinuxHost::Sleep(int32_t milliseconds) {
  if (milliseconds <= 0) {
    sched_yield();
    return;
  }
  timespec wait{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

void LinuxHost::Beep() {
  if (isatty(STDERR_FILENO)) {
    [[maybe_unused]] ssize_t ignored = write(STDERR_FILENO, "\a", 1);
  }
}

int32_t LinuxHost::MsgBox(const std::string& prompt, int32_t style,
                          const std::string& title) {
  std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
  if (hooks->message_box) return hooks->message_box(prompt, style, title);
  std::string line = title.empty() ? prompt : title + ": " + prompt;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  return DefaultButtonAnswer(style);
}

int32_t LinuxHost::GetMousePointer() {
  std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
  if (hooks->get_mouse_pointer) return hooks->get_mouse_pointer();
  return unhooked_mouse_pointer;
}

void LinuxHost::SetMousePointer(int32_t pointer) {
  // Kept also with a hook, so that a program that installs only the
  // setter still reads back what it set.
  unhooked_mouse_pointer = pointer;
  std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
  if (hooks->set_mouse_pointer) hooks->set_mouse_pointer(pointer);
}

void LinuxHost::DoEvents() {
  std::shared_ptr<const HostHooks> hooks = InstalledHostHooks();
  if (hooks->do_events) hooks->do_events();
}

int32_t DefaultButtonAnswer(int32_t style) {
  // The buttons of each button set, left to right; 0 ends a shorter set.
  static constexpr int32_t kButtonSets[][3] = {
      {kMsgOk, 0, 0},
      {kMsgOk, kMsgCancel, 0},
      {kMsgAbort, kMsgRetry, kMsgIgnore},
      {kMsgYes, kMsgNo, kMsgCancel},
      {kMsgYes, kMsgNo, 0},
      {kMsgRetry, kMsgCancel, 0},
  };
  constexpr int32_t kSetCount = sizeof kButtonSets / sizeof kButtonSets[0];
  int32_t set = style & 0xF;
  const int32_t* buttons = kButtonSets[set < kSetCount ? set : 0];
  int32_t default_button = (style & 0x300) >> 8;
  if (default_button < 3 && buttons[default_button] != 0) {
    return buttons[default_button];
  }
  return buttons[0];
}

}  // namespace vx
