#include "files/datei_operation.h"

#include <vector>

#include "config/error_dialog.h"
#include "files/file_checks.h"
#include "files/file_in_use.h"
#include "files/path_utils.h"
#include "files/server_copy.h"
#include "files/uexist.h"
#include "platform/text.h"
#include "translate/trt.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int32_t kErrInvalidCall = 5;
// Run's answer for a copy that is missing after the operation; reported
// as -1, like a cancel, but as a failure.
constexpr int32_t kCopyMissing = -2;
constexpr int32_t kYesNoCancelQuestion = 3 | 32 | kSystemModal;

std::vector<std::string> SplitAtNul(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find('\0', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

bool HasWildcard(const std::string& path) {
  return InStr(GetFileName(path), "*") > 0 || InStr(GetFileName(path), "?") > 0;
}

std::string FolderPart(const std::string& path) {
  return Left(path, Len(path) - Len(GetFileName(path)));
}

bool IsFolder(Host& host, const std::string& path) {
  try {
    return (host.GetAttr(path) & kAttrDirectory) != 0;
  } catch (const Error&) {
    return false;
  }
}

const char* OperationName(int16_t operation) {
  switch (operation) {
    case kFoMove: return "Verschieben";
    case kFoCopy: return "Kopieren";
    case kFoDelete: return "Löschen";
    case kFoRename: return "Umbenennen";
    default: return "";
  }
}

// The files an operation works on: every source with its target.
struct Pairs {
  std::vector<std::string> sources;
  std::vector<std::string> targets;  // empty for a deletion
  bool patterns = false;
  bool into_folder = false;
};

Pairs PairsOf(Host& host, int16_t operation, const std::string& source,
              const std::string& target, int32_t flags) {
  Pairs pairs;
  for (const std::string& name : SplitAtNul(source)) {
    if (!HasWildcard(name)) {
      pairs.sources.push_back(name);
      continue;
    }
    pairs.patterns = true;
    std::vector<std::string> found = host.Dir(name, 0);
    if (found.empty()) Raise(kErrFileNotFound);
    for (const std::string& file : found) {
      pairs.sources.push_back(FolderPart(name) + file);
    }
  }
  if (pairs.sources.empty()) Raise(kErrFileNotFound);
  if (operation == kFoDelete) return pairs;

  std::vector<std::string> targets = SplitAtNul(target);
  if ((flags & kFofMultiDestFiles) != 0 && !pairs.patterns) {
    if (targets.size() != pairs.sources.size()) Raise(kErrInvalidCall);
    pairs.targets = targets;
    return pairs;
  }
  if (targets.size() != 1) Raise(kErrInvalidCall);
  pairs.into_folder = pairs.sources.size() > 1 || pairs.patterns ||
                      IsFolder(host, targets[0]);
  for (const std::string& from : pairs.sources) {
    pairs.targets.push_back(pairs.into_folder
                                ? AddBackslash(targets[0]) + GetFileName(from)
                                : targets[0]);
  }
  return pairs;
}

// Asks whether to go on with `question`: true for yes; false for no; the
// user's cancel raises -1.
bool Confirmed(Host& host, const std::string& question) {
  const int32_t answer = host.MsgBox(question, kYesNoCancelQuestion, "");
  if (answer == kMsgCancel) Raise(kErrUserAbort);
  return answer == kMsgYes;
}

// Runs the operation on one pair.
void RunOne(Host& host, int16_t operation, const std::string& from,
            const std::string& to, int32_t flags) {
  const bool ask = (flags & kFofNoConfirmation) == 0;
  if (operation == kFoDelete) {
    if (ask && !Confirmed(host, TRT("Soll die Datei gelöscht werden?") +
                                    "\n" + from)) {
      return;
    }
    RefuseIfInUse(host.MapPath(from));
    if ((flags & kFofAllowUndo) != 0) {
      host.MoveToTrash(from);
    } else {
      host.DeleteFile(from);
    }
    return;
  }
  if (!PathIsThere(host, from)) Raise(kErrFileNotFound);
  if (PathIsThere(host, to) && ask &&
      !Confirmed(host, TRT("Datei existiert schon!") + "\n" + to + "\n" +
                           TRT("Soll überschrieben werden?"))) {
    return;
  }
  if (const std::string folder = FolderPart(to); !folder.empty()) {
    host.CreateFolders(folder);
  }
  if (operation == kFoCopy) {
    CopyOptions options;
    options.before_replace = RefuseIfInUse;
    host.CopyFile(from, to, options);
    return;
  }
  RefuseIfInUse(host.MapPath(from));
  if (PathIsThere(host, to)) RefuseIfInUse(host.MapPath(to));
  if (operation == kFoMove) {
    host.MoveFile(from, to);
  } else {
    host.RenameFile(from, to);
  }
}

// Runs the whole operation; 0 on success, else the number of the error
// that stopped it.
int32_t Run(Host& host, int16_t operation, const std::string& source,
            const std::string& target, int32_t flags) {
  if (operation < kFoMove || operation > kFoRename) return kErrInvalidCall;
  try {
    Pairs pairs = PairsOf(host, operation, source, target, flags);
    for (size_t i = 0; i < pairs.sources.size(); ++i) {
      RunOne(host, operation, pairs.sources[i],
             operation == kFoDelete ? std::string() : pairs.targets[i], flags);
    }
    if (operation != kFoCopy || pairs.patterns) return 0;
    for (const std::string& copy : pairs.targets) {
      bool quick = false;
      if (!Uexist(copy, false, true, quick)) return kCopyMissing;
    }
    return 0;
  } catch (const Error& e) {
    return e.number();
  }
}

std::string ShownList(const std::string& names) {
  return Replace(names, std::string(1, '\0'), " ; ");
}

}  // namespace

bool DateiOperation(int16_t operation, const std::string& source,
                    const std::string& target, bool confirm,
                    bool no_error_display, int32_t extra_flags, bool silent) {
  int32_t flags = extra_flags | kFofNoConfirmMkdir;
  if (target.find('\0') != std::string::npos) flags |= kFofMultiDestFiles;
  if (!confirm) flags |= kFofNoConfirmation;
  if (no_error_display) flags |= kFofNoErrorUi;
  if (silent) flags |= kFofSilent;

  // On a server a structure template's copy is a new file there.
  if (operation == kFoCopy && DataOnServer() && InStructuresFolder(source, true)) {
    return ServerStructureCopy(target);
  }

  Host& host = CurrentHost();
  for (;;) {
    const int32_t result = Run(host, operation, source, target, flags);
    if (result == 0) return true;
    if (result == kErrUserAbort) {
      Err().Set(kErrUserAbort, TRT("Abbruch durch den Benutzer"));
    } else {
      Err().Set(result == kCopyMissing ? kErrUserAbort : result,
                TRT("Datei-Operation fehlgeschlagen"));
    }
    if (no_error_display) return false;
    const std::string title =
        TRT(std::string("Fehler beim ") + OperationName(operation) +
            " von Dateien...") +
        "   " + ProgrammBasisName(host.ExecutableName());
    const std::string message = "\n\r\nQuelle: " + ShownList(source) +
                                "\r\nZiel:     " + ShownList(target);
    if (ShowErrorEMW(Err(), message, title, false, 0) != kAnswerRetry) {
      return false;
    }
  }
}

std::string ProgrammBasisName(const std::string& name) {
  const std::string upper = UCase(name);
  size_t at = InStr(upper, "__");
  if (at == 0) at = InStr(upper, "-RIBBON");
  return at > 0 ? Left(name, at - 1) : name;
}

}  // namespace vx
