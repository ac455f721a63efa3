#include "cli/server_befehl.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>

#include "cli/einrichten.h"
#include "cli/outcome.h"
#include "cli/step_progress.h"
#include "config/directories.h"
#include "config/settings_file.h"
#include "data/connections.h"
#include "engine/lock_file.h"
#include "files/file_set.h"
#include "platform/text.h"
#include "server/file_table.h"
#include "server/pg_statement.h"
#include "server/server_schema.h"
#include "server/uebernahme.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"

namespace vx::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Aufruf: taluvek [--ini NAME] server uebernehmen [--server VERBINDUNG]\n"
    "\n"
    "Bringt die Daten der Installation auf den PostgreSQL-Server:\n"
    "  die gemeinsamen Datenbanken (PROJEKT.VX3DB, USER.VX3DB, Language2.vx3db\n"
    "  und die übrigen der Suite wie DPOOL.VX3DB) in die gemeinsamen Tabellen;\n"
    "  jede Projektdatei, LBINHALT.VX3DB, ELKAT.VX3DB und jede andere .VX3DB\n"
    "  unter einer neuen Dateinummer;\n"
    "  die Begleitdateien eines LV (.VX3L1, .VX3LX, .VX3LR) als gesicherte\n"
    "  Tabellen (Vorlagen, SAVLV__...) unter ihrem Dateinamen;\n"
    "  jedes Dokument (.VX3BR, .DOC, .DOCX, .PDF, .VX3AT, .VX3ET, Skizzen) in\n"
    "  VXFiles.\n"
    "Strukturvorlagen (...STRUK.VX3DB) und temporäre Kopien (~...) bleiben.\n"
    "Danach wird jede Tabelle geprüft (Zeilenzahl und Prüfsumme über jeden\n"
    "Wert); erst wenn alles angekommen ist, arbeitet die Installation mit dem\n"
    "Server ([Server] DatenbankArt=2 und Verbindung). Was misslingt, wird vom\n"
    "Server wieder entfernt; die Dateien bleiben, wie sie waren.\n"
    "\n"
    "Ein zweiter Lauf übernimmt nichts doppelt: arbeitet die Installation schon\n"
    "mit dem Server, oder hält der Server schon Daten einer ihrer Dateien, wird\n"
    "er abgelehnt (Rückgabewert 1), bevor er etwas ändert.\n"
    "\n"
    "Auf einem Terminal zeigt eine Zeile, welche Datei gerade übertragen wird\n"
    "(Nummer/Anzahl); sonst steht für jede Datei eine Zeile mit ihrem Ergebnis\n"
    "auf der Standardausgabe.\n"
    "\n"
    "Optionen:\n"
    "  --server VERBINDUNG  ein libpq-Verbindungstext ohne Passwort, z. B.\n"
    "                       \"host=db.buero.lan dbname=suite user=taluvek\";\n"
    "                       Vorgabe: [Server] Verbindung der Einstellungsdatei.\n"
    "                       Das Passwort liest libpq aus ~/.pgpass (oder der\n"
    "                       Datei in PGPASSFILE).\n"
    "  -h, --help           diese Hilfe\n"
    "\n"
    "Rückgabewert: 0 übernommen, 1 nicht gelungen, 2 falscher Aufruf.\n";

struct PgConnectionCloser {
  void operator()(PGconn* connection) const { PQfinish(connection); }
};
using Connection = std::unique_ptr<PGconn, PgConnectionCloser>;

Connection Connect(const std::string& connection_string) {
  const char* keywords[] = {"dbname", "fallback_application_name", nullptr};
  const char* values[] = {connection_string.c_str(), "taluvek", nullptr};
  Connection connection(PQconnectdbParams(keywords, values, 1));
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    std::string message = PQerrorMessage(connection.get());
    while (!message.empty() && message.back() == '\n') message.pop_back();
    Raise(server::kErrServerCall, "keine Verbindung zum Server: " + message);
  }
  return connection;
}

// A login that row-level security does not hold sees every file's rows:
// the installation works, but its files are not kept apart.
void WarnIfUnbound(PGconn* connection, std::ostream& err) {
  if (server::RunForValue(connection,
                          "SELECT rolsuper OR rolbypassrls FROM pg_roles "
                          "WHERE rolname = current_user") == "t") {
    err << "Warnung: die Verbindung meldet sich als Superuser oder mit BYPASSRLS an; "
           "so hält die Zeilensicherheit die Dateien nicht auseinander. Die Suite "
           "sollte mit einer Rolle arbeiten, die nur Mitglied von vx_benutzer ist.\n";
  }
}

// A file of the installation and what becomes of it on the server.
struct Found {
  // In the order they move: the shared data first, the saved sets after
  // the files they were saved from.
  enum Kind { kShared, kFile, kSavedSet, kDocument };
  Kind kind;
  std::string path;       // the suite's path, e.g. T:\PROJEKT\4711.VX3EK
  std::string host_path;
  std::string name;       // file name with extension
  std::string type;       // a document's Dateityp, a saved set's kind
  std::vector<std::string> tables;  // a moved saved set's tables
};

constexpr const char* kSharedDatabases[][2] = {
    {"PROJEKT", "PROJEKT.VX3DB"}, {"LIZENZ", "USER.VX3DB"}, {"SYSTEM", "Language2.vx3db"}};

// What an extension makes of a file in a folder of the installation:
// nothing when the file stays (lock files, structure templates, temporary
// copies, files of other programs).
std::optional<Found> Classify(const std::string& key, const std::string& name) {
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : UCase(name.substr(dot + 1));
  const std::string base = UCase(name.substr(0, dot));
  static const std::set<std::string> kFileKinds = {"VX3LV", "VX3LB", "VX3OB", "VX3RB",
                                                   "VX3EK", "VX3KS", "VX3KO", "VX3AB"};
  if (name.starts_with("~")) return std::nullopt;
  if (key == "LBSKIZZE") return Found{Found::kDocument, "", "", name, "LBSKIZZE", {}};
  if (kFileKinds.contains(extension)) return Found{Found::kFile, "", "", name, "", {}};
  if (extension == "VX3L1" || extension == "VX3LX" || extension == "VX3LR") {
    return Found{Found::kSavedSet, "", "", name, "LV", {}};
  }
  if (extension == "VX3DB") {
    // The standard-text contents and the element catalogue are files with
    // tables of their kind; the suite's other shared databases open as the
    // whole server database and so are shared tables there; any other
    // database is known by its path, as a project file is.
    if (base == "LBINHALT" || base == "ELKAT") return Found{Found::kFile, "", "", name, "", {}};
    if (IsStructureTemplateName(name)) return std::nullopt;
    if (IsSharedDatabaseName(name)) return Found{Found::kShared, "", "", name, "", {}};
    return Found{Found::kFile, "", "", name, "", {}};
  }
  if (extension == "VX3BR" || extension == "DOC" || extension == "DOCX" || extension == "PDF") {
    return Found{Found::kDocument, "", "", name, "TEXTE", {}};
  }
  if (extension == "VX3AT") return Found{Found::kDocument, "", "", name, "ATX", {}};
  if (extension == "VX3ET") return Found{Found::kDocument, "", "", name, "ETX", {}};
  return std::nullopt;
}

std::string Canonical(const std::string& host_path) {
  std::error_code ec;
  return fs::weakly_canonical(host_path, ec).string();
}

// The installation's files that go to the server, in the order they move.
std::vector<Found> FindFiles() {
  std::vector<Found> found;
  std::set<std::string> files_seen;
  for (const auto& [key, name] : kSharedDatabases) {
    const std::string path = GetVerzeichnis(key, true, false) + name;
    const std::string host = CurrentHost().MapPath(path);
    std::error_code ec;
    if (fs::is_regular_file(host, ec)) {
      found.push_back({Found::kShared, path, host, name, "", {}});
      files_seen.insert(Canonical(host));
    }
  }
  std::set<std::string> folders_seen;
  for (const char* key : {"PROJEKT", "LV", "SYSTEM", "LIZENZ", "LBSKIZZE"}) {
    const std::string folder = GetVerzeichnis(key, true, false);
    if (folder.empty()) continue;
    const std::string host_folder = CurrentHost().MapPath(folder);
    if (!folders_seen.insert(Canonical(host_folder)).second) continue;
    std::vector<Found> here;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(host_folder, ec)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = entry.path().filename().string();
      std::optional<Found> file = Classify(key, name);
      if (!file || !files_seen.insert(Canonical(entry.path().string())).second) continue;
      file->path = folder + name;
      file->host_path = entry.path().string();
      here.push_back(*file);
    }
    std::sort(here.begin(), here.end(),
              [](const Found& a, const Found& b) { return a.path < b.path; });
    found.insert(found.end(), here.begin(), here.end());
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Found& a, const Found& b) { return a.kind < b.kind; });
  return found;
}

// The shared tables whose rows on the server the file's replace: the
// server's own starting row of the rights' inheritance gives way to the
// installation's.
std::vector<std::string> ReplacedTables(const Found& file) {
  if (file.kind == Found::kShared && UCase(file.name) == "USER.VX3DB") return {"vererbung"};
  return {};
}

// What of `files` the server holds already, as lines naming the files.
std::vector<std::string> AlreadyOnServer(PGconn* connection, const std::vector<Found>& files) {
  std::vector<std::string> there;
  for (const Found& file : files) {
    switch (file.kind) {
      case Found::kShared: {
        std::vector<std::string> tables = server::SharedTablesWithRows(connection, file.host_path);
        std::vector<std::string> replaced = ReplacedTables(file);
        std::erase_if(tables, [&](const std::string& table) {
          return std::find(replaced.begin(), replaced.end(), table) != replaced.end();
        });
        if (!tables.empty()) there.push_back(file.path + " (Tabelle " + tables.front() + ")");
        break;
      }
      case Found::kFile:
        if (server::FileNumberOf(connection, file.path) != 0) there.push_back(file.path);
        break;
      case Found::kSavedSet:
        if (server::RunForValue(connection,
                                "SELECT EXISTS (SELECT FROM Vorlagen WHERE Filename = $1)",
                                {file.name}) == "t") {
          there.push_back(file.path + " (Vorlage " + file.name + ")");
        }
        break;
      case Found::kDocument:
        if (server::RunForValue(connection,
                                "SELECT EXISTS (SELECT FROM VXFiles WHERE Dateiname = $1 "
                                "AND Dateityp = $2)",
                                {file.name, file.type}) == "t") {
          there.push_back(file.path + " (Dokument " + file.type + ")");
        }
        break;
    }
  }
  return there;
}

// Removes from the server what a failed move brought there.
void Undo(PGconn* connection, const std::vector<Found>& moved,
          const std::vector<std::string>& shared_tables) {
  for (const Found& file : moved) {
    try {
      if (file.kind == Found::kFile) server::ForgetFile(connection, file.path);
      if (file.kind == Found::kSavedSet) {
        server::RunStatement(connection, "DELETE FROM Vorlagen WHERE Filename = $1",
                             {file.name});
        for (const std::string& table : file.tables) {
          server::RunStatement(connection,
                               "DELETE FROM " + server::QuoteIdentifier(connection, table) +
                                   " WHERE SicherungsName = $1",
                               {file.name});
        }
      }
      if (file.kind == Found::kDocument) {
        server::RunStatement(connection,
                             "DELETE FROM VXFiles WHERE Dateiname = $1 AND Dateityp = $2",
                             {file.name, file.type});
      }
    } catch (const Error&) {
    }
  }
  for (const std::string& table : shared_tables) {
    try {
      server::RunStatement(connection,
                           "DELETE FROM " + server::QuoteIdentifier(connection, table));
    } catch (const Error&) {
    }
  }
}

// The number of the LV file a companion was saved from (the same name
// with ".VX3LV"), 0 when the server has no such file.
int32_t NumberOfLvFile(PGconn* connection, const Found& companion) {
  const std::string& path = companion.path;
  return server::FileNumberOf(connection, Left(path, Len(path) - 6) + ".VX3LV");
}

// Moves one file; returns its result for the progress.
std::string MoveFile(PGconn* connection, Found& file, StepProgress& progress,
                     std::vector<Found>& moved, std::vector<std::string>& shared_tables,
                     int64_t& rows) {
  const server::TableProgress tables = [&](const std::string& table, int number, int count) {
    progress.Detail("Tabelle " + std::to_string(number) + "/" + std::to_string(count) + " " +
                    table);
  };
  if (file.kind == Found::kDocument) {
    moved.push_back(file);
    server::MoveDocument(connection, file.host_path, file.name, file.type);
    return "Dokument (" + file.type + ")";
  }
  server::Uebernommen arrived;
  int32_t vid = 0;
  if (file.kind == Found::kSavedSet) {
    arrived = server::MoveSavedSet(connection, file.host_path, file.type, file.name,
                                   NumberOfLvFile(connection, file), tables);
    file.tables = arrived.table_names;
    moved.push_back(file);
  } else {
    if (file.kind == Found::kFile) {
      moved.push_back(file);
      vid = server::RegisterFile(connection, file.path);
    }
    arrived = server::MoveDatabaseFile(connection, file.host_path, vid, ReplacedTables(file),
                                       tables);
    if (file.kind == Found::kShared) {
      shared_tables.insert(shared_tables.end(), arrived.table_names.begin(),
                           arrived.table_names.end());
    }
  }
  rows += arrived.rows;
  return std::to_string(arrived.tables) + " Tabellen, " + std::to_string(arrived.rows) +
         " Zeilen" +
         (vid != 0 ? ", Dateinummer " + std::to_string(vid)
                   : file.kind == Found::kSavedSet ? ", Vorlage " + file.type : std::string());
}

// Moves `files` onto the server; on failure takes back what it moved and
// raises, naming the file.  Refuses, before it moves anything, when the
// server holds any of the files already.
void MoveFiles(PGconn* connection, std::vector<Found> files, std::ostream& out,
               std::ostream& err) {
  // Each file held exclusively for the move, so that nobody changes it
  // meanwhile; one somebody has open stops the move before it starts.
  // Files of one name share a lock file (an LV file and its companions,
  // 4711.VX3EK and 4711.VX3RB): one hold covers them all.
  std::vector<std::unique_ptr<dao::LockFile>> held;
  std::set<std::string> lock_files;
  for (const Found& file : files) {
    if (file.kind == Found::kDocument) continue;
    if (!lock_files.insert(dao::LockFile::PathFor(file.host_path)).second) continue;
    held.push_back(dao::LockFile::Acquire(file.host_path, file.path, true, true));
  }
  if (std::vector<std::string> there = AlreadyOnServer(connection, files); !there.empty()) {
    std::string list;
    for (size_t i = 0; i < there.size() && i < 10; ++i) list += "\n  " + there[i];
    if (there.size() > 10) list += "\n  ... (" + std::to_string(there.size() - 10) + " weitere)";
    Raise(server::kErrServerCall,
          "der Server hält schon Daten dieser Installation (von einem früheren Lauf?); "
          "nichts übernommen:" + list);
  }
  std::vector<Found> moved;
  std::vector<std::string> shared_tables;
  int64_t rows = 0;
  StepProgress progress = StepProgress::ForCommand(out, err, static_cast<int>(files.size()));
  for (Found& file : files) {
    progress.Begin(file.path);
    try {
      progress.End(MoveFile(connection, file, progress, moved, shared_tables, rows));
    } catch (const Error& e) {
      progress.End("nicht gelungen");
      progress.Clear();
      Undo(connection, moved, shared_tables);
      Raise(e.number(), file.path + ": " + e.description());
    }
  }
  progress.Clear();
  out << files.size() << " Dateien mit " << rows << " Zeilen übernommen und geprüft\n";
}

void SwitchToServer(const std::string& settings_file, const std::string& connection) {
  for (const auto& [key, value] : {std::pair<const char*, std::string>{"DatenbankArt", "2"},
                                   {"Verbindung", connection}}) {
    if (!CurrentHost().WriteProfileString("Server", key, value, settings_file)) {
      Raise(75, "kann [Server] " + std::string(key) + " nicht in " + settings_file +
                    " schreiben");
    }
  }
}

std::string SettingsFileOfHome() {
  return CurrentHost().SettingsHome() + "/" + SettingsFileName();
}

}  // namespace

std::optional<std::string> RefuseConnection(const std::string& connection) {
  if (connection.empty()) return "keine Verbindung angegeben";
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
  if (options == nullptr) {
    std::string reason = "die Verbindung ist kein libpq-Verbindungstext";
    if (error != nullptr) {
      std::string message = error;
      while (!message.empty() && message.back() == '\n') message.pop_back();
      reason += ": " + message;
      PQfreemem(error);
    }
    return reason;
  }
  bool password = false;
  for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    // The client key's passphrase is as secret as the password.
    const std::string keyword = option->keyword;
    if ((keyword == "password" || keyword == "sslpassword") && option->val != nullptr &&
        option->val[0] != '\0') {
      password = true;
    }
  }
  PQconninfoFree(options);
  if (password) {
    return "die Verbindung enthält ein Passwort. Ein Passwort gehört weder auf die "
           "Befehlszeile noch in die Einstellungsdatei: libpq liest es aus ~/.pgpass "
           "(oder der Datei in PGPASSFILE)";
  }
  return std::nullopt;
}

namespace {

// `server uebernehmen`: see AddServer.
int Uebernehmen(const std::optional<std::string>& option, const Invocation& call) {
  std::ostream& out = call.out();
  std::ostream& err = call.err();
  const Variant stored = Tarvano_Eintrag("Server", "Verbindung", Variant(""));
  const std::string* stored_text = stored.get_if<std::string>();
  const std::string connection = option ? *option : stored_text ? *stored_text : "";
  if (std::optional<std::string> reason = RefuseConnection(connection)) {
    return call.UsageError(*reason);
  }
  // Once moved, the installation works on the server, and its files are
  // yesterday's data: moving them again would bring back what was changed
  // or deleted since.
  if (int16_t kind = 0; IsServerMode(kind)) {
    err << "taluvek server uebernehmen: die Installation arbeitet schon mit dem Server "
           "([Server] DatenbankArt="
        << kind << "); ihre Daten sind übernommen\n";
    return kExitFailed;
  }
  try {
    Connection server = Connect(connection);
    WarnIfUnbound(server.get(), err);
    server::ApplySchema(server.get());
    MoveFiles(server.get(), FindFiles(), out, err);
    SwitchToServer(SettingsFileOfHome(), connection);
  } catch (const Error& e) {
    err << "taluvek server uebernehmen: Fehler " << e.number() << ": " << e.description()
        << "\n";
    return kExitFailed;
  }
  out << "Die Installation arbeitet jetzt mit dem Server ([Server] DatenbankArt=2).\n";
  return kExitDone;
}

}  // namespace

void AddServer(CommandLine& line) {
  CLI::App* server = line.Add(line.root(), "server", kUsage);
  auto connection = std::make_shared<std::optional<std::string>>();
  CLI::App* uebernehmen =
      line.Add(*server, "uebernehmen", kUsage, [connection](const Invocation& call) {
        return Uebernehmen(*connection, call);
      });
  uebernehmen->add_option("--server", *connection);
}

int EinrichtenMitServer(const std::string& connection, const std::string& folder,
                        const std::function<int()>& einrichten, const Invocation& call) {
  std::ostream& out = call.out();
  std::ostream& err = call.err();
  if (std::optional<std::string> reason = RefuseConnection(connection)) {
    return call.UsageError(*reason);
  }
  try {
    // The server first: an installation is only made for a server that
    // can take it.
    Connection server = Connect(connection);
    WarnIfUnbound(server.get(), err);
    if (server::RunForValue(server.get(), "SELECT to_regclass('projekt') IS NOT NULL") == "t" &&
        server::RunForValue(server.get(), "SELECT EXISTS (SELECT FROM projekt)") == "t") {
      err << "taluvek einrichten: die Datenbank des Servers enthält schon Projekte; "
             "\"taluvek server uebernehmen\" bringt eine Installation dorthin\n";
      return kExitFailed;
    }
    if (int code = einrichten(); code != kExitDone) return code;
    std::error_code ec;
    fs::path home = fs::absolute(folder, ec).lexically_normal();
    std::string home_text = home.string();
    while (home_text.size() > 1 && home_text.back() == '/') home_text.pop_back();
    server::ApplySchema(server.get());
    std::vector<Found> shared;
    for (const auto& [key, name] : kSharedDatabases) {
      shared.push_back({Found::kShared, std::string("T:\\") + key + "\\" + name,
                        home_text + "/" + key + "/" + name, name, "", {}});
    }
    out << "\nServer:\n";
    MoveFiles(server.get(), shared, out, err);
    SwitchToServer(home_text + "/" + SettingsFileName(), connection);
    out << "Die Installation arbeitet mit dem Server ([Server] DatenbankArt=2).\n";
  } catch (const Error& e) {
    err << "taluvek einrichten: Fehler " << e.number() << ": " << e.description() << "\n";
    return kExitFailed;
  }
  return kExitDone;
}

}  // namespace vx::cli
