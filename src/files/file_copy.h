// Copying the suite's files: one operation that picks the copier by the
// file's size and the caller's wishes, checks that the copy is there, and
// recovers through the shell's copy.
//
// Every copier writes the copy beside the target and renames it into place
// once it is complete and on disk (Host::CopyFile): a failed or killed copy
// leaves the old target or none, never half a file.  A database that
// another process has open is never overwritten (70).

#ifndef VX_FILES_FILE_COPY_H_
#define VX_FILES_FILE_COPY_H_

#include <cstdint>
#include <string>

namespace vx {

// Sources up to this length are small: the plain copy takes them.
inline constexpr int64_t kSmallFileBytes = 2000000;

// The answers of UFileCopy beside the run time's error numbers.
inline constexpr int32_t kCopyDone = 0;
inline constexpr int32_t kCopyTargetExisted = -99;

struct CopyFlags {
  // No message boxes.
  bool quiet = false;
  // Refuse to overwrite an existing target (-99).  This holds even against
  // a target that another process creates while the copy runs.
  bool check_target = false;
  // Never the plain copy; with block_copy_allowed, the block copy with its
  // progress meter.
  bool show_progress = false;
  // Copy in the file system even when the suite's data lie on a server.
  bool dont_look_4sql = false;
  // Copy large files with the block copy instead of the shell's copy.
  bool block_copy_allowed = false;
  // Never the plain copy; large files by the shell even when the block copy
  // is allowed.
  bool shell_always = false;
};

// The copiers UFileCopy chooses from.
enum class Copier { kPlain, kShell, kBlockWithMeter };

// The copier for a source of `length` bytes: the block copy when allowed
// and either the file is large (and the shell is not demanded) or progress
// is to be shown; the plain copy for a small file when neither progress
// nor the shell is asked for; the shell's copy otherwise.
Copier ChooseCopier(int64_t length, const CopyFlags& flags);

// Copies `source` to `target`, setting `status`: 0 copied and the target is
// there; -99 the target existed (with check_target) and nothing was copied;
// 53 invalid arguments (an empty path, a source ending in "\" or "..",
// answered with a beep) or the target still missing; any other number that
// of the run-time error that stopped the copy.  Never raises.
//
// When the chosen copier fails or its copy is missing, the shell's copy is
// tried once more; if that fails too, the error dialog is shown (unless
// `quiet`) and its retry repeats it.  An overwrite that was refused (a
// database in use) is reported as such, even though a target is there.
// The mouse pointer shows the hourglass meanwhile.
//
// On a database server (unless dont_look_4sql) a project file's rows and a
// stored document are copied on the server (ServerFileCopy,
// server_copy.h): `status` stays as the caller set it after a copy, is -99
// when check_target finds the target known, 53 for a document the store
// does not hold, and the error's number after a failed copy.  A companion
// of an LV file (".VX3L1", ".VX3LX", ".VX3LR") is saved as the set named
// by the target's file name (VorlageSpeichern; 53 when that fails).  Only
// temporary files (a path with "~" or a target in the temporary folder)
// are copied in the file system there; a structure template copied to a
// temporary name ("~", "TEMP") or an ".MDB" becomes a new file on the
// server (ServerStructureCopy), any other copy of a template nothing.  In
// developer mode a copy that reaches the file system there is reported.
void UFileCopy(const std::string& source, std::string& target, int32_t& status,
               const CopyFlags& flags);

// Copies `source` to `target` (a folder when it ends in "\"), with the
// progress meter vx_Runtime.vx_Meter when `show_meter`, which moves to
// 100 - int(100 * remaining / total) after each block.  An existing target
// is replaced when `overwrite`; without it the user is asked when
// `messages`, else nothing is copied.  `messages` also reports a missing
// source, the end of the copy and a failure in message boxes.  Returns the
// length of the source after a complete copy, 0 after a failure (its error
// is then pending).  Never raises.
float KopierenMitMeter(const std::string& source, const std::string& target,
                       bool messages, bool overwrite, bool show_meter);

}  // namespace vx

#endif  // VX_FILES_FILE_COPY_H_
