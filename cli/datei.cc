#include "cli/datei.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "cli/outcome.h"
#include "cli/value_text.h"
#include "files/file_copy.h"
#include "files/file_delete.h"
#include "files/file_set.h"
#include "files/path_utils.h"
#include "files/uexist.h"
#include "platform/linux_host.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

constexpr const char* kUsage =
    "Aufruf: taluvek datei kopieren QUELLE ZIEL [--fortschritt] [--blockweise]\n"
    "        taluvek datei loeschen PFAD... [--papierkorb] [--datenbank]\n"
    "        taluvek datei info PFAD [--json]\n"
    "\n"
    "Die Dateien eines Projekts. Pfade in der Form der Suite\n"
    "(T:\\PROJEKT\\4711.VX3EK, Laufwerke nach Laufwerke.INI) oder als Pfade\n"
    "dieses Rechners.\n"
    "\n"
    "  kopieren    kopiert QUELLE nach ZIEL (eine Datei oder ein Ordner); die\n"
    "              Kopie ersetzt das Ziel erst, wenn sie vollständig ist, und\n"
    "              nie eine Datenbank, die jemand geöffnet hat\n"
    "  loeschen    löscht jede Datei, die keiner geöffnet hat\n"
    "  info        Dateityp, Projektnummer, LV-Teil, die Tabellen im\n"
    "              Servermodus und die Dokumentart, die die Suite aus dem\n"
    "              Namen liest\n"
    "\n"
    "Optionen:\n"
    "  --fortschritt  zeigt auf einem Terminal einen Fortschrittsbalken\n"
    "                 (blockweise Kopie)\n"
    "  --blockweise   kopiert große Dateien blockweise\n"
    "  --papierkorb   löscht in den Papierkorb (wiederherstellbar)\n"
    "  --datenbank    löscht auch die Sperrdatei (.LDB) einer Datenbank\n"
    "  --json         info als ein JSON-Objekt\n"
    "  -h, --help     diese Hilfe\n"
    "\n"
    "Rückgabewert: 0 erledigt, 1 fehlgeschlagen, 2 falscher Aufruf.\n";

constexpr const char* kPrefix = "taluvek datei: ";

struct Request {
  std::string action;
  std::vector<std::string> paths;
  bool progress = false;
  bool blockwise = false;
  bool recycle = false;
  bool database = false;
  bool json = false;
};

// A host path ("/srv/a.txt", "sub/a.txt") in the suite's form, which the
// host maps back; a path in the suite's form stays as it is.
std::string SuitePath(const std::string& path) { return Replace(path, "/", "\\"); }

bool IsFolder(const std::string& path) {
  try {
    return (CurrentHost().GetAttr(path) & kAttrDirectory) != 0;
  } catch (const Error&) {
    return false;
  }
}

std::string Megabytes(int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

// Draws the reports on standard error, when it is a terminal.
class TerminalProgress {
 public:
  void operator()(const ProgressReport& report) {
    using Clock = std::chrono::steady_clock;
    if (report.stage == ProgressReport::Stage::kStart) start_ = Clock::now();
    const double seconds =
        std::chrono::duration<double>(Clock::now() - start_).count();
    std::cerr << "\r" << ProgressLine(report, seconds) << "\x1b[K"
              << (report.stage == ProgressReport::Stage::kStop ? "\n" : "")
              << std::flush;
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

void InstallProgressBar() {
  if (!isatty(STDERR_FILENO)) return;
  HostHooks hooks = *InstalledHostHooks();
  hooks.progress = TerminalProgress();
  SetHostHooks(std::move(hooks));
}

int Copy(const Request& request, std::ostream& out, std::ostream& err) {
  const std::string& source = request.paths[0];
  std::string target = request.paths[1];
  if (Right(target, 1) == "\\" || IsFolder(target)) {
    target = AddBackslash(target) + GetFileName(source);
  }
  if (request.progress) InstallProgressBar();
  CopyFlags flags;
  flags.show_progress = request.progress;
  flags.block_copy_allowed = request.blockwise || request.progress;
  int32_t status = kCopyDone;
  UFileCopy(source, target, status, flags);
  if (status != kCopyDone) {
    err << kPrefix << source << " nicht nach " << target << " kopiert: "
        << (Err().IsSet() ? Err().Description() : StandardDescription(status))
        << " (Status " << status << ")\n";
    return kExitFailed;
  }
  out << source << " -> " << target << "\n";
  return kExitDone;
}

int Delete(const Request& request, std::ostream& out, std::ostream& err) {
  int exit_code = kExitDone;
  for (const std::string& path : request.paths) {
    bool recycle = request.recycle;
    if (UnserKill(path, request.database, recycle, false)) {
      out << path << (recycle ? " in den Papierkorb gelegt\n" : " gelöscht\n");
    } else {
      err << kPrefix << path
          << " nicht gelöscht (fehlt der Name, oder hat jemand die Datei "
             "geöffnet?)\n";
      exit_code = kExitFailed;
    }
  }
  return exit_code;
}

int Info(const Request& request, std::ostream& out) {
  const std::string& path = request.paths[0];
  const FileNameParts parts = SplitFileName(path);
  const std::string extension =
      parts.extension.empty() ? "" : "." + UCase(parts.extension);
  const FileKind* kind = FindFileKind(extension);
  std::string code = kind ? std::string(kind->code) : "";
  std::string lv_part;
  std::string project;
  if (code == "LV") {
    project = GetProNrFromLVName(parts.file, lv_part);
  } else if (!code.empty()) {
    project = GetProNrFromFile(code, parts.file);
  }
  std::string document_type;
  const std::string tables = GetTables_4SQL(path, document_type);
  bool quick = false;
  // Asked where the suite would look: on a server installation the server.
  const bool present = Uexist(path, false, false, quick);
  const std::string shared = IsStructureTemplateName(parts.file)
                                 ? "Strukturvorlage"
                                 : IsSharedDatabaseName(parts.file)
                                       ? "gemeinsame Datenbank"
                                       : "";
  if (request.json) {
    out << "{\"pfad\": " << JsonString(path) << ", \"typ\": " << JsonString(code)
        << ", \"projektnummer\": " << JsonString(project)
        << ", \"lv_teil\": " << JsonString(lv_part)
        << ", \"tabellen\": " << JsonString(tables)
        << ", \"dokumentart\": " << JsonString(document_type)
        << ", \"art\": " << JsonString(shared)
        << ", \"vorhanden\": " << (present ? "true" : "false") << "}\n";
    return kExitDone;
  }
  out << "Pfad = " << path << "\n"
      << "Typ = " << code << "\n"
      << "Projektnummer = " << project << "\n"
      << "LV-Teil = " << lv_part << "\n"
      << "Tabellen = " << tables << "\n"
      << "Dokumentart = " << document_type << "\n"
      << "Art = " << shared << "\n"
      << "Vorhanden = " << (present ? "ja" : "nein") << "\n";
  return kExitDone;
}

}  // namespace

std::string ProgressLine(const ProgressReport& report, double seconds) {
  constexpr int kWidth = 30;
  const int filled = report.percent * kWidth / 100;
  std::string line = report.caption + " [" + std::string(filled, '#') +
                     std::string(kWidth - filled, '.') + "] ";
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d %%", report.percent);
  line += percent;
  if (report.total_bytes <= 0) return line;
  const int64_t done = report.total_bytes * report.percent / 100;
  line += "  " + Megabytes(done) + " / " + Megabytes(report.total_bytes);
  if (seconds <= 0 || done <= 0) return line;
  const double rate = static_cast<double>(done) / seconds;
  line += "  " + Megabytes(static_cast<int64_t>(rate)) + "/s";
  if (report.percent < 100) {
    const auto left = static_cast<int64_t>(
        static_cast<double>(report.total_bytes - done) / rate + 0.5);
    char time_left[32];
    std::snprintf(time_left, sizeof time_left, "  noch %lld:%02lld",
                  static_cast<long long>(left / 60),
                  static_cast<long long>(left % 60));
    line += time_left;
  }
  return line;
}

namespace {

// Whether the command of `request` got as many paths as it takes (at least
// one for loeschen); reports a usage error when not.
bool PathsFit(const Request& request, const Invocation& call) {
  const std::string& action = request.action;
  const size_t given = request.paths.size();
  if (action == "kopieren" && given != 2) {
    call.UsageError("kopieren braucht QUELLE und ZIEL");
    return false;
  }
  if (action == "loeschen" && given == 0) {
    call.UsageError("loeschen braucht mindestens einen PFAD");
    return false;
  }
  if (action == "info" && given != 1) {
    call.UsageError("info braucht genau einen PFAD");
    return false;
  }
  return true;
}

int Datei(Request request, const Invocation& call) {
  if (!PathsFit(request, call)) return kExitUsage;
  for (std::string& path : request.paths) path = SuitePath(path);
  if (request.action == "kopieren") return Copy(request, call.out(), call.err());
  if (request.action == "loeschen") {
    return Delete(request, call.out(), call.err());
  }
  return Info(request, call.out());
}

}  // namespace

void AddDatei(CommandLine& line) {
  CLI::App* datei = line.Add(line.root(), "datei", kUsage);
  for (const char* action : {"kopieren", "loeschen", "info"}) {
    auto request = std::make_shared<Request>();
    request->action = action;
    CLI::App* command = line.Add(*datei, action, kUsage,
                                 [request](const Invocation& call) {
                                   return Datei(*request, call);
                                 });
    command->add_option("PFAD", request->paths);
    const std::string name = action;
    if (name == "kopieren") {
      command->add_flag("--fortschritt", request->progress);
      command->add_flag("--blockweise", request->blockwise);
    } else if (name == "loeschen") {
      command->add_flag("--papierkorb", request->recycle);
      command->add_flag("--datenbank", request->database);
    } else {
      command->add_flag("--json", request->json);
    }
  }
}

}  // namespace vx::cli
