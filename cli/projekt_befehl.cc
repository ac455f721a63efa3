#include "cli/projekt_befehl.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "cli/argument_text.h"
#include "cli/column_input.h"
#include "cli/outcome.h"
#include "cli/projekt_neu.h"
#include "cli/value_text.h"
#include "config/directories.h"
#include "data/connections.h"
#include "engine/field_types.h"
#include "platform/text.h"
#include "vx_taluvek/cls_projekt.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

constexpr const char* kExitCodes =
    "\nRückgabewert: 0 gelungen, 1 nicht gelungen (lProjektErrNum und\n"
    "sProjektErrText auf der Fehlerausgabe), 2 falscher Aufruf.\n";

constexpr const char* kOverview =
    "Aufruf: taluvek [--ini NAME] projekt zeigen (NR | --id ID) [--json]\n"
    "        taluvek [--ini NAME] projekt setzen (NR | --id ID) [--trotz-sperre]\n"
    "                SPALTE=WERT ...\n"
    "        taluvek [--ini NAME] projekt sperren (NR | --id ID)\n"
    "        taluvek [--ini NAME] projekt entsperren (NR | --id ID)\n"
    "        taluvek [--ini NAME] projekt alle-entsperren\n"
    "        taluvek [--ini NAME] projekt neu [NR] [--rv] [--json]\n"
    "        taluvek [--ini NAME] projekt liste [--json]\n"
    "\n"
    "Ein Projekt der Projektdatenbank PROJEKT.VX3DB (im Verzeichnis PROJEKT der\n"
    "Einstellungsdatei), bearbeitet durch das Projektobjekt cls_Projekt: NR ist\n"
    "die Projektnummer (ProNr), ID die Id des Projekts.\n"
    "\n"
    "  zeigen            zeigt jede Spalte des Projekts\n"
    "  setzen            ändert Spalten und speichert das Projekt\n"
    "  sperren           sperrt das Projekt für andere Benutzer\n"
    "  entsperren        hebt die Sperre des Projekts auf\n"
    "  alle-entsperren   hebt die Sperre aller Projekte auf\n"
    "  neu               legt ein Projekt an\n"
    "  liste             zeigt alle Projekte\n"
    "\n"
    "\"taluvek projekt BEFEHL --help\" beschreibt jeden Befehl.\n";

constexpr const char* kZeigenUsage =
    "Aufruf: taluvek [--ini NAME] projekt zeigen (NR | --id ID) [--json]\n"
    "\n"
    "Liest das Projekt mit der Nummer NR oder der Id ID (bProjektRead) und\n"
    "zeigt jede Spalte als Zeile NAME = Wert. Zahlen stehen mit Punkt als\n"
    "Dezimaltrennzeichen, Datumswerte als JJJJ-MM-TT hh:mm:ss; Zeilenumbrüche\n"
    "in Texten erscheinen als \\n.\n";

constexpr const char* kSetzenUsage =
    "Aufruf: taluvek [--ini NAME] projekt setzen (NR | --id ID) [--trotz-sperre]\n"
    "                SPALTE=WERT ...\n"
    "\n"
    "Liest das Projekt (bProjektRead), ändert die Spalten im Zwischenspeicher\n"
    "des Projektobjekts (bProjektDatenWrite) und speichert es (bProjWrite).\n"
    "Gespeichert werden nur die geänderten Spalten; hat ein anderer Benutzer\n"
    "eine davon inzwischen geändert, wird nichts gespeichert (lProjektErrNum\n"
    "3197). Nimmt eine Spalte ihren Wert nicht an (die Spalten Id und\n"
    "Aktualisierung, die das Speichern selbst setzt), wird das gemeldet und\n"
    "der Rückgabewert ist 1. Ein gesperrtes Projekt (sperren) wird nur mit\n"
    "--trotz-sperre geändert.\n"
    "\n"
    "SPALTE ist der Name einer Spalte (ohne Rücksicht auf Groß- und\n"
    "Kleinschreibung), nie ihre Position. WERT ist ein Text. Für Zahlenspalten\n"
    "gilt das Dezimaltrennzeichen der Region (in de_DE also 12,5); Tausender-\n"
    "trennzeichen und das jeweils andere Zeichen sind nicht erlaubt, da sie\n"
    "je nach Region anders gelesen würden. Ein Datum schreibt sich am besten\n"
    "JJJJ-MM-TT; andere Formen liest die Region, und die Lesart wird gezeigt.\n"
    "Ja/Nein-Spalten nehmen Wahr, Falsch, ja, nein, True und False. Eine\n"
    "leere Projektnummer (ProNr) ist nicht erlaubt. Andere Werte schreiben\n"
    "sich so:\n";

constexpr const char* kSperrenUsage =
    "Aufruf: taluvek [--ini NAME] projekt sperren (NR | --id ID)\n"
    "\n"
    "Sperrt das Projekt für die Bearbeitung durch andere (bProjektLock). Ein\n"
    "Projekt, das schon gesperrt ist, auch vom selben Benutzer, wird nicht\n"
    "noch einmal gesperrt: lProjektErrNum -20, Rückgabewert 1.\n";

constexpr const char* kEntsperrenUsage =
    "Aufruf: taluvek [--ini NAME] projekt entsperren (NR | --id ID)\n"
    "\n"
    "Hebt die Sperre des Projekts auf (bProjektUnLock). Ein Projekt, das es\n"
    "nicht gibt, meldet 3021 \"No Current Record\".\n";

constexpr const char* kAlleEntsperrenUsage =
    "Aufruf: taluvek [--ini NAME] projekt alle-entsperren\n"
    "\n"
    "Hebt die Sperre aller Projekte auf (bProjektUnLockAll), auch die anderer\n"
    "Benutzer. Ist die Standardeingabe ein Terminal, wird vorher gefragt.\n";

constexpr const char* kIdOption =
    "  --id ID       das Projekt mit der Id ID statt einer Nummer\n";
constexpr const char* kDespiteLockOption =
    "  --trotz-sperre  ändert auch ein gesperrtes Projekt\n";
constexpr const char* kJsonOption =
    "  --json        ein JSON-Objekt statt der Zeilen: Zahlen als Zahlen,\n"
    "                Wahrheitswerte als true und false, leere Spalten als null,\n"
    "                Datumswerte als \"JJJJ-MM-TT hh:mm:ss\", BEMERKUNG als Text\n";

using Columns = std::vector<std::pair<std::string, Variant>>;

struct Request {
  std::string command;  // "taluvek projekt zeigen", for messages
  int32_t id = 0;       // 0: the project is named by `nr`
  std::string nr;
  bool json = false;
  bool despite_lock = false;  // --trotz-sperre
  Columns columns;            // SPALTE=WERT in the order given
  std::istream* ask = nullptr;  // where the answer to a question comes from
};

// How a subcommand is called and what it does.
struct Subcommand {
  const char* name;
  const char* usage;
  bool names_project;  // takes NR or --id ID
  bool takes_columns;  // takes SPALTE=WERT ...
  bool takes_json;
  bool asks;  // asks before it acts when standard input is a terminal
  int (*run)(const Request& request, std::ostream& out, std::ostream& err);
};

// "Projekt 4711 (Id 7)", "Projekt ohne Nummer (Id 8)".
std::string Label(int32_t id, const std::string& nr) {
  return "Projekt " + (nr.empty() ? "ohne Nummer" : PlainText(Variant(nr))) +
         " (Id " + std::to_string(id) + ")";
}

int ReportFalseOf(const Request& request, const std::string& operation,
                  const cls_Projekt& projekt, std::ostream& err) {
  ReportFalse(err, request.command, operation, projekt.lProjektErrNum(),
              projekt.sProjektErrText());
  return kExitFailed;
}

// Reads the project the request names into `projekt`; `id` and `nr` become
// its Id and number.  bProjektRead answers False for a project whose number
// is empty, since its test asks for a number, though it has read the row:
// by its Id such a project is read all the same.
bool ReadProjekt(cls_Projekt& projekt, const Request& request, int32_t& id,
                 std::string& nr) {
  id = request.id;
  nr = request.nr;
  if (projekt.bProjektRead(id, nr)) return true;
  if (request.id == 0 || projekt.lProjektErrNum() != 0 ||
      projekt.nProjektfieldscount() == 0 ||
      projekt.lProjektId() != request.id || !projekt.sProjektNr().empty()) {
    return false;
  }
  nr.clear();
  return true;
}

struct Column {
  std::string name;
  int16_t type;  // the engine's type code
};

// The columns of Projekt, in the order of the field cache (that of
// "SELECT * FROM Projekt").  The project object keeps them to itself, so
// they are read from the table.
std::vector<Column> ProjektColumns(int32_t id) {
  Variant connect(kBareConnect);
  DbHandle db = OpenDb(GetVerzeichnis("PROJEKT", true, false) + "PROJEKT.VX3DB",
                       false, Variant(true), connect, true);
  RsHandle rs = db->OpenRecordset(
      "SELECT * FROM Projekt WHERE Id = " + std::to_string(id),
      Variant(dao::kOpenSnapshot));
  std::vector<Column> columns;
  for (int32_t i = 0; i < rs->Fields().Count(); ++i) {
    columns.push_back({rs->Fields()[i].Name(), rs->Fields()[i].Type()});
  }
  CloseRs(rs);
  CloseDb(db);
  return columns;
}

int RunZeigen(const Request& request, std::ostream& out, std::ostream& err) {
  cls_Projekt projekt;
  int32_t id = 0;
  std::string nr;
  if (!ReadProjekt(projekt, request, id, nr)) {
    return ReportFalseOf(request, "bProjektRead", projekt, err);
  }
  std::vector<std::string> names;
  for (const Column& column : ProjektColumns(id)) names.push_back(column.name);
  std::vector<Variant> values;
  for (size_t i = 0; i < names.size(); ++i) {
    Variant index(static_cast<int32_t>(i));
    values.push_back(projekt.vProjektDatenRead(index));
  }
  if (request.json) {
    out << "{";
    for (size_t i = 0; i < names.size(); ++i) {
      out << (i == 0 ? "\n  " : ",\n  ") << JsonString(names[i]) << ": "
          << JsonValue(values[i]);
    }
    out << "\n}\n";
    return kExitDone;
  }
  size_t width = 0;
  for (const std::string& name : names) width = std::max(width, Len(name));
  for (size_t i = 0; i < names.size(); ++i) {
    out << names[i] << std::string(width - Len(names[i]), ' ') << " = "
        << PlainText(values[i]) << "\n";
  }
  return kExitDone;
}

// Whether the value read back after the save, `stored`, is what was asked
// for.  A value that a column refuses leaves the stored one; null (and the
// empty text) come back as the blank value of the column's kind.
bool HoldsRequested(const Variant& requested, const Variant& stored) {
  if (requested.IsNull() || requested.IsEmpty() || requested == Variant("")) {
    return stored.IsEmpty() || stored == Variant("") ||
           stored == Variant(false) || stored == Variant(ByteArray()) ||
           (stored.IsNumber() && CDbl(stored) == 0);
  }
  try {
    switch (stored.type()) {
      case VarType::kInteger: return Variant(CInt(requested)) == stored;
      case VarType::kLong: return Variant(CLng(requested)) == stored;
      case VarType::kSingle: return Variant(CSng(requested)) == stored;
      case VarType::kDouble: return Variant(CDbl(requested)) == stored;
      case VarType::kCurrency: return Variant(CCur(requested)) == stored;
      case VarType::kDate: return Variant(CDate(requested)) == stored;
      case VarType::kBoolean: return Variant(CBool(requested)) == stored;
      case VarType::kByte: return Variant(CByte(requested)) == stored;
      case VarType::kByteArray: return Variant(CByteArray(requested)) == stored;
      default: return Variant(CStr(requested)) == stored;
    }
  } catch (const Error&) {
    return false;  // cannot be the column's value at all
  }
}

// Whether a column given at `i` is given again later on.
bool NamedAgainLater(const Columns& columns, size_t i) {
  for (size_t later = i + 1; later < columns.size(); ++later) {
    if (EqualsNoCase(Trim(columns[later].first), Trim(columns[i].first))) {
      return true;
    }
  }
  return false;
}

// Whether the project in `projekt` carries the lock flag: somebody is
// editing it.
bool IsLocked(cls_Projekt& projekt) {
  Variant flag("SatzLockKZ");
  try {
    return CBool(projekt.vProjektDatenRead(flag));
  } catch (const Error&) {
    return false;  // empty: no flag set
  }
}

int RunSetzen(const Request& request, std::ostream& out, std::ostream& err) {
  cls_Projekt projekt;
  int32_t id = 0;
  std::string nr;
  if (!ReadProjekt(projekt, request, id, nr)) {
    return ReportFalseOf(request, "bProjektRead", projekt, err);
  }
  if (IsLocked(projekt) && !request.despite_lock) {
    err << request.command << ": " << Label(id, nr)
        << " ist gesperrt: jemand bearbeitet es. Mit --trotz-sperre wird es "
           "trotzdem geändert.\n";
    return kExitFailed;
  }
  // Texts for numbers, dates and yes/no columns are read here, so that no
  // value is taken by a rule of the region that the caller did not mean.
  const std::vector<Column> columns = ProjektColumns(id);
  Columns values;
  for (const auto& [column, value] : request.columns) {
    int16_t type = dao::kTypeText;
    for (const Column& c : columns) {
      if (EqualsNoCase(c.name, Trim(column))) type = c.type;
    }
    ColumnInput input = ColumnInputOf(value, type);
    if (!input.value) {
      err << request.command << ": " << PlainText(Variant(column)) << ": "
          << input.message << "\n";
      return kExitUsage;
    }
    if (!input.message.empty()) {
      out << PlainText(Variant(column)) << ": " << input.message << "\n";
    }
    values.emplace_back(column, std::move(*input.value));
  }
  for (const auto& [column, value] : values) {
    Variant data = value;
    Variant name(column);
    if (!projekt.bProjektDatenWrite(data, name)) {
      err << request.command << ": keine Spalte " << PlainText(Variant(column))
          << "\n";
      return ReportFalseOf(request, "bProjektDatenWrite", projekt, err);
    }
  }
  if (!projekt.bProjWrite(id, nr)) {
    return ReportFalseOf(request, "bProjWrite", projekt, err);
  }

  cls_Projekt check;
  Request saved;
  saved.id = id;
  int32_t check_id = 0;
  std::string check_nr;
  if (!ReadProjekt(check, saved, check_id, check_nr)) {
    return ReportFalseOf(request, "bProjektRead", check, err);
  }
  bool all_taken = true;
  for (size_t i = 0; i < values.size(); ++i) {
    const auto& [column, value] = values[i];
    if (NamedAgainLater(values, i)) continue;  // the last one counts
    Variant name(column);
    Variant stored = check.vProjektDatenRead(name);
    if (!HoldsRequested(value, stored)) {
      err << request.command << ": die Spalte " << PlainText(Variant(column))
          << " hat den Wert " << PlainText(value)
          << " nicht angenommen (gespeichert: " << PlainText(stored) << ")\n";
      all_taken = false;
    }
  }
  out << Label(id, projekt.sProjektNr()) << " gespeichert.\n";
  return all_taken ? kExitDone : kExitFailed;
}

int RunSperren(const Request& request, std::ostream& out, std::ostream& err) {
  cls_Projekt projekt;
  int32_t id = request.id;
  std::string nr = request.nr;
  if (!projekt.bProjektLock(id, nr)) {
    return ReportFalseOf(request, "bProjektLock", projekt, err);
  }
  out << (request.id != 0 ? "Projekt mit der Id " + std::to_string(id)
                          : "Projekt " + PlainText(Variant(nr)))
      << " gesperrt.\n";
  return kExitDone;
}

// Unlocking a project that does not exist changes no row and would report
// success; reading it first tells the caller that the number is wrong.
int RunEntsperren(const Request& request, std::ostream& out,
                  std::ostream& err) {
  cls_Projekt projekt;
  int32_t id = 0;
  std::string nr;
  if (!ReadProjekt(projekt, request, id, nr)) {
    return ReportFalseOf(request, "bProjektRead", projekt, err);
  }
  if (!projekt.bProjektUnLock(id, nr)) {
    return ReportFalseOf(request, "bProjektUnLock", projekt, err);
  }
  out << Label(id, nr) << " entsperrt.\n";
  return kExitDone;
}

int RunAlleEntsperren(const Request& request, std::ostream& out,
                      std::ostream& err) {
  if (request.ask) {
    err << "Alle Projekte entsperren, auch die, die andere gerade "
           "bearbeiten? [j/N] ";
    std::string answer;
    std::getline(*request.ask, answer);
    const std::string word = UCase(Trim(answer));
    if (word != "J" && word != "JA") {
      err << request.command << ": abgebrochen, nichts entsperrt.\n";
      return kExitFailed;
    }
  }
  cls_Projekt projekt;
  if (!projekt.bProjektUnLockAll()) {
    return ReportFalseOf(request, "bProjektUnLockAll", projekt, err);
  }
  out << "Alle Projekte entsperrt.\n";
  return kExitDone;
}

constexpr Subcommand kSubcommands[] = {
    {"zeigen", kZeigenUsage, true, false, true, false, RunZeigen},
    {"setzen", kSetzenUsage, true, true, false, false, RunSetzen},
    {"sperren", kSperrenUsage, true, false, false, false, RunSperren},
    {"entsperren", kEntsperrenUsage, true, false, false, false, RunEntsperren},
    {"alle-entsperren", kAlleEntsperrenUsage, false, false, false, true,
     RunAlleEntsperren},
};

std::string UsageOf(const Subcommand& sub) {
  std::string usage = sub.usage;
  if (sub.takes_columns) usage += kArgumentSpellings;
  usage += "\nOptionen:\n";
  if (sub.names_project) usage += kIdOption;
  if (sub.takes_columns) usage += kDespiteLockOption;
  if (sub.takes_json) usage += kJsonOption;
  return usage + "  -h, --help    diese Hilfe\n" + kExitCodes;
}

std::optional<int32_t> ParseId(const std::string& text) {
  int32_t id = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (ec != std::errc() || end != text.data() + text.size() || id <= 0) {
    return std::nullopt;
  }
  return id;
}

// What the parser read for a subcommand.
struct Given {
  std::optional<std::string> id;   // --id ID
  std::vector<std::string> words;  // NR, then SPALTE=WERT ...
  bool json = false;
  bool despite_lock = false;
};

// The request that what was given makes, or nothing after a usage error
// was reported.
std::optional<Request> ParseRequest(const Subcommand& sub, const Given& given,
                                    const Invocation& call) {
  Request request;
  request.command = call.Name();
  request.json = given.json;
  request.despite_lock = given.despite_lock;
  auto usage_error = [&](const std::string& what) {
    call.UsageError(what);
    return std::nullopt;
  };
  std::vector<std::string> positionals = given.words;
  if (given.id) {
    std::optional<int32_t> id = ParseId(*given.id);
    if (!id) {
      return usage_error("ID ist eine ganze Zahl größer als 0, nicht '" +
                         *given.id + "'");
    }
    request.id = *id;
  } else if (sub.names_project) {
    if (positionals.empty()) return usage_error("NR oder --id ID fehlt");
    request.nr = positionals.front();
    positionals.erase(positionals.begin());
    if (Trim(request.nr).empty()) {
      return usage_error("NR ist leer (ein Projekt ohne Nummer: --id ID)");
    }
  }
  if (!sub.takes_columns) {
    if (!positionals.empty()) {
      return usage_error("überzähliges Argument '" + positionals.front() +
                         "'");
    }
    return request;
  }
  if (positionals.empty()) return usage_error("SPALTE=WERT fehlt");
  for (const std::string& assignment : positionals) {
    size_t equals = assignment.find('=');
    if (equals == std::string::npos ||
        Trim(assignment.substr(0, equals)).empty()) {
      return usage_error("'" + assignment +
                         "' ist keine Zuweisung SPALTE=WERT");
    }
    const std::string column = assignment.substr(0, equals);
    // The project object would take a number as a column's position.
    if (IsNumeric(Variant(column))) {
      return usage_error("'" + column +
                         "' ist kein Spaltenname (SPALTE ist ein Name, keine "
                         "Position)");
    }
    std::string text = assignment.substr(equals + 1);
    std::optional<Variant> value = ArgumentValue(text);
    if (!value || value->IsMissing()) {
      return usage_error("'" + text + "' ist kein Wert für eine Spalte");
    }
    // A project without a number can be found by nobody who knows it by
    // its number.
    if (EqualsNoCase(Trim(column), "ProNr") &&
        (value->IsNull() || value->IsEmpty() ||
         (value->IsString() && Trim(CStr(*value)).empty()))) {
      return usage_error("eine leere Projektnummer ist nicht erlaubt");
    }
    request.columns.emplace_back(column, std::move(*value));
  }
  return request;
}

int RunSubcommand(const Subcommand& sub, const Given& given,
                  const Invocation& call) {
  std::optional<Request> request = ParseRequest(sub, given, call);
  if (!request) return kExitUsage;
  if (sub.asks && isatty(STDIN_FILENO)) request->ask = &call.in();
  try {
    return sub.run(*request, call.out(), call.err());
  } catch (const Error& e) {
    call.err() << request->command << ": Fehler " << e.number() << ": "
               << e.description() << "\n";
    return kExitFailed;
  }
}

}  // namespace

void AddProjekt(CommandLine& line) {
  CLI::App* projekt = line.Add(line.root(), "projekt", kOverview);
  for (const Subcommand& sub : kSubcommands) {
    auto given = std::make_shared<Given>();
    CLI::App* command =
        line.Add(*projekt, sub.name, UsageOf(sub),
                 [&sub, given](const Invocation& call) {
                   return RunSubcommand(sub, *given, call);
                 });
    if (sub.names_project) command->add_option("--id", given->id);
    if (sub.takes_columns) {
      command->add_flag("--trotz-sperre", given->despite_lock);
    }
    if (sub.takes_json) command->add_flag("--json", given->json);
    if (sub.names_project || sub.takes_columns) {
      command->add_option("ARGUMENTE", given->words);
    }
  }
  AddProjektNeuUndListe(line, *projekt);
}

}  // namespace vx::cli
