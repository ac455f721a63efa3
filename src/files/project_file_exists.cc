#include "files/project_file_exists.h"

namespace vx {

bool ProjektDateiExists_4SQL(const std::string& /*path*/) { return false; }

}  // namespace vx
