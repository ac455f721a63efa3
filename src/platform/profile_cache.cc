#include "platform/profile_cache.h"

#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/linux_host.h"
#include "platform/shared_files.h"

namespace vx {
namespace {

FileRead ReadDescriptor(int fd, std::string* content) {
  content->clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      content->append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      return FileRead::kRead;
    } else if (errno != EINTR) {
      return FileRead::kFailed;  // e.g. a folder of that name
    }
  }
}

FileRead OpenFailure() {
  return errno == ENOENT || errno == ENOTDIR ? FileRead::kMissing
                                             : FileRead::kFailed;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the later of `st`'s times lies at least kSettleSeconds before
// `now`.
bool TimesSettled(const struct stat& st, const timespec& now) {
  const timespec& latest =
      st.st_ctim.tv_sec > st.st_mtim.tv_sec ? st.st_ctim : st.st_mtim;
  return now.tv_sec - latest.tv_sec > ProfileCache::kSettleSeconds;
}

// The writes of settings files this process made, counted.
std::atomic<uint64_t> writes_made{0};

// What a thread's glance has seen so far.
struct GlanceState {
  int depth = 0;     // glances alive on the thread
  uint64_t writes = 0;  // writes_made when `seen` was begun
  std::vector<std::pair<std::string, ProfileCache::Lookup>> seen;
};

GlanceState& ThreadGlance() {
  thread_local GlanceState state;
  return state;
}

bool OnNetworkFileSystem(int fd) {
  struct statfs fs;
  return fstatfs(fd, &fs) == 0 &&
         DriveTypeOfFileSystem(static_cast<uint32_t>(fs.f_type)) ==
             kDriveRemote;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string* content) {
  content->clear();
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return OpenFailure();
  return ReadDescriptor(fd.get(), content);
}

ProfileCache& ProfileCache::Shared() {
  static ProfileCache cache;
  return cache;
}

bool ProfileCache::SameState(const Entry& entry, const struct stat& st) {
  return entry.device == st.st_dev && entry.inode == st.st_ino &&
         entry.size == st.st_size && SameTime(entry.modified, st.st_mtim) &&
         SameTime(entry.changed, st.st_ctim);
}

ProfileCache::Glance::Glance() { ++ThreadGlance().depth; }

ProfileCache::Glance::~Glance() {
  GlanceState& glance = ThreadGlance();
  if (--glance.depth == 0) glance.seen.clear();
}

void ProfileCache::Wrote() { ++writes_made; }

ProfileCache::Lookup ProfileCache::Read(const std::string& path) {
  GlanceState& glance = ThreadGlance();
  if (glance.depth == 0) return Look(path);
  // Taken before the look: a write meanwhile makes the next lookup look
  // again.
  const uint64_t writes = writes_made.load();
  if (glance.writes != writes) {
    glance.seen.clear();
    glance.writes = writes;
  }
  for (const auto& [seen_path, lookup] : glance.seen) {
    if (seen_path == path) return lookup;
  }
  Lookup lookup = Look(path);
  glance.seen.emplace_back(path, lookup);
  return lookup;
}

ProfileCache::Lookup ProfileCache::Look(const std::string& path) {
  Entry known;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = files_.find(path); it != files_.end()) known = it->second;
  }
  const bool trusted = known.index && known.settled;
  if (trusted && !known.remote) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && SameState(known, st)) {
      return {FileRead::kRead, known.index};
    }
  }

  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0) {
    FileRead failure = OpenFailure();
    std::lock_guard<std::mutex> lock(mutex_);
    files_.erase(path);
    return {failure, nullptr};
  }
  if (trusted && SameState(known, st)) return {FileRead::kRead, known.index};

  // The moment of reading is taken before the read, so that a change made
  // during it falls within the settling time.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::string content;
  if (ReadDescriptor(fd.get(), &content) != FileRead::kRead) {
    return {FileRead::kFailed, nullptr};
  }

  Entry entry;
  entry.device = st.st_dev;
  entry.inode = st.st_ino;
  entry.size = st.st_size;
  entry.modified = st.st_mtim;
  entry.changed = st.st_ctim;
  entry.settled = TimesSettled(st, now);
  entry.remote = OnNetworkFileSystem(fd.get());
  if (known.content && *known.content == content) {
    entry.index = known.index;
    entry.content = known.content;
  } else {
    entry.index = std::make_shared<const ProfileIndex>(content);
    entry.content = std::make_shared<const std::string>(std::move(content));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (files_.size() >= kMaxFiles && !files_.contains(path)) files_.clear();
  files_[path] = entry;
  return {FileRead::kRead, entry.index};
}

void ProfileCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.clear();
}

}  // namespace vx
