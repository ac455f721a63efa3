#include "files/file_checks.h"

#include "data/connections.h"
#include "vx_taluvek/error.h"

namespace vx {

bool PathIsThere(Host& host, const std::string& path) {
  try {
    host.GetAttr(path);
    return true;
  } catch (const Error&) {
    return false;
  }
}

bool DataOnServer() {
  int16_t kind = 0;
  return ResumeNextValue<bool>([&] { return IsServerMode(kind); }, false);
}

}  // namespace vx
