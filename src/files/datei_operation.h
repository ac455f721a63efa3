// File operations as the Windows shell offered them: copy, move, delete
// (through the recycle bin on request) and rename of one file, of several
// (names separated by NUL characters) or of wildcard patterns, with the
// error dialog and its retry.

#ifndef VX_FILES_DATEI_OPERATION_H_
#define VX_FILES_DATEI_OPERATION_H_

#include <cstdint>
#include <string>

namespace vx {

// Operation codes.
inline constexpr int16_t kFoMove = 1;    // "Verschieben"
inline constexpr int16_t kFoCopy = 2;    // "Kopieren"
inline constexpr int16_t kFoDelete = 3;  // "Löschen"
inline constexpr int16_t kFoRename = 4;  // "Umbenennen"

// Flags of an operation.
inline constexpr int32_t kFofMultiDestFiles = 1;  // one target per source
inline constexpr int32_t kFofSilent = 4;
inline constexpr int32_t kFofNoConfirmation = 16;
inline constexpr int32_t kFofAllowUndo = 64;  // delete into the recycle bin
inline constexpr int32_t kFofNoConfirmMkdir = 512;
inline constexpr int32_t kFofNoErrorUi = 1024;

// The error number of an operation the user cancelled.
inline constexpr int32_t kErrUserAbort = -1;

// Runs `operation` on `source` (one path, several separated by NUL, or a
// pattern with "*" and "?" in its file name) and `target` (a file, a
// folder, or with several sources one path per source separated by NUL).
// A target that is an existing folder, or any target of several sources or
// a pattern, is the folder the files go into; missing target folders are
// created.  Existing targets are replaced, after a question when
// `confirm`; deletion asks first when `confirm`.  `extra_flags` adds flags
// (kFofAllowUndo deletes into the recycle bin).  `silent` is accepted for
// the callers' sake: no operation shows progress of its own.
//
// A database that another process has open is neither replaced, moved,
// renamed nor deleted: the operation fails with 70.  The operation stops
// at its first failure.  A copy is checked afterwards: every source's copy
// must be there.
//
// On a database server a copy out of the structures folder (its directory
// spelt exactly as the settings give it) is the server's structure copy
// (ServerStructureCopy, server_copy.h) and touches no file.
//
// Returns true on success.  On failure the error is left pending (its
// number that of the failure, -1 when the user cancelled or a copy is
// missing) and, unless `no_error_display`, shown through the error dialog,
// whose answer retry runs the operation again.
bool DateiOperation(int16_t operation, const std::string& source,
                    const std::string& target, bool confirm,
                    bool no_error_display, int32_t extra_flags, bool silent);

// The program name for the titles of error messages: `name` up to its
// first "__", or else its first "-RIBBON" (compared in capitals).
std::string ProgrammBasisName(const std::string& name);

}  // namespace vx

#endif  // VX_FILES_DATEI_OPERATION_H_
