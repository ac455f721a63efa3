#include "files/file_in_use.h"

#include "engine/lock_file.h"
#include "vx_taluvek/error.h"

namespace vx {

void RefuseIfInUse(const std::string& host_path) {
  if (dao::LockFile::InUse(host_path)) {
    Raise(kErrPermissionDenied,
          StandardDescription(kErrPermissionDenied) + ": " + host_path);
  }
}

}  // namespace vx
