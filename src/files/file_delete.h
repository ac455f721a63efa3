// Deleting the suite's files: plainly, with the lock file of a database,
// or through the recycle bin.

#ifndef VX_FILES_FILE_DELETE_H_
#define VX_FILES_FILE_DELETE_H_

#include <string>

namespace vx {

// Deletes the file `path`; with `database` also its lock file (the path
// without its last three characters, followed by "LDB"); with `recycle`
// through the recycle bin (DateiLoeschen), and plainly when that fails.
// A database that another process has open is left alone, and so is its
// lock file.  Returns true when the file is gone afterwards, false for an
// empty path and when the file is still there.  Never raises; leaves no
// error pending.
//
// On a database server (unless `local_only`) the server's content of a
// project file is deleted instead and `recycle` is cleared, also for the
// caller; a database there is deleted in the file system only when it is
// temporary (a path with "~", or in the temporary folder).  A path with
// ".TMP" is a temporary database on the server (the structure copy's,
// server_copy.h): its rows and entry go; with `database` that is all, and
// the answer is whether the server holds nothing of it now.  In developer
// mode a deletion that reaches the file system there is reported (in a
// developer build with the developers' halt, StopInDebugger).
bool UnserKill(const std::string& path, bool database, bool& recycle,
               bool local_only);

// Deletes `path` (one file, or several separated by NUL) through the
// recycle bin, asking first when `confirm`, showing failures through the
// error dialog unless `no_error_display`.  On a network installation a
// single file outside the drives C: and D: is first copied into the
// temporary folder and that copy put into the recycle bin, so that the
// user can restore what a share without a recycle bin loses.  True when it
// succeeded.  On a database server (unless `local_only`), the server's
// content is deleted instead (UnserKill).
bool DateiLoeschen(const std::string& path, bool confirm,
                   bool no_error_display, bool local_only);

}  // namespace vx

#endif  // VX_FILES_FILE_DELETE_H_
