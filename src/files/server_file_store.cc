#include "files/server_file_store.h"

namespace vx {

bool Server_FileExistsInVXFiles(const std::string& /*path*/,
                                const std::string& /*type*/) {
  return false;
}

}  // namespace vx
