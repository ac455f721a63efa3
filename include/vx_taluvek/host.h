// What the library asks of the operating system and of the program that
// hosts it.
//
// Everything goes through one Host, in the manner of an Env: a Linux default
// and, in tests, doubles.  Paths are the suite's Windows-form texts
// ("C:\Daten\PROJEKT.VX3DB", "\\server\share\P"); the host maps them to its
// own file system only where it touches it (see MapPath).
//
// Message boxes, the mouse pointer, message processing and the executable
// name belong to the hosting program, which installs hooks for them; without
// hooks a message box writes its title and text to standard error and
// answers its default button, and the others do nothing.

#ifndef VX_TALUVEK_HOST_H_
#define VX_TALUVEK_HOST_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vx_taluvek/export.h"

namespace vx {

// File attribute bits as the suite knows them.
enum FileAttribute : int32_t {
  kAttrReadOnly = 1,
  kAttrHidden = 2,
  kAttrSystem = 4,
  kAttrDirectory = 16,
  kAttrArchive = 32,
};

// Drive types as the suite knows them.
enum DriveType : int32_t {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

// Message box answers.
enum MsgBoxResult : int32_t {
  kMsgOk = 1, kMsgCancel = 2, kMsgAbort = 3, kMsgRetry = 4, kMsgIgnore = 5,
  kMsgYes = 6, kMsgNo = 7,
};

// Message box styles the library shows its boxes with.
inline constexpr int32_t kStopIcon = 16;
inline constexpr int32_t kSystemModal = 4096;
inline constexpr int32_t kStopSystemModal = kSystemModal | kStopIcon;  // 4112
inline constexpr int32_t kExclamationIcon = 48;
inline constexpr int32_t kExclamationSystemModal =
    kSystemModal | kExclamationIcon;  // 4144
inline constexpr int32_t kOkCancel = 1;

// The hourglass mouse pointer.
inline constexpr int32_t kPointerHourglass = 11;

// Progress of a long operation, reported to the hosting program (see
// HostHooks::progress).  A report of stage kStart comes first, kStop last.
struct ProgressReport {
  enum class Stage { kStart, kUpdate, kStop };
  Stage stage = Stage::kStart;
  std::string caption;  // what kind of work: "Kopieren..."
  std::string line;     // what is worked on: "a.VX3LV   --->   b.VX3LV"
  int32_t percent = 0;  // 0 to 100
  int64_t total_bytes = 0;  // the amount 100 percent stand for, 0: unknown
};

// How Host::CopyFile copies.
struct CopyOptions {
  // Whether an existing target is replaced.  When not, a target that exists
  // before the copy or appears while it runs is kept, and 58 is raised.
  bool replace_existing = true;
  // Bytes per step between progress calls; 0 lets the host choose.
  int64_t block_bytes = 0;
  // Called with the host path of the target just before the finished copy
  // takes its place, when a file of that name is there; raising refuses
  // the copy, which then leaves no trace.
  std::function<void(const std::string& host_path)> before_replace;
  // Called after each step with the bytes copied so far and in all.
  std::function<void(int64_t copied, int64_t total)> progress;
};

// Hooks of the hosting program.  Any may be left empty.
struct HostHooks {
  // Shows a message box; answers one of MsgBoxResult.
  std::function<int32_t(const std::string& prompt, int32_t style,
                        const std::string& title)>
      message_box;
  std::function<int32_t()> get_mouse_pointer;
  std::function<void(int32_t)> set_mouse_pointer;
  // Lets the program process its pending window messages.
  std::function<void()> do_events;
  // The program's executable name without extension.
  std::function<std::string()> executable_name;
  // Asks the person for a user name and a password under `caption`; false
  // when cancelled, or when nobody is there to answer.  Without this hook
  // no login dialog can be shown and every login is cancelled.
  std::function<bool(const std::string& caption, std::string& name,
                     std::string& password)>
      login;
  // Shows the progress of a long operation (the suite's progress meter).
  std::function<void(const ProgressReport&)> progress;
};

// Installs the hosting program's hooks for the whole process.
VX_TALUVEK_EXPORT void SetHostHooks(HostHooks hooks);

class VX_TALUVEK_EXPORT Host {
 public:
  virtual ~Host() = default;

  // ---- Settings files, with the semantics of the Windows profile functions ----

  // Reads `key` of `section` (both without regard to case) from the settings
  // file `file` (a bare name lies in the settings home).  The value is
  // trimmed of blanks and of one pair of enclosing quotes.  When the key is
  // missing, `default_value` (trailing blanks removed) is used.  At most
  // buffer_chars - 1 characters are copied to *value; returns their count.
  virtual size_t GetProfileString(const std::string& section,
                                  const std::string& key,
                                  const std::string& default_value,
                                  std::string* value, size_t buffer_chars,
                                  const std::string& file) = 0;

  // Writes `key`=`value` into `section` of `file`, creating section and file
  // when missing and keeping every other line.  The file is replaced
  // atomically.  Returns false, leaving the file as it was, when it could
  // not be written or when the entry would not read back as given (an empty
  // name, a line break, "]" in the section, "=" in the key).
  virtual bool WriteProfileString(const std::string& section,
                                  const std::string& key,
                                  const std::string& value,
                                  const std::string& file) = 0;

  // The folder that stands for the Windows directory, as a host path without
  // a trailing "/": $TARVANO_HOME, else $XDG_CONFIG_HOME/tarvano, else
  // ~/.config/tarvano.
  virtual std::string SettingsHome() = 0;

  // ---- Files ----

  // The host path of a Windows-form path: "\" becomes "/"; a path beginning
  // with "/" (or one "\") is a host path already; a drive letter or a
  // \\server\share prefix is looked up in the drive table of the settings
  // home; a name that does not exist in exactly that case is looked up
  // without regard to case.  Raises 76 for a drive the table does not know.
  virtual std::string MapPath(const std::string& path) = 0;

  // One of DriveType for the drive or folder `path` names: remote for
  // network file systems, CD-ROM for ISO 9660, fixed for the others, no root
  // dir for a path that does not exist or a drive the table does not know.
  virtual int32_t GetDriveType(const std::string& path) = 0;

  // Length of a file in bytes.  Raises 53 when it does not exist or is a
  // folder.
  virtual int64_t FileLen(const std::string& path) = 0;

  // FileAttribute bits: 16 for a folder, 32 for any ordinary file, 1 when
  // not writable, 2 for a name beginning with ".".  Raises 53 when the path
  // does not exist.
  virtual int32_t GetAttr(const std::string& path) = 0;

  // Names (without folder) in the folder of `pattern` that match its last
  // component, "*" and "?" as wildcards and without regard to case, sorted.
  // A trailing ".*" also matches names without extension ("*.*" matches
  // all).  Folders are listed only when `attributes` has kAttrDirectory;
  // names beginning with "." only with kAttrHidden; "." and ".." never.  A
  // missing folder gives no names.
  virtual std::vector<std::string> Dir(const std::string& pattern,
                                       int32_t attributes) = 0;

  // Copies the file `source` to the file `target`.  Never leaves a partial
  // target: the copy is written to a temporary file in the target's folder,
  // forced to disk and then renamed into place, so that a target is either
  // the old one, absent or complete, even when the process is killed.  After
  // a failure the temporary file is removed.  A new target takes the
  // permissions and group of the file it replaces, else of its folder.
  // Raises 53 when the source is missing or a folder, 76 when the target's
  // folder is missing, 75 when the target is a folder, 58 (see
  // `options`), 70 when access is denied, 61 when the disk is full, 57 for
  // an input or output error.
  virtual void CopyFile(const std::string& source, const std::string& target,
                        const CopyOptions& options) = 0;
  // Moves the file `source` to `target`, replacing a file there: renamed
  // within a file system, copied (as CopyFile) and deleted across.  Raises
  // as CopyFile and DeleteFile do.
  virtual void MoveFile(const std::string& source,
                        const std::string& target) = 0;
  // Renames the file or folder `source` to `target` within its file system,
  // replacing a file there.  Raises 53 when `source` is missing, 74 across
  // file systems, 76 when the target's folder is missing, 70 when denied.
  virtual void RenameFile(const std::string& source,
                          const std::string& target) = 0;
  // Deletes the file `path`.  Raises 53 when it is missing, 75 for a
  // folder, 70 when denied.
  virtual void DeleteFile(const std::string& path) = 0;
  // Moves the file or folder `path` to the recycle bin: the freedesktop.org
  // trash of its file system (the user's home trash, or ".Trash-<uid>" at
  // the top of another mount), where a desktop's file manager shows and
  // restores it.  Raises 53 when it is missing, 70 when denied, 75 when its
  // file system has no trash.
  virtual void MoveToTrash(const std::string& path) = 0;
  // Creates the folder `path` and any missing folders above it; each new
  // folder takes the permissions and group of the one it lies in.  Raises
  // 76 when that is not possible.
  virtual void CreateFolders(const std::string& path) = 0;

  // ---- Process ----

  // The process environment as "NAME=value" entries, in its own order.
  virtual std::vector<std::string> Environment() = 0;
  virtual std::string ExecutableName() = 0;
  virtual void Sleep(int32_t milliseconds) = 0;
  virtual void Beep() = 0;

  // ---- The hosting program's user interface ----

  virtual int32_t MsgBox(const std::string& prompt, int32_t style,
                         const std::string& title) = 0;
  virtual int32_t GetMousePointer() = 0;
  virtual void SetMousePointer(int32_t pointer) = 0;
  virtual void DoEvents() = 0;
  // Passes `report` to the hosting program's progress hook.
  virtual void ReportProgress(const ProgressReport& report) = 0;
};

// The Linux host, which uses the installed hooks.
VX_TALUVEK_EXPORT Host& DefaultHost();

// The host the library uses: the default unless a test installed another.
VX_TALUVEK_EXPORT Host& CurrentHost();

// Installs `host` for the whole process (nullptr restores the default).
// Meant for tests; the caller keeps `host` alive while installed.
VX_TALUVEK_EXPORT void SetCurrentHost(Host* host);

}  // namespace vx

#endif  // VX_TALUVEK_HOST_H_
