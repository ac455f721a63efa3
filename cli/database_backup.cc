#include "cli/database_backup.h"

#include <errno.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "platform/shared_files.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

// Closes an SQLite connection when the scope ends.
struct Connection {
  sqlite3* db = nullptr;
  ~Connection() { sqlite3_close(db); }
};

// Copies the database `from` into the empty file `to`; the reason on
// failure, "" on success.
std::string Copy(const std::string& from, const std::string& to) {
  Connection source;
  Connection target;
  if (sqlite3_open_v2(from.c_str(), &source.db, SQLITE_OPEN_READONLY,
                      nullptr) != SQLITE_OK) {
    return sqlite3_errmsg(source.db);
  }
  if (sqlite3_open_v2(to.c_str(), &target.db, SQLITE_OPEN_READWRITE,
                      nullptr) != SQLITE_OK) {
    return sqlite3_errmsg(target.db);
  }
  sqlite3_backup* backup =
      sqlite3_backup_init(target.db, "main", source.db, "main");
  if (backup == nullptr) return sqlite3_errmsg(target.db);
  const int step = sqlite3_backup_step(backup, -1);
  const int finish = sqlite3_backup_finish(backup);
  if (step != SQLITE_DONE) return sqlite3_errstr(step);
  if (finish != SQLITE_OK) return sqlite3_errmsg(target.db);
  return "";
}

}  // namespace

std::string BackUpDatabase(const std::string& host_path,
                           const std::string& day) {
  const SharedMode mode = SharedModeOf(host_path);
  const std::string base = host_path + ".bak-" + day;
  std::string backup = base;
  FileDescriptor fd;
  for (int counter = 2;; ++counter) {
    fd = FileDescriptor(CreateSharedFile(backup, mode, O_WRONLY));
    if (fd.get() >= 0) break;
    if (errno != EEXIST) {
      Raise(75, "kann die Sicherung " + backup + " nicht anlegen: " +
                    std::strerror(errno));
    }
    backup = base + "-" + std::to_string(counter);
  }
  fd.Close();
  const std::string problem = Copy(host_path, backup);
  if (!problem.empty()) {
    unlink(backup.c_str());
    Raise(75, "kann " + host_path + " nicht nach " + backup +
                  " sichern: " + problem);
  }
  return backup;
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

}  // namespace vx::cli
