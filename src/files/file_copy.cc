#include "files/file_copy.h"

#include <memory>
#include <optional>

#include "config/developer_mode.h"
#include "config/directories.h"
#include "config/error_dialog.h"
#include "files/datei_operation.h"
#include "files/file_checks.h"
#include "files/file_in_use.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "files/server_copy.h"
#include "files/temp_dir.h"
#include "files/templates.h"
#include "files/uexist.h"
#include "platform/text.h"
#include "translate/trt.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/meter.h"

namespace vx {

namespace {

constexpr int32_t kErrFileExists = 58;
constexpr int32_t kInformationSystemModal = kSystemModal | 64;  // 4160
constexpr int32_t kExclamationSystemModal = kSystemModal | 48;  // 4144
constexpr int32_t kYesNoQuestion = kSystemModal | 32 | 4;
// The meter copy's block: far larger than a meter needs to move smoothly,
// small enough that it moves on a slow share.
constexpr int64_t kMeterBlockBytes = 1 << 20;

// Whether the suite's temporary copies are meant: the only files a server
// installation copies in the file system.
bool IsTemporaryCopy(const std::string& source, const std::string& target) {
  return InStr(source, "~") > 0 || InStr(target, "~") > 0 ||
         InStr(UCase(target), UCase(GetTempVerzeichnis())) > 0;
}

// The progress meter, when one can be created.
std::shared_ptr<Meter> CreateMeter() {
  try {
    return std::dynamic_pointer_cast<Meter>(CreateObject(Meter::kProgramId));
  } catch (const Error&) {
    return nullptr;
  }
}

// KopierenMitMeter, with the choice whether a target that appears while
// it runs may be replaced.  The length copied, or nothing after a failure
// (its error pending).
std::optional<int64_t> CopyWithMeter(const std::string& source,
                                     std::string target, bool messages,
                                     bool overwrite, bool show_meter,
                                     bool replace_existing) {
  Host& host = CurrentHost();
  if (!PathIsThere(host, source)) {
    if (messages) {
      host.MsgBox(TRT("Datei nicht gefunden") + "\n" + source,
                  kInformationSystemModal, "");
    }
    Err().Set(kErrFileNotFound);
    return std::nullopt;
  }
  if (Right(target, 1) == "\\") target += GetFileName(source);
  if (PathIsThere(host, target) && !overwrite) {
    const bool replace =
        messages && host.MsgBox(UCase(target) + "\n" +
                                    TRT("Datei existiert schon!") + "\n" +
                                    TRT("Soll überschrieben werden?"),
                                kYesNoQuestion, "") == kMsgYes;
    if (!replace) return std::nullopt;
  }

  std::shared_ptr<Meter> meter;
  int64_t length = 0;
  try {
    length = host.FileLen(source);
    if (show_meter && (meter = CreateMeter())) {
      meter->AllgmeterInit();
      meter->AllgmeterStart(0, TRT("Kopieren") + "...",
                            GetFileName(source) + "   --->   " +
                                GetFileName(target),
                            0, 100, static_cast<double>(length));
    }
    // The old target is not deleted first, as it once was: it stays until
    // the complete copy takes its place.
    CopyOptions options;
    options.replace_existing = replace_existing;
    options.block_bytes = kMeterBlockBytes;
    options.before_replace = RefuseIfInUse;
    if (meter) {
      options.progress = [&meter](int64_t copied, int64_t total) {
        const int64_t remaining = total - copied;
        meter->AllgmeterUpdate(
            100 - static_cast<int32_t>(100 * remaining / total));
      };
    }
    host.CopyFile(source, target, options);
  } catch (const Error& e) {
    if (meter) meter->Stop();
    Err().Set(e);
    if (messages) {
      host.MsgBox(TRT("Daten-Zugriff-Problem!") + "\n" +
                      TRT("Fehler beim Kopieren!") + "\n" +
                      std::to_string(e.number()) + " " + e.description(),
                  kExclamationSystemModal, "");
    }
    return std::nullopt;
  }
  if (meter) meter->Stop();
  if (messages) {
    host.MsgBox(TRT("Kopiervorgang abgeschlossen"), kInformationSystemModal,
                "");
  }
  return length;
}

// Tells developers of a copy on a server installation that reached the
// file system although the caller should have said so (dont_look_4sql).
void ReportCopyUnderServer(const std::string& source, const std::string& target) {
  if (!bIstEntwicklung()) return;
  // A file directly in the structures folder was dealt with before; one
  // below it should not be copied on the server at all.
  const std::string structures = GetVerzeichnis("STRUKTUREN", true, false);
  if (!structures.empty() && Left(UCase(source), Len(structures)) == UCase(structures)) {
    CurrentHost().MsgBox("Hallo - Strukturen werden am Server kopiert - läuft da was schief?",
                         kSystemModal, "bIstEntwicklung");
  }
  ShowAksEntwicklung("UFileCopy unter server???\nWarum ist nicht 'bDontLook4SQL' gesetzt?\n" +
                     source + "\n" + target);
}

void LetMessagesRun(Host& host, int times) {
  for (int i = 0; i < times; ++i) host.DoEvents();
}

// Runs the chosen copier; true when it reports the copy made.  A run-time
// error raises.
bool RunCopier(Host& host, const std::string& source,
               const std::string& target, const CopyFlags& flags) {
  const Copier copier = ChooseCopier(host.FileLen(source), flags);
  if (copier == Copier::kBlockWithMeter) {
    std::optional<int64_t> copied =
        CopyWithMeter(source, target, false, true, flags.show_progress,
                      !flags.check_target);
    if (!copied && Err().Number() == kErrFileExists) Err().Raise();
    return copied.has_value();
  }
  bool done;
  if (flags.check_target) {
    // Only a copy that cannot replace may follow the test for the target:
    // of two processes copying to the same new name, one finds the other's
    // file.
    CopyOptions options;
    options.replace_existing = false;
    host.CopyFile(source, target, options);
    done = true;
  } else if (copier == Copier::kPlain) {
    CopyOptions options;
    options.before_replace = RefuseIfInUse;
    host.CopyFile(source, target, options);
    done = true;
  } else {
    done = DateiOperation(kFoCopy, source, target, false, true, 0,
                          flags.shell_always);
  }
  LetMessagesRun(host, 3);
  return done;
}

}  // namespace

Copier ChooseCopier(int64_t length, const CopyFlags& flags) {
  const bool large = length > kSmallFileBytes;
  if (flags.block_copy_allowed &&
      ((large && !flags.shell_always) || flags.show_progress)) {
    return Copier::kBlockWithMeter;
  }
  if (!large && !flags.show_progress && !flags.shell_always) {
    return Copier::kPlain;
  }
  return Copier::kShell;
}

void UFileCopy(const std::string& source, std::string& target, int32_t& status,
               const CopyFlags& flags) {
  if (!flags.dont_look_4sql && DataOnServer()) {
    // A structure template copied to a temporary name or a database of the
    // older kind becomes a new file on the server.
    if (InStructuresFolder(source, false)) {
      const std::string upper = UCase(target);
      if ((InStr(target, "~") > 0 || Right(upper, 4) == ".MDB" || InStr(upper, "TEMP") > 0) &&
          !ServerStructureCopy(target)) {
        status = Err().Number();
        if (bIstEntwicklung()) {
          CurrentHost().MsgBox("UFileCopy - SQL-Server - nicht gelungen:\n" + source +
                                   "\n  --->\n" + target,
                               kSystemModal, "bIstEntwicklung");
        }
      }
      return;
    }
    // The companions of an LV file are saved sets there.
    if (IsLvCompanion(source)) {
      if (!VorlageSpeichern(source, "LV", GetFileName(target))) status = kErrFileNotFound;
      return;
    }
    // A project file's rows and a stored document are copied on the
    // server; an existing target is kept as check_target asks, and a
    // failure is reported, not passed over as a copy.
    bool document_missing = false;
    switch (ServerFileCopy(source, target, !flags.check_target)) {
      case ServerCopyResult::kCopied: return;
      case ServerCopyResult::kTargetExisted: status = kCopyTargetExisted; return;
      case ServerCopyResult::kFailed: status = Err().Number(); return;
      case ServerCopyResult::kNoDocument: document_missing = true; break;
      case ServerCopyResult::kNotHandled: break;
    }
    ReportCopyUnderServer(source, target);
    if (!IsTemporaryCopy(source, target)) {
      // Nothing was copied: a document that is not there is missing.
      if (document_missing) status = kErrFileNotFound;
      return;
    }
  }

  Host& host = CurrentHost();
  if (source.empty() || target.empty() || Right(source, 1) == "\\" ||
      Right(source, 2) == "..") {
    status = kErrFileNotFound;
    host.Beep();
    return;
  }
  bool quick = false;
  const bool local = flags.dont_look_4sql;
  if (flags.check_target && Uexist(target, false, local, quick)) {
    if (!flags.quiet &&
        (InStr(UCase(target), "ADRCONFIG") == 0 || bIstEntwicklung())) {
      host.MsgBox(TRT("Kopieren nicht möglich!") + "  \n\n" +
                      TRT("Zieldatei bereits vorhanden!") + "      \n" + target,
                  kInformationSystemModal, "");
    }
    status = kCopyTargetExisted;
    return;
  }

  host.SetMousePointer(kPointerHourglass);
  const bool target_was_there = PathIsThere(host, target);
  bool copied = false;
  Err().Clear();
  try {
    copied = RunCopier(host, source, target, flags);
  } catch (const Error& e) {
    Err().Set(e);
  }
  if (!copied && Err().Number() == kErrFileExists && flags.check_target) {
    // Another process made the target meanwhile.
    Err().Clear();
    status = kCopyTargetExisted;
    host.SetMousePointer(0);
    return;
  }
  if (copied && Uexist(target, false, local, quick)) {
    status = kCopyDone;
    host.DoEvents();
    host.SetMousePointer(0);
    return;
  }

  // Recovery: once more through the shell's copy, without its dialogs.
  Err().Clear();
  for (;;) {
    if (DateiOperation(kFoCopy, source, target, false, true, 0, false)) {
      status = Uexist(target, false, local, quick) ? kCopyDone
                                                   : kErrFileNotFound;
      break;
    }
    if (!Err().IsSet()) Err().Set(kErrFileNotFound);
    status = Err().Number();
    if (flags.quiet) break;
    const std::string message = TRT("...beim Kopieren von Quelle auf Ziel:") +
                                "\n\n" + source + "\n" + target;
    const std::string title = TRT("Kopieren Dateien") + "   " +
                              ProgrammBasisName(host.ExecutableName());
    if (ShowErrorEMW(Err(), message, title, false, 0) != kAnswerRetry) break;
  }
  LetMessagesRun(host, 2);
  // A target that is there now was made by this copy, unless it was there
  // before: then it is the old one, which a refused copy left alone.
  if (status != kCopyDone && !target_was_there &&
      Uexist(target, false, local, quick)) {
    status = kCopyDone;
  }
  host.SetMousePointer(0);
}

float KopierenMitMeter(const std::string& source, const std::string& target,
                       bool messages, bool overwrite, bool show_meter) {
  std::optional<int64_t> copied =
      CopyWithMeter(source, target, messages, overwrite, show_meter, true);
  return copied ? static_cast<float>(*copied) : 0.0f;
}

}  // namespace vx
