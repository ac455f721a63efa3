// Paths with each name spelt as the file system holds it.

#ifndef VX_FILES_LONG_PATH_H_
#define VX_FILES_LONG_PATH_H_

#include <string>

namespace vx {

// `path` with each name replaced by the name under which the file system
// holds it, found by listing the folder before it without regard to case
// ("T:\DATEN~1\projekt.vx3db" gives "T:\Daten~1\PROJEKT.VX3DB").  Paths
// that hold no "~" are returned unchanged without a look at the disk: only
// names derived from others ("~KV..." copies, shortened names) need it.
//
// The drive or "\\server\share" is kept as written; "." and ".." and empty
// names are kept.  A last name that does not exist is kept as written, so
// that a file about to be created keeps its name.  When a folder on the way
// does not exist, or the file system cannot be asked, `path` is returned
// unchanged (developer mode shows the error).  Never raises.
std::string File_getLongPath(const std::string& path);

}  // namespace vx

#endif  // VX_FILES_LONG_PATH_H_
