#include "files/uexist.h"

#include <vector>

#include "config/developer_mode.h"
#include "config/directories.h"
#include "config/error_dialog.h"
#include "data/connections.h"
#include "files/dir_listing.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "files/project_file_exists.h"
#include "files/server_file_store.h"
#include "files/templates.h"
#include "files/zugriff_slow.h"
#include "platform/module_state.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

// Attribute bits of which any one shows that a file is there.
constexpr int32_t kFilePresentMask =
    kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;
constexpr int kAttributeAttempts = 3;

// One pause of a probe: the hosting program's messages before and after a
// wait of `milliseconds`.
void PauseWithMessages(Host& host, int32_t milliseconds) {
  host.DoEvents();
  host.Sleep(milliseconds);
  host.DoEvents();
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return EqualsNoCase(Right(text, Len(suffix)), suffix);
}

bool HasWildcard(const std::string& path) {
  return InStr(path, "*") > 0 || InStr(path, "?") > 0;
}

// A lone drive letter ("c", "c:") stands for the root of its drive.
std::string WithDriveRoot(const std::string& path) {
  std::string lower = LCase(path);
  bool letter = !lower.empty() && lower[0] >= 'a' && lower[0] <= 'z';
  if (letter && lower.size() == 1) return path + ":\\";
  if (letter && lower.size() == 2 && lower[1] == ':') return path + "\\";
  return path;
}

// Whether `attributes`, read for `path`, show what the caller looks for.
bool AttributesShowPresence(const std::string& path, int32_t attributes,
                            bool directory) {
  if (!directory) {
    return (attributes & kFilePresentMask) != 0 &&
           (attributes & kAttrDirectory) == 0;
  }
  if (attributes & kAttrDirectory) return true;
  if (Right(path, 1) == "\\") return false;
  // Callers that pass the directory flag for a file are answered as if
  // they had asked for the file; developers are told to fix the call.
  Host& host = CurrentHost();
  const bool developer = bIstEntwicklung();
  if (developer) {
    host.MsgBox(path + "\n" +
                    "Es wurde nach einem Dir gesucht - gibts nicht --- richtig?",
                kSystemModal, "bIstEntwicklung");
  }
  if ((attributes & kFilePresentMask) == 0 || Len(path) <= 6 ||
      InStr(Right(path, 6), ".") == 0) {
    return false;
  }
  if (developer) {
    host.MsgBox(path + "\n" + "Aber den File gibt es!" + "\n" +
                    "<Uexist> bringt nun trotzdem True zurück - 2. Param "
                    "ändern!!!",
                kSystemModal, "bIstEntwicklung");
  }
  return true;
}

// Whether the server holds `path`; see Uexist.
bool ExistsOnServer(const std::string& path, bool quick) {
  const std::string kind = UCase(Right(path, 6));
  if (kind == ".VX3BR") return Server_FileExistsInVXFiles(path, "TEXTE");
  if (kind == ".VX3AT") return Server_FileExistsInVXFiles(path, "ATX");
  if (kind == ".VX3ET") return Server_FileExistsInVXFiles(path, "ETX");
  if (IsLvCompanion(path)) return VorlageExists(GetFileName(path));
  FileNameParts parts = SplitFileName(path);
  const std::string file = UCase(parts.file);
  if (file == "ADRESSEN.VX3DB" || file == "PROJEKT.VX3DB" ||
      file == "USER.VX3DB") {
    return true;
  }
  // An installation without sketches has no "LBSKIZZE" key: then no file
  // lies in that folder, and that is no installation error to show.
  const std::string sketches = GetVerzeichnis("LBSKIZZE", true, false);
  if (!sketches.empty() &&
      EqualsNoCase(parts.drive_and_directory + "\\", sketches)) {
    return Server_FileExistsInVXFiles(path, "LBSKIZZE");
  }
  if (ProjektDateiExists_4SQL(path)) return true;
  // Temporary copies are made on disk, even on a server.
  return InStr(path, "~") > 0 && UexistCore(Variant(path), false, quick);
}

bool ExistsOnDisk(const std::string& path, bool directory, bool& quick) {
  const std::string last = Right(path, 1);
  if ((last == "\\" || last == ":") && !directory) {
    if (IsDesign()) {
      CurrentHost().MsgBox("Optionaler Param kam dazu für Directories",
                           kSystemModal, "Design");
    }
    return false;
  }
  ModuleState& state = State();
  if (state.nZugriffSlow == 0) ReadZugriffSlow();
  const bool pattern = InStr(path, "*") > 0;
  if ((!pattern && (!quick || state.nZugriffSlow > 1)) || directory) {
    if (state.nZugriffSlow > 2) quick = false;
    return UexistCore(Variant(path), directory, quick);
  }
  std::vector<std::string> names;
  if (DirToCollection(Variant(path), names) > 0) return true;
  CurrentHost().DoEvents();
  return DirToCollection(Variant(path), names) > 0;
}

}  // namespace

bool Uexist(const std::string& path, bool directory, bool local, bool& quick,
            const Variant& /*unused*/) {
  PendingError& err = Err();
  err.Clear();
  if (path.empty()) return false;
  bool present = false;
  try {
    // Without an answer from the server access component the files are
    // looked for where they would lie without a server: on disk.
    int16_t kind = 0;
    const bool to_server =
        !local && !directory && !EndsWithNoCase(path, ".EXE") &&
        !EndsWithNoCase(path, ".DLL") && !EndsWithNoCase(path, ".INI") &&
        ResumeNextValue<bool>([&] { return IsServerMode(kind); }, false);
    present = to_server ? ExistsOnServer(path, quick)
                        : ExistsOnDisk(path, directory, quick);
  } catch (const Error& e) {
    err.Set(e);
    present = false;
  }
  if (err.IsSet()) {
    if (IsDesign()) ShowErrorMsg(err, "\nbeim Uexist", "Design", false, 0);
    err.Clear();
  }
  return present;
}

bool UexistCore(const Variant& path_value, bool directory, bool quick) {
  PendingError& err = Err();
  Host& host = CurrentHost();
  std::string path;
  if (!ResumeNext([&] { path = CStr(path_value); })) {
    err.Clear();
    return false;
  }
  const bool wildcard = HasWildcard(path);

  // First probe: the length, which a slow share answers quickly.  An empty
  // file fails it and is left to its attributes.  The host raises for
  // folders, so a length read is always a file's.
  bool first_probe_made = false;
  if (!path.empty() && !wildcard && !directory) {
    int64_t length = 0;
    auto read_length = [&] { length = host.FileLen(path); };
    bool read = ResumeNext(read_length);
    if (!read) {
      PauseWithMessages(host, 1);
      err.Clear();
      read = ResumeNext(read_length);
      if (!read && quick) {
        err.Clear();
        return false;
      }
    }
    if (read && length > 0) {
      err.Clear();
      return true;
    }
    first_probe_made = true;
    err.Clear();
    host.DoEvents();
    host.Sleep(0);  // the rest of the time slice, for a share to catch up
  }

  // Second probe: the attributes.  The error of the last failed attempt
  // stays pending for the last resort below.
  const std::string probed = WithDriveRoot(path);
  int32_t attributes = 0;
  auto read_attributes = [&] { attributes = host.GetAttr(probed); };
  bool read = false;
  for (int attempt = 0; attempt < kAttributeAttempts && !read; ++attempt) {
    if (attempt > 0) {
      err.Clear();
      PauseWithMessages(host, 1);
    }
    read = ResumeNext(read_attributes);
  }

  bool present = false;
  if (read) {
    present = AttributesShowPresence(probed, attributes, directory);
  } else if (!quick && (wildcard || !first_probe_made)) {
    // Last resort for what the first probe could not look at: a pattern is
    // listed, anything else gets one more attempt.
    if (wildcard) {
      std::vector<std::string> names;
      present = ResumeNextValue<bool>(
          [&] { return DirToCollection(path_value, names) > 0; }, false);
    } else if (ResumeNext(read_attributes)) {
      present = AttributesShowPresence(probed, attributes, directory);
    }
  }
  err.Clear();
  return present;
}

}  // namespace vx
