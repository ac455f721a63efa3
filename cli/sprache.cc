#include "cli/sprache.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "cli/outcome.h"
#include "data/connections.h"
#include "translate/language_db.h"
#include "translate/po_exchange.h"
#include "translate/po_file.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

constexpr const char* kUsage =
    "Aufruf: taluvek sprache export DATEI.po --sprache N\n"
    "        taluvek sprache export --vorlage DATEI.pot\n"
    "        taluvek sprache import DATEI.po --sprache N\n"
    "\n"
    "Die Texte der Sprachdatenbank Language2.vx3db (Tabellen Ausgaben und\n"
    "Beschriftung) mit ihren Übersetzungen in Sprache N (2 bis 4) als\n"
    "gettext-Katalog (PO-Datei) für die Übersetzer.\n"
    "\n"
    "  export      schreibt die Texte und ihre Übersetzungen nach DATEI.po\n"
    "  import      schreibt die Übersetzungen aus DATEI.po zurück, alle oder\n"
    "              keine; ein leerer msgstr löscht die Übersetzung, unbekannte\n"
    "              und unsichere (fuzzy) Einträge werden gemeldet und\n"
    "              übergangen, eine fehlerhafte Datei wird mit ihrer Zeile\n"
    "              abgewiesen, ohne dass etwas geschrieben wird\n"
    "\n"
    "Statt DATEI.po liest import mit - die Standardeingabe und schreibt\n"
    "export mit - auf die Standardausgabe.\n"
    "\n"
    "Die Sprachdatenbank liegt im Verzeichnis SYSTEM der Einstellungsdatei\n"
    "(Abschnitt [Datei Verzeichnisse]).\n"
    "\n"
    "Optionen:\n"
    "  --sprache N   die Sprache der Übersetzungen, 2, 3 oder 4\n"
    "  --vorlage     export: die Vorlage aller Kataloge (.pot), alle Texte\n"
    "                ohne Übersetzung\n"
    "  -h, --help    diese Hilfe\n"
    "\n"
    "Rückgabewert: 0 erledigt, 1 fehlgeschlagen, 2 falscher Aufruf.\n";

constexpr const char* kPrefix = "taluvek sprache: ";

// The file name that stands for standard input or output.
constexpr const char* kStandardStream = "-";

struct Request {
  std::string action;  // "export" or "import"
  std::string file;
  int language = 0;    // 0 for the template
  bool template_only = false;
};

std::string FileName(const Request& request) {
  if (request.file != kStandardStream) return request.file;
  return request.action == "import" ? "Standardeingabe" : "Standardausgabe";
}


std::optional<int> ParseLanguage(const std::string& text) {
  if (text.size() != 1 || text[0] < '0' + kFirstTranslatedLanguage ||
      text[0] > '0' + kLastTranslatedLanguage) {
    return std::nullopt;
  }
  return text[0] - '0';
}

// What the parser read.
struct Given {
  explicit Given(std::shared_ptr<std::optional<std::string>> shared_language)
      : language(std::move(shared_language)) {}
  std::string file;
  std::shared_ptr<std::optional<std::string>> language;  // --sprache N
  bool template_only = false;                            // --vorlage
};

// The request of `action` that what was given makes, or nothing after a
// usage error was reported.
std::optional<Request> MakeRequest(const std::string& action,
                                   const Given& given,
                                   const Invocation& call) {
  auto usage_error = [&](const std::string& what) {
    call.UsageError(what);
    return std::nullopt;
  };
  Request request;
  request.action = action;
  request.file = given.file;
  request.template_only = given.template_only;
  if (request.file.empty()) return usage_error("DATEI.po fehlt");
  if (request.template_only) {
    if (*given.language) {
      return usage_error("die Vorlage hat keine Sprache (--sprache weglassen)");
    }
    return request;
  }
  if (!*given.language) return usage_error("--sprache fehlt");
  std::optional<int> number = ParseLanguage(**given.language);
  if (!number) {
    return usage_error("--sprache " + **given.language +
                       ": die Sprache ist 2, 3 oder 4");
  }
  request.language = *number;
  return request;
}

// The installation's language database, opened; nullptr after the reason
// was reported on `err`.
DbHandle OpenLanguageDb(bool read_only, std::ostream& err) {
  const std::string path = LanguageDbPath(true);
  if (path.empty()) {
    err << kPrefix
        << "die Einstellungsdatei nennt kein Verzeichnis SYSTEM (Abschnitt "
           "[Datei Verzeichnisse])\n";
    return nullptr;
  }
  try {
    Variant connect(kBareConnect);
    return OpenDb(path, false, Variant(read_only), connect, true);
  } catch (const Error& e) {
    err << kPrefix << "die Sprachdatenbank " << path
        << " lässt sich nicht öffnen: " << e.description() << " (Fehler "
        << e.number() << ")\n";
    return nullptr;
  }
}

// Writes `content` to `path` through a temporary file beside it, so that a
// failed write leaves no half-written catalogue behind.
bool WriteWholeFile(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << content;
    file.close();
    if (!file) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) std::filesystem::remove(temporary, error);
  return !error;
}

std::optional<std::string> ReadWholeStream(std::istream& in) {
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return content.str();
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return ReadWholeStream(file);
}

int Export(const Request& request, std::ostream& out, std::ostream& err) {
  DbHandle db = OpenLanguageDb(true, err);
  if (!db) return kExitFailed;
  PoCatalog catalog;
  std::string text;
  try {
    catalog = request.template_only ? ExportTemplate(*db)
                                    : ExportTranslations(*db, request.language);
    text = FormatPo(catalog);
  } catch (const Error& e) {
    CloseDb(db);
    err << kPrefix << "Fehler " << e.number() << ": " << e.description()
        << "\n";
    return kExitFailed;
  }
  CloseDb(db);
  // On standard output the catalogue is the output; the report goes with
  // the messages.
  std::ostream& report = request.file == kStandardStream ? err : out;
  if (request.file == kStandardStream) {
    out << text;
    out.flush();
    if (!out) {
      err << kPrefix << "die Standardausgabe lässt sich nicht schreiben\n";
      return kExitFailed;
    }
  } else if (!WriteWholeFile(request.file, text)) {
    err << kPrefix << request.file << " lässt sich nicht schreiben\n";
    return kExitFailed;
  }
  if (request.template_only) {
    report << kPrefix << catalog.entries.size() << " Texte als Vorlage nach "
           << FileName(request) << " geschrieben\n";
    return kExitDone;
  }
  size_t translated = 0;
  for (const PoEntry& entry : catalog.entries) {
    if (!entry.translation.empty()) ++translated;
  }
  report << kPrefix << catalog.entries.size() << " Texte nach "
         << FileName(request) << " geschrieben, " << translated
         << " davon in Sprache " << request.language << " übersetzt\n";
  return kExitDone;
}

int Import(const Request& request, std::istream& in, std::ostream& out,
           std::ostream& err) {
  std::optional<std::string> content = request.file == kStandardStream
                                           ? ReadWholeStream(in)
                                           : ReadWholeFile(request.file);
  if (!content) {
    err << kPrefix << FileName(request) << " lässt sich nicht lesen\n";
    return kExitFailed;
  }
  const std::string name = FileName(request);
  PoCatalog catalog;
  try {
    catalog = ParsePo(*content);
  } catch (const Error& e) {
    err << kPrefix << name << ", " << e.description()
        << "; nichts geschrieben\n";
    return kExitFailed;
  }
  DbHandle db = OpenLanguageDb(false, err);
  if (!db) return kExitFailed;
  ImportResult result;
  try {
    result = ImportTranslations(*db, request.language, catalog);
  } catch (const Error& e) {
    CloseDb(db);
    if (e.number() == kErrMalformedCatalog) {
      err << kPrefix << name << ", " << e.description()
          << "; nichts geschrieben\n";
    } else {
      err << kPrefix << "Fehler " << e.number() << ": " << e.description()
          << "; nichts geschrieben\n";
    }
    return kExitFailed;
  }
  CloseDb(db);
  for (const std::string& skipped : result.skipped) {
    err << kPrefix << name << ", " << skipped << "\n";
  }
  out << kPrefix << result.changed_texts << " Übersetzungen aus "
      << name << " geschrieben (" << result.changed_rows
      << " Zeilen geändert), " << result.skipped.size()
      << " Einträge übergangen\n";
  return kExitDone;
}

int Sprache(const std::string& action, const Given& given,
            const Invocation& call) {
  std::optional<Request> request = MakeRequest(action, given, call);
  if (!request) return kExitUsage;
  return action == "export" ? Export(*request, call.out(), call.err())
                            : Import(*request, call.in(), call.out(),
                                     call.err());
}

}  // namespace

void AddSprache(CommandLine& line) {
  CLI::App* sprache = line.Add(line.root(), "sprache", kUsage);
  // --sprache may come before the action as well.
  auto language = std::make_shared<std::optional<std::string>>();
  sprache->add_option("--sprache", *language);
  for (const char* action : {"export", "import"}) {
    auto given = std::make_shared<Given>(language);
    CLI::App* command = line.Add(*sprache, action, kUsage,
                                 [action, given](const Invocation& call) {
                                   return Sprache(action, *given, call);
                                 });
    command->add_option("DATEI", given->file);
    command->add_option("--sprache", *language);
    if (std::string(action) == "export") {
      command->add_flag("--vorlage", given->template_only);
    }
  }
}

}  // namespace vx::cli
