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

}  // namespace vx
