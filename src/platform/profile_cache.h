// Settings files kept parsed until they change on disk.
//
// The library asks its settings file for one key at a time, often several
// keys in a row (creating a project object asks for three), and every
// drive letter it maps asks the drive table.  Reading and parsing the file
// each time is most of what such a lookup costs, so the parsed content of
// each file is kept, with what identifies the file's state on disk: its
// device and inode, size, and modification and change times.  A lookup
// compares them with the file's present state (one stat) and reads the file
// anew when any differs, so that a change by another process or user, in
// place or by replacing the file, is seen at the next lookup.
//
// Two things a stat alone cannot tell are taken care of:
// - A file changed twice within one tick of the file system's clock keeps
//   its times.  While the file's times lie less than kSettleSeconds before
//   the moment it was read, the content is read again at each lookup and
//   compared with the one kept (it is parsed again only when it differs).
// - A network file system answers stat from an attribute cache that may lag
//   behind other machines' writes for a minute; opening the file makes it
//   ask the server.  A file on a network file system is therefore opened
//   at each lookup.
//
// Even one stat per lookup adds up where one operation asks several keys in
// a row.  An operation that does so may make its lookups one glance
// (ProfileCache::Glance): while it lasts, each file is looked at on disk
// once by the thread, and the later lookups see it as the first one did,
// as if all were made at that moment.  A change another process makes
// meanwhile shows at the next operation, as it would had it come a moment
// later; a write by this process through the host ends the glance at once.

#ifndef VX_PLATFORM_PROFILE_CACHE_H_
#define VX_PLATFORM_PROFILE_CACHE_H_

#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/profile_file.h"

namespace vx {

enum class FileRead { kRead, kMissing, kFailed };

// Reads the whole file at host path `path` into *content.  kMissing when
// it does not exist (nor does a folder on its way), kFailed when it cannot
// be read (no permission, a folder of that name).
FileRead ReadWholeFile(const std::string& path, std::string* content);

class ProfileCache {
 public:
  // The cache of the process.
  static ProfileCache& Shared();

  // How long after a change a file's times are not trusted to show the
  // next change.
  static constexpr int kSettleSeconds = 2;

  struct Lookup {
    FileRead status = FileRead::kMissing;
    // The parsed content when status is kRead.
    std::shared_ptr<const ProfileIndex> index;
  };

  // The parsed content of the settings file at host path `path`, from the
  // cache while the file is unchanged.  Safe to call from any thread.
  Lookup Read(const std::string& path);

  // Forgets every file, so that the next lookup of each reads it.
  void Clear();

  // While one lives, the lookups of its thread look at each file on disk
  // only once (see above).  May be nested.
  class Glance {
   public:
    Glance();
    ~Glance();
    Glance(const Glance&) = delete;
    Glance& operator=(const Glance&) = delete;
  };

  // Tells the cache that this process wrote a settings file: every glance
  // looks at the files anew.
  static void Wrote();

 private:
  struct Entry {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    // Whether the times can be trusted to show the next change (see above).
    bool settled = false;
    bool remote = false;
    std::shared_ptr<const std::string> content;
    std::shared_ptr<const ProfileIndex> index;
  };

  // Files kept at most; when full, all are forgotten (a process uses few).
  static constexpr size_t kMaxFiles = 64;

  static bool SameState(const Entry& entry, const struct stat& st);
  // Read without a glance: checks the file's state on disk.
  Lookup Look(const std::string& path);

  std::mutex mutex_;
  std::unordered_map<std::string, Entry> files_;
};

}  // namespace vx

#endif  // VX_PLATFORM_PROFILE_CACHE_H_
