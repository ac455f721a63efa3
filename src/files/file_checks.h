// The quick checks of the file operations: no probes, no waits, no raise.

#ifndef VX_FILES_FILE_CHECKS_H_
#define VX_FILES_FILE_CHECKS_H_

#include <string>

#include "vx_taluvek/host.h"

namespace vx {

// Whether `host` finds a file or folder at `path` now.  Unlike Uexist it
// neither waits for a slow share nor asks a server: the operations use it
// on files they have just made or are about to change.
bool PathIsThere(Host& host, const std::string& path);

// Whether the suite's data lie on a database server (IsServerMode); a
// server access component that cannot be created counts as file mode and
// leaves its error pending.
bool DataOnServer();

}  // namespace vx

#endif  // VX_FILES_FILE_CHECKS_H_
