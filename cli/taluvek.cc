#include "cli/taluvek.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/aufruf.h"
#include "cli/benutzer_befehl.h"
#include "cli/datei.h"
#include "cli/einrichten.h"
#include "cli/outcome.h"
#include "cli/projekt_befehl.h"
#include "cli/server_befehl.h"
#include "cli/sprache.h"
#include "cli/terminal_login.h"
#include "platform/module_state.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"

#ifndef VX_TALUVEK_VERSION
#error "VX_TALUVEK_VERSION: the library's version, set by the build"
#endif

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
    "                      Beispielinstallation ein\n"
    "  projekt ...         zeigt, ändert, sperrt und entsperrt ein Projekt\n"
    "  aufruf ...          ruft ein Mitglied von cls_Projekt spät gebunden auf,\n"
    "                      einzeln oder als Skript\n"
    "  sprache ...         die Übersetzungen der Sprachdatenbank als PO-Datei\n"
    "  datei ...           kopiert und löscht die Dateien eines Projekts, zeigt\n"
    "                      was die Suite aus einem Dateinamen liest\n"
    "  server uebernehmen  bringt die Daten der Installation auf einen\n"
    "                      PostgreSQL-Server\n"
    "  benutzer, gruppe, recht, verwaltung, vererbung ...\n"
    "                      die Benutzerverwaltung: Benutzer, Gruppen, Rechte\n"
    "\n"
    "\"taluvek BEFEHL --help\" beschreibt jeden Befehl.\n"
    "\n"
    "Optionen:\n"
    "  --ini NAME     die Einstellungsdatei (der Programmschlüssel), ein\n"
    "                 Dateiname im Einstellungsordner; Vorgabe: TARVANO_INI,\n"
    "                 sonst Tarvano.INI\n"
    "  --benutzer NAME\n"
    "                 meldet NAME an, wenn die Benutzerverwaltung an ist\n"
    "  --passwort-stdin\n"
    "                 liest das Passwort von --benutzer aus der ersten Zeile\n"
    "                 der Standardeingabe (nie von der Befehlszeile)\n"
    "  -h, --help     diese Hilfe\n"
    "  --version      die Version\n"
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

std::unique_ptr<CommandLine> MakeTaluvekCommandLine(GlobalOptions& options) {
  auto line = std::make_unique<CommandLine>(kUsage, VX_TALUVEK_VERSION);
  CLI::App& root = line->root();
  root.add_option("--ini", options.ini);
  root.add_option("--benutzer", options.benutzer);
  root.add_flag("--passwort-stdin", options.passwort_stdin);
  AddEinrichten(*line);
  AddProjekt(*line);
  AddAufruf(*line);
  AddSprache(*line);
  AddAdministration(*line);
  AddDatei(*line);
  AddServer(*line);
  return line;
}

int RunTaluvek(const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
  return RunTaluvek(args, std::cin, out, err);
}

int RunTaluvek(const std::vector<std::string>& args, std::istream& in,
               std::ostream& out, std::ostream& err) {
  GlobalOptions options;
  std::unique_ptr<CommandLine> line = MakeTaluvekCommandLine(options);
  const Console console{in, out, err};
  int exit_code = kExitUsage;
  const CLI::App* command = line->Parse(args, console, &exit_code);
  if (command == nullptr) return exit_code;

  const CLI::App& root = line->root();
  const char* environment_key = std::getenv("TARVANO_INI");
  const std::string program_key =
      options.ini ? *options.ini : environment_key ? environment_key : "";
  if (!program_key.empty() && !IsSettingsFileName(program_key)) {
    return ReportUsageError(
        root,
        std::string(options.ini ? "--ini" : "TARVANO_INI") +
            " nennt eine Datei im Einstellungsordner, keinen Pfad: '" +
            program_key + "'",
        err);
  }
  if (options.passwort_stdin && options.benutzer.empty()) {
    return ReportUsageError(root, "--passwort-stdin ohne --benutzer", err);
  }
  std::optional<std::string> password;
  if (options.passwort_stdin) {
    password = ReadSecretLine("Passwort: ");
    if (!password) {
      return ReportUsageError(root, "kein Passwort auf der Standardeingabe",
                              err);
    }
  }
  InstallTerminalLogin(options.benutzer, std::move(password));
  // Every instance of the project object on this thread, and the settings
  // functions, take the settings file from the program key.
  State().sProgKey = program_key;

  // The top command below taluvek: einrichten makes the settings home.
  const CLI::App* top = command;
  while (top->get_parent() != &root) top = top->get_parent();
  if (top->get_name() != "einrichten" && !SettingsHomeExists(err)) {
    return kExitFailed;
  }
  return line->Run(*command, console);
}

}  // namespace vx::cli
