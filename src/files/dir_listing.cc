#include "files/dir_listing.h"

#include "data/connections.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// The attributes of a listing of ordinary files: no folders, nothing hidden.
constexpr int32_t kOrdinaryFiles = 0;

}  // namespace

int32_t DirToCollection(const Variant& pattern,
                        std::vector<std::string>& names) {
  names.clear();
  try {
    names = CurrentHost().Dir(CStr(pattern), kOrdinaryFiles);
  } catch (const Error& e) {
    if (IsDesign()) throw;
    Err().Set(e);
  }
  return static_cast<int32_t>(names.size());
}

}  // namespace vx
