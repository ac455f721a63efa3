#include "cli/benutzer_befehl.h"

#include <unistd.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "cli/outcome.h"
#include "cli/terminal_login.h"
#include "cli/value_text.h"
#include "platform/module_state.h"
#include "users/login.h"
#include "users/rights_queries.h"
#include "users/user_admin.h"
#include "users/user_records.h"
#include "vx_taluvek/error.h"

namespace vx::cli {

namespace {

constexpr const char* kBenutzerUsage =
    "Aufruf: taluvek benutzer anlegen NAME [--admin | --leser]\n"
    "        taluvek benutzer passwort NAME\n"
    "        taluvek benutzer sperren|entsperren|loeschen NAME\n"
    "        taluvek benutzer liste [--json]\n"
    "\n"
    "Die Benutzer der Benutzerdatenbank USER.VX3DB (im Verzeichnis LIZENZ).\n"
    "\n"
    "  anlegen    legt den Benutzer mit seiner Einzelgruppe an; --admin macht\n"
    "             ihn zum Administrator (BenutzerArt 1), --leser zum Leser\n"
    "             aller Daten (2)\n"
    "  passwort   setzt ein neues Passwort\n"
    "  sperren    sperrt den Benutzer: er meldet sich nicht mehr an und hat\n"
    "             keine Rechte; entsperren hebt das auf\n"
    "  loeschen   entfernt den Benutzer, seine Einzelgruppe und ihre Rechte\n"
    "  liste      Name, Id, Art, gesperrt, Fehlversuche\n"
    "\n"
    "Das neue Passwort (anlegen, passwort) wird auf dem Terminal zweimal ohne\n"
    "Anzeige abgefragt; ohne Terminal steht es in der nächsten Zeile der\n"
    "Standardeingabe (nach dem Passwort von --passwort-stdin). Es steht nie\n"
    "auf der Befehlszeile.\n";

constexpr const char* kGruppeUsage =
    "Aufruf: taluvek gruppe anlegen GRUPPE\n"
    "        taluvek gruppe aufnehmen|entfernen GRUPPE BENUTZER\n"
    "        taluvek gruppe liste [--json]\n"
    "\n"
    "Gruppen von Benutzern; Rechte haben immer Gruppen (ein Benutzer allein\n"
    "über seine Einzelgruppe).\n";

constexpr const char* kRechtUsage =
    "Aufruf: taluvek recht modul GRUPPE KUERZEL [--entziehen]\n"
    "        taluvek recht zeigen TYP KUERZEL [--json]\n"
    "\n"
    "  modul    gibt der Gruppe (oder dem Benutzer dieses Namens) das\n"
    "           Modulrecht KUERZEL, etwa PROJ_NEW, UV_START, LB_EDIT;\n"
    "           --entziehen nimmt es ihr\n"
    "  zeigen   wer welche Rechte auf das Objekt hat: TYP ist PR (Projekt,\n"
    "           KUERZEL die Projektnummer), ST (Strukturknoten, seine Id) oder\n"
    "           eine Dateiart (LV, AU, ...)\n";

constexpr const char* kVerwaltungUsage =
    "Aufruf: taluvek verwaltung an|aus|status\n"
    "\n"
    "Schaltet die Benutzerverwaltung ein oder aus. Ist sie aus, hat jeder\n"
    "jedes Recht und niemand meldet sich an. Einschalten verlangt einen\n"
    "Administrator mit Passwort, der nicht gesperrt ist.\n";

constexpr const char* kVererbungUsage =
    "Aufruf: taluvek vererbung an|aus|status\n"
    "\n"
    "Schaltet die Vererbung der Rechte ein oder aus: ein neues Projekt erhält\n"
    "die Rechte der Gruppen auf seinen Strukturknoten, eine neue Datei die\n"
    "auf ihr Projekt.\n";

// A command of the user administration as called.
struct Command {
  const Invocation& call;
  std::vector<std::string> words;  // the command's name, then its arguments
  std::map<std::string, bool> options;  // its flags ("--json"), given or not

  bool Has(const std::string& option) const {
    auto found = options.find(option);
    return found != options.end() && found->second;
  }
  std::ostream& out() const { return call.out(); }
  std::ostream& err() const { return call.err(); }
  std::string name() const { return call.Name(); }
};

int Usage(const Command& c, const std::string& what) {
  return c.call.UsageError(what);
}

// The new password, asked twice on a terminal, else the next line of
// standard input.  Nothing when none was given or the two differ.
std::optional<std::string> NewPassword(const Command& c) {
  std::optional<std::string> first = ReadSecretLine("Neues Passwort: ");
  if (!first || first->empty()) {
    c.err() << c.name() << ": kein Passwort angegeben\n";
    return std::nullopt;
  }
  if (isatty(STDIN_FILENO)) {
    std::optional<std::string> again = ReadSecretLine("Noch einmal: ");
    const bool same = again && *again == *first;
    if (again) WipeSecret(*again);
    if (!same) {
      WipeSecret(*first);
      c.err() << c.name() << ": die Passwörter sind verschieden\n";
      return std::nullopt;
    }
  }
  return first;
}

std::string ArtText(int32_t art) {
  switch (art) {
    case kBenutzerArtAdmin: return "Administrator";
    case kBenutzerArtSuperReader: return "Leser";
    default: return "Benutzer";
  }
}

int RunBenutzer(const Command& c) {
  const std::string& sub = c.words[0];
  if (sub == "liste") {
    for (const UserRecord& u : ListUsers()) {
      if (c.Has("--json")) {
        c.out() << "{\"name\":" << JsonString(u.name) << ",\"id\":" << u.id
              << ",\"art\":" << u.art << ",\"gesperrt\":"
              << (u.gesperrt ? "true" : "false")
              << ",\"fehlversuche\":" << u.fehlversuche << "}\n";
      } else {
        c.out() << PlainText(Variant(u.name)) << "\t" << u.id << "\t"
              << ArtText(u.art) << (u.gesperrt ? "\tgesperrt" : "") << "\n";
      }
    }
    return kExitDone;
  }
  if (c.words.size() != 2) return Usage(c, "NAME fehlt");
  const std::string& name = c.words[1];
  if (sub == "anlegen" || sub == "passwort") {
    std::optional<std::string> password = NewPassword(c);
    if (!password) return kExitFailed;
    if (sub == "anlegen") {
      const int32_t art = c.Has("--admin")   ? kBenutzerArtAdmin
                          : c.Has("--leser") ? kBenutzerArtSuperReader
                                             : kBenutzerArtNormal;
      const int32_t id = AddUser(name, *password, art);
      c.out() << "Benutzer " << PlainText(Variant(name)) << " angelegt, Id " << id
            << "\n";
    } else {
      SetPassword(name, *password);
    }
    WipeSecret(*password);
  } else if (sub == "sperren" || sub == "entsperren") {
    LockUser(name, sub == "sperren");
  } else {  // loeschen
    DeleteUser(name);
  }
  return kExitDone;
}

int RunGruppe(const Command& c) {
  const std::string& sub = c.words[0];
  if (sub == "liste") {
    for (const GroupInfo& g : ListGroups()) {
      if (c.Has("--json")) {
        c.out() << "{\"name\":" << JsonString(g.name) << ",\"id\":" << g.id
              << ",\"mitglieder\":[";
        for (size_t i = 0; i < g.members.size(); ++i) {
          c.out() << (i ? "," : "") << JsonString(g.members[i]);
        }
        c.out() << "]}\n";
      } else {
        c.out() << PlainText(Variant(g.name)) << "\t" << g.id;
        for (const std::string& m : g.members) c.out() << "\t" << PlainText(Variant(m));
        c.out() << "\n";
      }
    }
    return kExitDone;
  }
  if (sub == "anlegen" && c.words.size() == 2) {
    c.out() << "Gruppe " << PlainText(Variant(c.words[1])) << " angelegt, Id "
          << AddGroup(c.words[1]) << "\n";
    return kExitDone;
  }
  if ((sub == "aufnehmen" || sub == "entfernen") && c.words.size() == 3) {
    if (sub == "aufnehmen") {
      JoinGroup(c.words[1], c.words[2]);
    } else {
      LeaveGroup(c.words[1], c.words[2]);
    }
    return kExitDone;
  }
  return Usage(c, "falsche Argumente");
}

int RunRecht(const Command& c) {
  const std::string& sub = c.words[0];
  if (sub == "modul" && c.words.size() == 3) {
    SetModuleRight(c.words[1], c.words[2], !c.Has("--entziehen"));
    return kExitDone;
  }
  if (sub == "zeigen" && c.words.size() == 3) {
    for (const ObjectRight& r : RightsOn(c.words[1], c.words[2])) {
      if (c.Has("--json")) {
        c.out() << "{\"gruppe\":" << JsonString(r.group) << ",\"einzelgruppe\":"
              << (r.einzelgruppe ? "true" : "false") << ",\"lesen\":"
              << (r.lesen ? "true" : "false") << ",\"schreiben\":"
              << (r.schreiben ? "true" : "false") << ",\"besitzer\":"
              << (r.besitzer ? "true" : "false") << "}\n";
      } else {
        c.out() << PlainText(Variant(r.group))
              << (r.einzelgruppe ? " (Benutzer)" : "") << "\t"
              << (r.lesen ? "lesen " : "") << (r.schreiben ? "schreiben " : "")
              << (r.besitzer ? "besitzer" : "") << "\n";
      }
    }
    return kExitDone;
  }
  return Usage(c, "falsche Argumente");
}

int Schalter(const Command& c, const std::function<void(bool)>& set,
             const std::function<bool()>& state) {
  if (c.words.size() != 1) return Usage(c, "falsche Argumente");
  const std::string& sub = c.words[0];  // an, aus or status
  if (sub != "status") set(sub == "an");
  c.out() << (state() ? "an" : "aus") << "\n";
  return kExitDone;
}

// While the user administration is active, only a logged-in administrator
// may administer it.
bool Administrator(const Command& c) {
  if (!bUserVerwAktiv(false)) return true;
  if (!LoginOk("", false, false)) {
    c.err() << c.name() << ": nicht angemeldet\n";
    return false;
  }
  if (State().lBenutzerArt != kBenutzerArtAdmin) {
    c.err() << c.name() << ": nur ein Administrator darf das\n";
    return false;
  }
  return true;
}

int Administer(const std::string& area, Command& c) {
  try {
    const bool status_only = area == "verwaltung" && c.words[0] == "status";
    if (!status_only && !Administrator(c)) return kExitFailed;
    if (area == "benutzer") return RunBenutzer(c);
    if (area == "gruppe") return RunGruppe(c);
    if (area == "recht") return RunRecht(c);
    if (area == "verwaltung") {
      return Schalter(c, SetAdministration, AdministrationActive);
    }
    return Schalter(c, SetInheritance, InheritanceOn);
  } catch (const Error& e) {
    c.err() << c.name() << ": Fehler " << e.number() << ": "
            << e.description() << "\n";
    return kExitFailed;
  }
}

// A command of an area and the flags it takes.
struct Subcommand {
  const char* name;
  std::vector<const char*> flags;
};

struct Area {
  const char* name;
  const char* usage;
  std::vector<Subcommand> commands;
};

}  // namespace

void AddAdministration(CommandLine& line) {
  const std::vector<Subcommand> switches = {{"an", {}}, {"aus", {}},
                                            {"status", {}}};
  const Area areas[] = {
      {"benutzer",
       kBenutzerUsage,
       {{"anlegen", {"--admin", "--leser"}},
        {"passwort", {}},
        {"sperren", {}},
        {"entsperren", {}},
        {"loeschen", {}},
        {"liste", {"--json"}}}},
      {"gruppe",
       kGruppeUsage,
       {{"anlegen", {}},
        {"aufnehmen", {}},
        {"entfernen", {}},
        {"liste", {"--json"}}}},
      {"recht", kRechtUsage, {{"modul", {"--entziehen"}}, {"zeigen", {"--json"}}}},
      {"verwaltung", kVerwaltungUsage, switches},
      {"vererbung", kVererbungUsage, switches},
  };
  for (const Area& area : areas) {
    CLI::App* parent = line.Add(line.root(), area.name, area.usage);
    for (const Subcommand& sub : area.commands) {
      struct Given {
        std::vector<std::string> words;
        std::map<std::string, bool> flags;
      };
      auto given = std::make_shared<Given>();
      const std::string area_name = area.name;
      const std::string name = sub.name;
      CLI::App* command = line.Add(
          *parent, name, area.usage,
          [area_name, name, given](const Invocation& call) {
            Command c{call, {name}, given->flags};
            c.words.insert(c.words.end(), given->words.begin(),
                           given->words.end());
            return Administer(area_name, c);
          });
      command->add_option("ARGUMENTE", given->words);
      for (const char* flag : sub.flags) {
        command->add_flag(flag, given->flags[flag]);
      }
    }
  }
}

}  // namespace vx::cli
