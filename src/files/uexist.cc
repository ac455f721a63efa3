#include "files/uexist.h"

#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

bool Uexist(const std::string& path, bool directory, bool /*local*/,
            bool& /*quick*/, const Variant& /*unused*/) {
  if (path.empty()) return false;
  try {
    int32_t attributes = CurrentHost().GetAttr(path);
    if (directory) return (attributes & kAttrDirectory) != 0;
    return (attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem |
                          kAttrArchive)) != 0;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace vx
