#include "cli/taluvek.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "cli/aufruf.h"
#include "cli/datei.h"
#include "cli/einrichten.h"
#include "cli/outcome.h"
#include "cli/projekt_befehl.h"
#include "cli/server_befehl.h"
#include "cli/sprache.h"
#include "cli/benutzer_befehl.h"
#include "cli/terminal_login.h"
#include "platform/module_state.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"

namespace vx::cli {

namespace {

constexpr const char* kUsage =
    "Aufruf: taluvek [--ini NAME] BEFEHL [ARGUMENTE]\n"
    "\n"
    "Projekte der Projektdatenbank lesen, ändern, speichern, sperren und\n"
    "entsperren, über das Projektobjekt cls_Projekt.\n"
    "\n"
    "Befehle:\n"
    "  einrichten ORDNER   richtet in ORDNER eine vollständige\n"
    "                      Beispielinstallation ein; mit --server VERBINDUNG\n"
    "                      auf einem PostgreSQL-Server\n"
    "  server uebernehmen  bringt die Daten der Installation auf den Server\n"
    "  projekt ...         zeigt, ändert, sperrt und entsperrt ein Projekt\n"
    "  aufruf ...          ruft ein Mitglied von cls_Projekt spät gebunden auf,\n"
    "                      einzeln oder als Skript\n"
    "  sprache ...         die Übersetzungen der Sprachdatenbank als PO-Datei\n"
    "  datei ...           kopiert und löscht die Dateien eines Projekts, zeigt\n"
    "                      was die Suite aus einem Dateinamen liest\n"
    "\n"
    "\"taluvek BEFEHL --help\" beschreibt jeden Befehl.\n"
    "\n"
    "Optionen:\n"
    "  --ini NAME     die Einstellungsdatei (der Programmschlüssel), ein\n"
    "                 Dateiname im Einstellungsordner; Vorgabe: TARVANO_INI,\n"
    "                 sonst Tarvano.INI\n"
    "  -h, --help     diese Hilfe\n"
    "\n"
    "Umgebung:\n"
    "  TARVANO_HOME   der Einstellungsordner mit der Einstellungsdatei und der\n"
    "                 Laufwerkstabelle Laufwerke.INI; sonst\n"
    "                 $XDG_CONFIG_HOME/tarvano oder ~/.config/tarvano\n"
    "  TARVANO_INI    die Einstellungsdatei, wenn --ini fehlt\n"
    "\n"
    "Rückgabewert: 0 gelungen, 1 nicht gelungen (eine Operation ergab False:\n"
    "lProjektErrNum und sProjektErrText auf der Fehlerausgabe), 2 falscher\n"
    "Aufruf.\n";

int UsageError(const std::string& what, std::ostream& err) {
  err << "taluvek: " << what << "\n\n" << kUsage;
  return kExitUsage;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

// Whether the settings home exists; a mistyped TARVANO_HOME or a missing
// installation is reported with the folder, and nothing is created.
bool SettingsHomeExists(std::ostream& err) {
  const std::string home = CurrentHost().SettingsHome();
  std::error_code ec;
  if (std::filesystem::is_directory(home, ec)) return true;
  err << "taluvek: der Einstellungsordner " << home
      << " fehlt (TARVANO_HOME); \"taluvek einrichten ORDNER\" richtet eine "
         "Installation ein\n";
  return false;
}

}  // namespace

int RunTaluvek(const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
  const char* environment_key = std::getenv("TARVANO_INI");
  std::string program_key = environment_key ? environment_key : "";
  std::string benutzer;
  bool passwort_stdin = false;
  bool key_from_option = false;
  size_t i = 0;
  for (; i < args.size() && args[i].starts_with("-"); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      out << kUsage;
      return kExitDone;
    } else if (args[i] == "--ini") {
      if (i + 1 == args.size()) return UsageError("--ini ohne NAME", err);
      program_key = args[++i];
      key_from_option = true;
    } else if (args[i].starts_with("--ini=")) {
      program_key = args[i].substr(6);
      key_from_option = true;
    } else if (args[i] == "--benutzer") {
      if (i + 1 == args.size()) return UsageError("--benutzer ohne NAME", err);
      benutzer = args[++i];
    } else if (args[i] == "--passwort-stdin") {
      passwort_stdin = true;
    } else {
      return UsageError("unbekannte Option '" + args[i] + "'", err);
    }
  }
  if (i == args.size()) return UsageError("BEFEHL fehlt", err);
  if (!program_key.empty() && !IsSettingsFileName(program_key)) {
    return UsageError(std::string(key_from_option ? "--ini" : "TARVANO_INI") +
                          " nennt eine Datei im Einstellungsordner, keinen "
                          "Pfad: '" + program_key + "'",
                      err);
  }
  if (passwort_stdin && benutzer.empty()) {
    return UsageError("--passwort-stdin ohne --benutzer", err);
  }
  std::optional<std::string> password;
  if (passwort_stdin) {
    password = ReadSecretLine("Passwort: ");
    if (!password) return UsageError("kein Passwort auf der Standardeingabe", err);
  }
  InstallTerminalLogin(benutzer, std::move(password));
  // Every instance of the project object on this thread, and the settings
  // functions, take the settings file from the program key.
  State().sProgKey = program_key;

  const std::string& command = args[i];
  std::vector<std::string> rest(
      args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  if (command != "einrichten" && !AsksForHelp(rest) &&
      !SettingsHomeExists(err)) {
    return kExitFailed;
  }
  if (command == "einrichten") {
    return AsksForServer(rest) ? RunEinrichtenMitServer(rest, out, err)
                               : RunEinrichten(rest, out, err);
  }
  if (command == "server") return RunServer(rest, out, err);
  if (command == "projekt") return RunProjekt(rest, out, err);
  if (command == "aufruf") return RunAufruf(rest, out, err);
  if (command == "sprache") return RunSprache(rest, out, err);
  if (IsAdministrationCommand(command)) {
    return RunAdministration(command, rest, out, err);
  }
  if (command == "datei") return RunDatei(rest, out, err);
  return UsageError("unbekannter Befehl '" + command + "'", err);
}

}  // namespace vx::cli
