// A backup of a database that is about to be replaced.

#ifndef VX_CLI_DATABASE_BACKUP_H_
#define VX_CLI_DATABASE_BACKUP_H_

#include <string>

namespace vx::cli {

// Saves the database `host_path` with SQLite's backup API, page by page as
// one consistent state, as "<host_path>.bak-<day>" beside it; when that
// exists already, as "<host_path>.bak-<day>-2", "-3" and so on, so that an
// earlier backup is never overwritten.  `day` is the date of the backup,
// JJJJ-MM-TT.  The backup takes the permissions and group of the database
// and is created exclusively (never through a link).  Returns the backup's
// path; raises vx::Error 75 when it cannot be made, leaving no part of it.
// Nobody may write the database meanwhile (the caller holds its lock).
std::string BackUpDatabase(const std::string& host_path,
                           const std::string& day);

// Today's date in local time as JJJJ-MM-TT, the day of a backup.
std::string Today();

}  // namespace vx::cli

#endif  // VX_CLI_DATABASE_BACKUP_H_
