// The guard of the files that other users have open.
//
// Windows refused to overwrite, move or delete a database that somebody had
// open (a sharing violation).  Linux lets unlink and rename succeed under
// an open file, and the other user's later writes would land in a file
// that no longer has a name.  So before the library overwrites, moves or
// deletes a file, it asks the file's lock file whether anybody has it open,
// and refuses as Windows did.

#ifndef VX_FILES_FILE_IN_USE_H_
#define VX_FILES_FILE_IN_USE_H_

#include <cstdint>
#include <string>

namespace vx {

// The run time's number of a sharing violation.
inline constexpr int32_t kErrPermissionDenied = 70;

// Raises 70 "Permission denied" when some process has the database at the
// host path `host_path` open (its lock file is held).  Any other file passes.
void RefuseIfInUse(const std::string& host_path);

}  // namespace vx

#endif  // VX_FILES_FILE_IN_USE_H_
