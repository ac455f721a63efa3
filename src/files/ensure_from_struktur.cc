#include "files/ensure_from_struktur.h"

#include "config/directories.h"
#include "files/file_copy.h"
#include "files/path_utils.h"
#include "files/uexist.h"
#include "vx_taluvek/host.h"

namespace vx {

int16_t EnsureFromStruktur(const std::string& target,
                           const std::string& template_name) {
  bool quick = true;
  if (Uexist(target, false, false, quick)) return -1;
  const std::string source = GetVerzeichnis("STRUKTUREN", false, false) +
                             GetFileName(template_name);
  std::string copy_target = target;
  int32_t status = kCopyDone;
  CopyFlags flags;
  flags.check_target = true;
  UFileCopy(source, copy_target, status, flags);
  CurrentHost().DoEvents();
  if (status == kCopyDone) return 1;
  if (status == kCopyTargetExisted) return -1;
  return 0;
}

}  // namespace vx
