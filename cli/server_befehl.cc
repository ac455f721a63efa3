#include "cli/server_befehl.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <set>

#include "cli/einrichten.h"
#include "cli/outcome.h"
#include "config/directories.h"
#include "config/settings_file.h"
#include "engine/lock_file.h"
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
    "Bringt die Daten der Installation (die gemeinsamen Datenbanken\n"
    "PROJEKT.VX3DB, USER.VX3DB und Language2.vx3db, jede Projektdatei und jedes\n"
    "Dokument in ihren Verzeichnissen) auf den PostgreSQL-Server: jede\n"
    "Projektdatei unter einer neuen Dateinummer, jedes Dokument in VXFiles.\n"
    "Danach wird jede Tabelle geprüft (Zeilenzahl und Prüfsumme über jeden\n"
    "Wert); erst wenn alles angekommen ist, arbeitet die Installation mit dem\n"
    "Server ([Server] DatenbankArt=2 und Verbindung). Was misslingt, wird vom\n"
    "Server wieder entfernt; die Dateien bleiben, wie sie waren.\n"
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

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// A file of the installation and what becomes of it on the server.
struct Found {
  enum Kind { kShared, kFile, kDocument };
  Kind kind;
  std::string path;       // the suite's path, e.g. T:\PROJEKT\4711.VX3EK
  std::string host_path;
  std::string name;       // file name with extension
  std::string type;       // a document's Dateityp
};

constexpr const char* kSharedDatabases[][2] = {
    {"PROJEKT", "PROJEKT.VX3DB"}, {"LIZENZ", "USER.VX3DB"}, {"SYSTEM", "Language2.vx3db"}};

// What an extension makes of a file in a folder of the installation:
// nothing when the file stays (lock files, structure templates, files of
// other programs).
std::optional<Found> Classify(const std::string& key, const std::string& name) {
  const size_t dot = name.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : Upper(name.substr(dot + 1));
  const std::string base = Upper(name.substr(0, dot));
  static const std::set<std::string> kFileKinds = {"VX3LV", "VX3LB", "VX3OB", "VX3RB",
                                                   "VX3EK", "VX3KS", "VX3KO", "VX3AB"};
  if (key == "LBSKIZZE") return Found{Found::kDocument, "", "", name, "LBSKIZZE"};
  if (kFileKinds.contains(extension)) return Found{Found::kFile, "", "", name, ""};
  if (extension == "VX3DB" && (base == "LBINHALT" || base == "ELKAT")) {
    return Found{Found::kFile, "", "", name, ""};
  }
  if (extension == "VX3BR" || extension == "DOC" || extension == "DOCX" || extension == "PDF") {
    return Found{Found::kDocument, "", "", name, "TEXTE"};
  }
  if (extension == "VX3AT") return Found{Found::kDocument, "", "", name, "ATX"};
  if (extension == "VX3ET") return Found{Found::kDocument, "", "", name, "ETX"};
  return std::nullopt;
}

// The installation's files that go to the server, the shared databases
// first.
std::vector<Found> FindFiles() {
  std::vector<Found> found;
  for (const auto& [key, name] : kSharedDatabases) {
    const std::string path = GetVerzeichnis(key, true, false) + name;
    const std::string host = CurrentHost().MapPath(path);
    std::error_code ec;
    if (fs::is_regular_file(host, ec)) found.push_back({Found::kShared, path, host, name, ""});
  }
  std::set<std::string> folders_seen;
  for (const char* key : {"PROJEKT", "LV", "SYSTEM", "LIZENZ", "LBSKIZZE"}) {
    const std::string folder = GetVerzeichnis(key, true, false);
    if (folder.empty()) continue;
    const std::string host_folder = CurrentHost().MapPath(folder);
    if (!folders_seen.insert(fs::weakly_canonical(host_folder).string()).second) continue;
    std::vector<Found> here;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(host_folder, ec)) {
      if (!entry.is_regular_file()) continue;
      const std::string name = entry.path().filename().string();
      std::optional<Found> file = Classify(key, name);
      if (!file) continue;
      file->path = folder + name;
      file->host_path = entry.path().string();
      here.push_back(*file);
    }
    std::sort(here.begin(), here.end(),
              [](const Found& a, const Found& b) { return a.path < b.path; });
    found.insert(found.end(), here.begin(), here.end());
  }
  return found;
}

// Removes from the server what a failed move brought there.
void Undo(PGconn* connection, const std::vector<Found>& moved,
          const std::vector<std::string>& shared_tables) {
  for (const Found& file : moved) {
    try {
      if (file.kind == Found::kFile) server::ForgetFile(connection, file.path);
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

// Moves `files` onto the server; on failure takes back what it moved and
// raises.
void MoveFiles(PGconn* connection, const std::vector<Found>& files, std::ostream& out) {
  // Each file held exclusively for the move, so that nobody changes it
  // meanwhile; one somebody has open stops the move before it starts.
  std::vector<std::unique_ptr<dao::LockFile>> held;
  for (const Found& file : files) {
    if (file.kind == Found::kDocument) continue;
    held.push_back(dao::LockFile::Acquire(file.host_path, file.path, true, true));
    if (file.kind == Found::kFile && server::FileNumberOf(connection, file.path) != 0) {
      Raise(server::kErrServerCall, file.path + " ist schon auf dem Server");
    }
  }
  std::vector<Found> moved;
  std::vector<std::string> shared_tables;
  size_t done = 0;
  int64_t rows = 0;
  try {
    for (const Found& file : files) {
      out << "[" << ++done << "/" << files.size() << "] " << file.path << ": " << std::flush;
      if (file.kind == Found::kDocument) {
        moved.push_back(file);
        server::MoveDocument(connection, file.host_path, file.name, file.type);
        out << "Dokument (" << file.type << ")\n";
        continue;
      }
      int32_t vid = 0;
      if (file.kind == Found::kFile) {
        moved.push_back(file);
        vid = server::RegisterFile(connection, file.path);
      } else if (Upper(file.name) == "USER.VX3DB") {
        // The server's own starting row gives way to the installation's.
        server::RunStatement(connection, "DELETE FROM Vererbung");
      }
      server::Uebernommen arrived = server::MoveDatabaseFile(connection, file.host_path, vid);
      if (file.kind == Found::kShared) {
        shared_tables.insert(shared_tables.end(), arrived.table_names.begin(),
                             arrived.table_names.end());
      }
      rows += arrived.rows;
      out << arrived.tables << " Tabellen, " << arrived.rows << " Zeilen"
          << (vid != 0 ? ", Dateinummer " + std::to_string(vid) : std::string()) << "\n";
    }
  } catch (const Error&) {
    out << "nicht gelungen\n";
    Undo(connection, moved, shared_tables);
    throw;
  }
  out << done << " Dateien mit " << rows << " Zeilen übernommen und geprüft\n";
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
    if (std::string(option->keyword) == "password" && option->val != nullptr &&
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
  try {
    Connection server = Connect(connection);
    WarnIfUnbound(server.get(), err);
    server::ApplySchema(server.get());
    MoveFiles(server.get(), FindFiles(), out);
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
                        home_text + "/" + key + "/" + name, name, ""});
    }
    out << "\nServer:\n";
    MoveFiles(server.get(), shared, out);
    SwitchToServer(home_text + "/" + SettingsFileName(), connection);
    out << "Die Installation arbeitet mit dem Server ([Server] DatenbankArt=2).\n";
  } catch (const Error& e) {
    err << "taluvek einrichten: Fehler " << e.number() << ": " << e.description() << "\n";
    return kExitFailed;
  }
  return kExitDone;
}

}  // namespace vx::cli
