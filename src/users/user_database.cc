#include "users/user_database.h"

#include "config/directories.h"
#include "vx_taluvek/error.h"

namespace vx {

std::string UserDbPath() { return GetUserVerzeichnis(false) + kUserDbName; }

DbHandle OpenUserDb() {
  DbHandle db;
  ResumeNext([&] {
    Variant connect(kBareConnect);
    db = OpenDb(UserDbPath(), false, Variant(false), connect, false);
  });
  Err().Clear();
  return db;
}

dao::Database& KeptUserDb() {
  struct Kept {
    std::string path;
    DbHandle db;
  };
  // The thread's engine first, so that it outlives the kept database when
  // the thread ends.
  DbEngine();
  thread_local Kept kept;
  const std::string path = UserDbPath();
  if (!kept.db || kept.path != path) {
    CloseDb(kept.db);
    kept.db = OpenUserDb();
    kept.path = path;
    if (!kept.db) {
      Raise(3044, "Die Benutzerdatenbank " + path + " ist nicht erreichbar");
    }
  }
  return *kept.db;
}

}  // namespace vx
