#include "data/server_access.h"

#include <memory>

#include "vx_taluvek/error.h"

namespace vx {

ServerAccess& ThreadServerAccess() {
  thread_local std::shared_ptr<ServerAccess> server_access;
  if (!server_access) {
    auto created = std::dynamic_pointer_cast<ServerAccess>(
        CreateObject(ServerAccess::kProgramId));
    if (!created) Raise(430);
    server_access = std::move(created);
  }
  return *server_access;
}

}  // namespace vx
