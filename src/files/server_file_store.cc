#include "files/server_file_store.h"

namespace vx {

bool Server_FileExistsInVXFiles(const std::string& /*path*/,
                                const std::string& /*type*/) {
  return false;
}

bool Server_FileKill(const std::string& /*path*/) { return false; }

}  // namespace vx
