#include "cli/einrichten.h"

#include <errno.h>
#include <grp.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "cli/database_backup.h"
#include "cli/outcome.h"
#include "cli/server_befehl.h"
#include "config/directories.h"
#include "data/connections.h"
#include "data/schema_scripts.h"
#include "engine/lock_file.h"
#include "engine/schema.h"
#include "platform/linux_host.h"
#include "platform/module_state.h"
#include "platform/path_mapping.h"
#include "users/user_admin.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"
#include "vx_taluvek/settings.h"

namespace vx::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCommand = "taluvek einrichten";

constexpr const char* kUsage =
    "Aufruf: taluvek [--ini NAME] einrichten ORDNER [--beispiel] [--ersetzen]\n"
    "                                [--gruppe NAME] [--server VERBINDUNG]\n"
    "\n"
    "Richtet in ORDNER eine vollständige Beispielinstallation ein. ORDNER ist\n"
    "zugleich ihr Einstellungsordner (TARVANO_HOME):\n"
    "\n"
    "  Tarvano.INI       die Einstellungsdatei (oder NAME aus --ini) mit den\n"
    "                    Verzeichnissen im Abschnitt [Datei Verzeichnisse]\n"
    "  Laufwerke.INI     die Laufwerkstabelle: das Laufwerk T: steht für ORDNER\n"
    "  PROGRAMM, PROJEKT, SYSTEM, STRUKTUREN, LIZENZ, LBSKIZZE, LV\n"
    "                    die Verzeichnisse, eingetragen als T:\\PROJEKT\\ usw.\n"
    "  STRUKTUREN        die Vorlagen PRJSTRUK.VX3DB, USERSTRUK.VX3DB und\n"
    "                    Language2.vx3db\n"
    "  PROJEKT.VX3DB (in PROJEKT), USER.VX3DB (in LIZENZ), Language2.vx3db\n"
    "  (in SYSTEM)       Kopien der Vorlagen\n"
    "\n"
    "Eine vorhandene Einstellungsdatei oder Datenbank und einen Eintrag für T:\n"
    "in Laufwerke.INI, der woandershin zeigt, ersetzt nur --ersetzen; eine\n"
    "Datenbank, die gerade jemand geöffnet hat, nie. Jede ersetzte Datenbank\n"
    "wird vorher neben ihr gesichert, als NAME.bak-JJJJ-MM-TT (gibt es die\n"
    "schon, mit -2, -3 ... dahinter).\n"
    "\n"
    "Die Installation entsteht in einem Ordner neben ihrem Ziel und kommt erst\n"
    "fertig an ihren Platz: was misslingt (auch eine volle Platte), hinterlässt\n"
    "nichts Halbes, und eine vorhandene Installation bleibt dann, wie sie war.\n"
    "\n"
    "Optionen:\n"
    "  --beispiel    legt die Beispielprojekte 4711 und O'Neil an\n"
    "  --ersetzen    ersetzt eine vorhandene Installation in ORDNER\n"
    "  --gruppe NAME teilt die Installation mit den Mitgliedern der Gruppe NAME:\n"
    "                Ordner gehören der Gruppe (setgid) und sind für sie\n"
    "                schreibbar, Dateien für sie les- und schreibbar; was die\n"
    "                Bibliothek später anlegt (Sperrdateien, Datenbanken,\n"
    "                Journale, Einstellungsdateien), behält Gruppe und Rechte\n"
    "  --server VERBINDUNG\n"
    "                die Daten liegen auf einem PostgreSQL-Server: VERBINDUNG ist\n"
    "                ein libpq-Verbindungstext ohne Passwort (libpq liest es aus\n"
    "                ~/.pgpass); seine Datenbank darf noch keine Projekte haben.\n"
    "                Die Einstellungsdatei bekommt [Server] DatenbankArt=2\n"
    "  -h, --help    diese Hilfe\n"
    "\n"
    "Rückgabewert: 0 eingerichtet, 1 nicht gelungen, 2 falscher Aufruf.\n";

// The drive through which the settings file names the installation's
// directories: the suite's paths stay in their own form, and moving the
// installation means changing one line of the drive table.
constexpr const char* kDrive = "T:";

// The directory keys of the settings file, each naming the folder of the
// same name in the installation.
constexpr const char* kDirectoryKeys[] = {
    "PROGRAMM", "PROJEKT", "SYSTEM", "STRUKTUREN", "LIZENZ", "LBSKIZZE", "LV"};

// A database template: made in STRUKTUREN from its schema script, and
// copied to the database that an installation starts with.
struct Template {
  const char* script;
  const char* file;
  const char* copy_folder;
  const char* copy_name;
};
constexpr Template kTemplates[] = {
    {"PRJSTRUK", "PRJSTRUK.VX3DB", "PROJEKT", "PROJEKT.VX3DB"},
    {"USERSTRUK", "USERSTRUK.VX3DB", "LIZENZ", "USER.VX3DB"},
    {"Language2", "Language2.vx3db", "SYSTEM", "Language2.vx3db"},
};

struct Options {
  std::string folder;
  bool beispiel = false;
  bool ersetzen = false;
  std::optional<std::string> gruppe;
  std::optional<std::string> server;  // a connection text: server mode
};

// Host paths of the installation's parts.
class Layout {
 public:
  explicit Layout(std::string home) : home_(std::move(home)) {}
  const std::string& home() const { return home_; }
  std::string File(const std::string& name) const { return home_ + "/" + name; }
  std::string File(const std::string& folder, const std::string& name) const {
    return home_ + "/" + folder + "/" + name;
  }
  // Every database the installation holds.
  std::vector<std::string> Databases() const {
    std::vector<std::string> paths;
    for (const Template& t : kTemplates) {
      paths.push_back(File("STRUKTUREN", t.file));
      paths.push_back(File(t.copy_folder, t.copy_name));
    }
    return paths;
  }

 private:
  std::string home_;
};

[[noreturn]] void RaiseFileError(const std::string& what,
                                 const std::string& path,
                                 const std::error_code& ec) {
  Raise(75, what + " " + path + ": " + ec.message());
}

// The existing file at `path`, whatever the case of its name (the suite's
// names are not case-sensitive), or nothing.
std::optional<std::string> Existing(const std::string& path) {
  std::string found = MatchNameCase(path);
  std::error_code ec;
  if (fs::exists(found, ec)) return found;
  return std::nullopt;
}

// The folder for which the installation's drive table already has the
// drive, when that is another than the installation's own.
std::optional<std::string> OtherDriveFolder(const Layout& layout) {
  std::string folder;
  CurrentHost().GetProfileString(kDriveTableSection, kDrive, "", &folder,
                                 4096, layout.File(kDriveTableFile));
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || folder == layout.home()) return std::nullopt;
  return folder;
}

// Holds the existing databases exclusively until the new installation is in
// place, so that one somebody has open is not replaced under them: then
// nothing is replaced at all.
std::vector<std::unique_ptr<dao::LockFile>> HoldDatabases(
    const std::vector<std::string>& databases) {
  std::vector<std::unique_ptr<dao::LockFile>> held;
  for (const std::string& db : databases) {
    held.push_back(dao::LockFile::Acquire(db, db, true, false));
  }
  return held;
}

void WriteEntry(const std::string& file, const std::string& section,
                const std::string& key, const std::string& value) {
  if (!CurrentHost().WriteProfileString(section, key, value, file)) {
    Raise(75, "kann [" + section + "] " + key + " nicht in " + file +
                  " schreiben");
  }
}

// `layout` is where the files are made; the drive names `home`, where they
// will be used.  (The profile functions quote a value with outer blanks
// themselves.)
void WriteSettings(const Layout& layout, const std::string& home,
                   const std::string& settings_name) {
  WriteEntry(layout.File(kDriveTableFile), kDriveTableSection, kDrive, home);
  std::string settings = layout.File(settings_name);
  for (const char* key : kDirectoryKeys) {
    WriteEntry(settings, kDirectorySection, key,
               std::string(kDrive) + "\\" + key + "\\");
  }
  WriteEntry(settings, "SYS", "Zugriff_Slow", "1");
  WriteEntry(settings, "Sprache", "Programm Version", "1");
  WriteEntry(settings, "Server", "DatenbankArt", "1");
}

void MakeDatabases(const Layout& layout,
                   const std::vector<std::string_view>& scripts) {
  for (const char* key : kDirectoryKeys) {
    std::error_code ec;
    fs::create_directories(layout.File(key), ec);
    if (ec) {
      RaiseFileError("kann das Verzeichnis nicht anlegen:", layout.File(key),
                     ec);
    }
  }
  for (size_t i = 0; i < std::size(kTemplates); ++i) {
    const Template& t = kTemplates[i];
    std::string made = layout.File("STRUKTUREN", t.file);
    dao::CreateDatabase(made, scripts[i], kSuitePassword);
    std::string copy = layout.File(t.copy_folder, t.copy_name);
    std::error_code ec;
    fs::copy_file(made, copy, ec);
    if (ec) RaiseFileError("kann nicht kopieren nach", copy, ec);
  }
}

// How the installation is shared: without a group as any new files of the
// process (its umask); with one, folders setgid, owned by the group and
// writable for it, files readable and writable for it.
struct Sharing {
  std::optional<gid_t> group;
  mode_t umask = 022;
};

mode_t ProcessUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Gives the file or folder `path` the installation's sharing.  Raises when
// the group cannot be given (the process is no member of it).
void Share(const std::string& path, const Sharing& sharing) {
  struct stat info;
  if (!sharing.group || lstat(path.c_str(), &info) != 0 ||
      S_ISLNK(info.st_mode)) {
    return;
  }
  if (chown(path.c_str(), static_cast<uid_t>(-1), *sharing.group) != 0) {
    RaiseFileError("kann die Gruppe nicht setzen für", path,
                   std::error_code(errno, std::generic_category()));
  }
  // After chown, which may drop the setgid bit.
  const mode_t mode = (info.st_mode & 07777) |
                      (S_ISDIR(info.st_mode) ? (S_ISGID | S_IRWXG)
                                             : (S_IRGRP | S_IWGRP));
  if (chmod(path.c_str(), mode) != 0) {
    RaiseFileError("kann die Rechte nicht setzen für", path,
                   std::error_code(errno, std::generic_category()));
  }
}

void ShareTree(const std::string& root, const Sharing& sharing) {
  if (!sharing.group) return;
  Share(root, sharing);
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end;
       it.increment(ec)) {
    Share(it->path().string(), sharing);
  }
  if (ec) RaiseFileError("kann nicht durchsuchen:", root, ec);
}

// The folder in which the installation is made before it goes to its place,
// removed with whatever it holds unless it was moved.  For a new
// installation folder it lies beside it and becomes the folder itself; into
// an existing one (which may be a mount point of its own) the parts move from
// a folder inside it.
class StagingFolder {
 public:
  StagingFolder(const std::string& home, bool home_exists,
                const Sharing& sharing) {
    const size_t slash = home.rfind('/');
    std::string pattern =
        home_exists ? home + "/.einrichten-XXXXXX"
                    : home.substr(0, slash + 1) + "." + home.substr(slash + 1) +
                          ".einrichten-XXXXXX";
    std::error_code ec;
    if (!home_exists) {
      fs::create_directories(home.substr(0, std::max<size_t>(slash, 1)), ec);
    }
    if (ec || mkdtemp(pattern.data()) == nullptr) {
      RaiseFileError("kann den Ordner nicht anlegen:", pattern,
                     ec ? ec : std::error_code(errno, std::generic_category()));
    }
    path_ = pattern;
    // mkdtemp makes the folder for its maker only; it is to be an ordinary
    // folder of the installation.
    if (chmod(path_.c_str(), 0777 & ~sharing.umask) != 0) {
      RaiseFileError("kann die Rechte nicht setzen für", path_,
                     std::error_code(errno, std::generic_category()));
    }
    // Set first, so that all that is made inside takes the group.
    Share(path_, sharing);
  }
  ~StagingFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  const std::string& path() const { return path_; }
  // The folder became the installation: nothing to remove.
  void Moved() { path_.clear(); }

 private:
  std::string path_;
};

void Rename(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) {
    RaiseFileError("kann nicht an seinen Platz bringen:", to.string(), ec);
  }
}

// Moves the content of the folder `from` into the folder `to`: a folder
// that `to` lacks moves whole, one it has gets the content; each file
// replaces the old one of its name at once.  Files of `from` itself move
// after its folders, so that the settings file, which makes the
// installation, comes last.
void MoveContent(const fs::path& from, const fs::path& to,
                 const Sharing& sharing) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(from, ec)) {
    const fs::path target = to / entry.path().filename();
    if (!entry.is_directory()) {
      files.push_back(entry.path());
    } else if (fs::is_directory(target)) {
      Share(target.string(), sharing);
      MoveContent(entry.path(), target, sharing);
    } else {
      Rename(entry.path(), target);
    }
  }
  if (ec) RaiseFileError("kann nicht durchsuchen:", from.string(), ec);
  for (const fs::path& file : files) Rename(file, to / file.filename());
}

// A new installation starts without its user administration (RechtDatei
// holds a row), so that its first administrator can be made from the
// shell before anybody has to log in.
void SwitchUserAdministrationOff(const Layout& layout) {
  std::shared_ptr<dao::Database> db = DbEngine().OpenDatabase(
      layout.File("LIZENZ", "USER.VX3DB"), Variant(false), Variant(false),
      Variant(std::string(kBareConnect) + kSuitePassword));
  SwitchAdministrationOff(*db);
  db->Close();
}

// The sample projects, written straight into the table as another program
// of the suite would have left them.
void AddSampleProjects(const Layout& layout) {
  using Column = std::pair<const char*, Variant>;
  const std::vector<std::vector<Column>> samples = {
      {{"ProNr", Variant("4711")},
       {"ProBez", Variant("Neubau Kindergarten Sonnenschein")},
       {"ProWaehrung", Variant("EUR")},
       {"ProStrasse", Variant("Lindenallee 12")},
       {"ProPLZ", Variant("80331")},
       {"ProOrt", Variant("München")},
       {"ProLand", Variant("Bayern")},
       {"Gemeinde", Variant("München")},
       {"Gemarkung", Variant("Schwabing")},
       {"FlurNr", Variant("12")},
       {"FlurStueckNr", Variant("345/6")},
       {"BudgetNetto", Variant(Currency{1250000LL * 10000})},
       {"ProMwSt", Variant(19.0)},
       {"Baubeginn", Variant(DateFromParts(2025, 4, 1))},
       {"Bemerkung", Variant("Erster Bauabschnitt: Gruppenräume und Küche")},
       {"IsRVProj", Variant(false)},
       {"SatzLockKZ", Variant(false)},
       {"Aktualisierung", Variant(Now())}},
      {{"ProNr", Variant("O'Neil")},
       {"ProBez", Variant("Umbau Büro O'Neil")},
       {"ProWaehrung", Variant("EUR")},
       {"ProStrasse", Variant("Hafenstraße 3")},
       {"ProPLZ", Variant("20457")},
       {"ProOrt", Variant("Hamburg")},
       {"ProLand", Variant("Hamburg")},
       {"Gemeinde", Variant("Hamburg")},
       {"BudgetNetto", Variant(Currency{85000LL * 10000})},
       {"ProMwSt", Variant(19.0)},
       {"IsRVProj", Variant(false)},
       {"SatzLockKZ", Variant(false)},
       {"Aktualisierung", Variant(Now())}},
  };
  std::shared_ptr<dao::Database> db = DbEngine().OpenDatabase(
      layout.File("PROJEKT", "PROJEKT.VX3DB"), Variant(false), Variant(false),
      Variant(std::string(kBareConnect) + kSuitePassword));
  std::shared_ptr<dao::Recordset> rs =
      db->OpenRecordset("Projekt", Variant(dao::kOpenDynaset));
  for (const std::vector<Column>& sample : samples) {
    rs->AddNew();
    for (const auto& [column, value] : sample) {
      rs->Fields()[column].SetValue(value);
    }
    rs->Update();
  }
  rs->Close();
  db->Close();
}

// `text` as one word of the shell, whatever it holds.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

int Einrichten(const Options& options, const Invocation& call) {
  std::ostream& out = call.out();
  std::ostream& err = call.err();
  if (options.folder.empty()) return call.UsageError("ORDNER fehlt");
  if (options.gruppe && options.gruppe->empty()) {
    return call.UsageError("--gruppe braucht einen NAME");
  }
  std::string settings_name = SettingsFileName();
  if (settings_name.find_first_of("/\\:") != std::string::npos) {
    return call.UsageError("--ini nennt hier nur einen Dateinamen, keinen "
                           "Ordner: '" + settings_name + "'");
  }
  std::error_code ec;
  fs::path absolute = fs::absolute(options.folder, ec);
  if (ec) {
    err << kCommand << ": " << options.folder << ": " << ec.message() << "\n";
    return kExitFailed;
  }
  std::string home = absolute.lexically_normal().string();
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  Layout layout(home);
  Sharing sharing;
  sharing.umask = ProcessUmask();
  if (options.gruppe) {
    struct group* found = getgrnam(options.gruppe->c_str());
    if (found == nullptr) {
      return call.UsageError("unbekannte Gruppe '" + *options.gruppe + "'");
    }
    sharing.group = found->gr_gid;
  }

  std::vector<std::pair<std::string, std::string>> backups;  // db, backup
  try {
    // All templates first: a library without one must not leave half an
    // installation behind.
    std::vector<std::string_view> scripts;
    for (const Template& t : kTemplates) {
      scripts.push_back(SchemaScript(t.script));
    }

    std::vector<std::string> settings;
    std::vector<std::string> databases;
    if (auto found = Existing(layout.File(settings_name))) {
      settings.push_back(*found);
    }
    for (const std::string& db : layout.Databases()) {
      if (auto found = Existing(db)) databases.push_back(*found);
    }
    std::optional<std::string> other_drive = OtherDriveFolder(layout);
    if (!options.ersetzen) {
      if (!settings.empty() || !databases.empty()) {
        err << kCommand << ": in " << home << " ist schon eine Installation ("
            << (settings.empty() ? databases.front() : settings.front())
            << "); --ersetzen ersetzt sie\n";
        return kExitFailed;
      }
      if (other_drive) {
        err << kCommand << ": in " << layout.File(kDriveTableFile)
            << " steht " << kDrive << " schon für " << *other_drive
            << "; --ersetzen ersetzt den Eintrag\n";
        return kExitFailed;
      }
    }
    std::vector<std::unique_ptr<dao::LockFile>> held = HoldDatabases(databases);

    const bool home_exists = fs::is_directory(home, ec);
    StagingFolder staging(home, home_exists, sharing);
    Layout staged(staging.path());
    // Other drives of an existing drive table stay.
    if (auto table = Existing(layout.File(kDriveTableFile))) {
      const std::string copy = staged.File(kDriveTableFile);
      fs::copy_file(*table, copy, ec);
      if (ec) RaiseFileError("kann nicht kopieren nach", copy, ec);
    }
    WriteSettings(staged, home, settings_name);
    MakeDatabases(staged, scripts);
    SwitchUserAdministrationOff(staged);
    if (options.beispiel) AddSampleProjects(staged);
    ShareTree(staging.path(), sharing);
    // Only now, with the new installation complete, so that a failure
    // before leaves no backups behind.
    const std::string today = Today();
    for (const std::string& db : databases) {
      backups.emplace_back(db, BackUpDatabase(db, today));
    }
    // The lock files of the databases just made and closed would linger a
    // moment for another open; they go now rather than move with the files.
    dao::LockFile::EndLingering();

    if (home_exists) {
      Share(home, sharing);
      MoveContent(staging.path(), home, sharing);
      // Old files whose names differ in case only from the new ones.
      std::vector<std::string> replaced = layout.Databases();
      replaced.push_back(layout.File(settings_name));
      std::vector<std::string> old_files = settings;
      old_files.insert(old_files.end(), databases.begin(), databases.end());
      for (const std::string& old_file : old_files) {
        if (std::find(replaced.begin(), replaced.end(), old_file) ==
            replaced.end()) {
          fs::remove(old_file, ec);
        }
      }
    } else {
      Rename(staging.path(), home);
      staging.Moved();
    }
  } catch (const Error& e) {
    err << kCommand << ": Fehler " << e.number() << ": " << e.description()
        << "\n";
    // Failing while moving into place may have replaced some databases.
    for (const auto& [db, backup] : backups) {
      err << kCommand << ": " << db << " ist gesichert als " << backup
          << "\n";
    }
    return kExitFailed;
  }

  out << "Installation eingerichtet in " << home << "\n"
      << "  Einstellungsdatei  " << layout.File(settings_name) << "\n"
      << "  Laufwerkstabelle   " << layout.File(kDriveTableFile) << " ("
      << kDrive << " = " << home << ")\n"
      << "  Projektdatenbank   " << kDrive << "\\PROJEKT\\PROJEKT.VX3DB\n";
  if (options.beispiel) out << "  Beispielprojekte   4711, O'Neil\n";
  if (!backups.empty()) {
    out << "\nDie ersetzten Datenbanken sind gesichert:\n";
    for (const auto& [db, backup] : backups) {
      out << "  " << db << "\n    -> " << backup << "\n";
    }
  }
  out << "\nSo verwenden der Befehl und jedes Programm diese Installation:\n"
      << "  export TARVANO_HOME=" << ShellQuoted(home) << "\n";
  if (!State().sProgKey.empty()) {
    out << "  export TARVANO_INI=" << ShellQuoted(settings_name) << "\n";
  }
  out << "\nDie Benutzerverwaltung ist aus: jeder hat jedes Recht. So legt man\n"
      << "den ersten Administrator an und schaltet sie ein:\n"
      << "  taluvek benutzer anlegen NAME --admin\n"
      << "  taluvek verwaltung an\n";
  return kExitDone;
}

}  // namespace

void AddEinrichten(CommandLine& line) {
  auto options = std::make_shared<Options>();
  CLI::App* command =
      line.Add(line.root(), "einrichten", kUsage,
               [options](const Invocation& call) {
                 if (!options->server) return Einrichten(*options, call);
                 return EinrichtenMitServer(
                     *options->server, options->folder,
                     [&] { return Einrichten(*options, call); }, call);
               });
  command->add_option("ORDNER", options->folder);
  command->add_flag("--beispiel", options->beispiel);
  command->add_flag("--ersetzen", options->ersetzen);
  command->add_option("--gruppe", options->gruppe);
  command->add_option("--server", options->server);
}

}  // namespace vx::cli
