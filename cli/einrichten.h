// `taluvek einrichten`: a complete sample installation of the suite in one
// folder, which is also its settings home.

#ifndef VX_CLI_EINRICHTEN_H_
#define VX_CLI_EINRICHTEN_H_

#include "cli/command_line.h"

namespace vx::cli {

// Registers the command "einrichten" on `line`:
//   ORDNER [--beispiel] [--ersetzen] [--gruppe NAME]
// In ORDNER it writes the settings file (the thread's program key, or
// Tarvano.INI) with the directory keys of the section "Datei Verzeichnisse",
// and the drive table Laufwerke.INI, in which the drive T: stands for
// ORDNER; it makes the directories T:\PROGRAMM\, T:\PROJEKT\, T:\SYSTEM\,
// T:\STRUKTUREN\, T:\LIZENZ\, T:\LBSKIZZE\ and T:\LV\, creates the templates
// PRJSTRUK.VX3DB, USERSTRUK.VX3DB and Language2.vx3db in STRUKTUREN from the
// library's schema scripts and copies them as PROJEKT.VX3DB (PROJEKT),
// USER.VX3DB (LIZENZ) and Language2.vx3db (SYSTEM).  --beispiel adds the
// sample projects 4711 and O'Neil.  An existing settings file or database,
// and an entry for T: in the drive table that names another folder, are
// replaced only with --ersetzen (other drives stay), and a database that
// somebody has open never.  The installation is made in a folder beside
// ORDNER (inside it when ORDNER exists) and moved into place only when it is
// complete, so that a failure leaves nothing half made and an installation
// being replaced as it was.  Each database replaced is saved first as
// NAME.bak-JJJJ-MM-TT beside it (see cli/database_backup.h), and the
// command names the backups.  --gruppe NAME gives every folder to the group
// NAME, setgid and group-writable, and makes every file group-readable and
// -writable.  Tells on `out` how to point programs at the installation.
// Its exit code: 0 done, 1 failed, 2 usage error.
void AddEinrichten(CommandLine& line);

}  // namespace vx::cli

#endif  // VX_CLI_EINRICHTEN_H_
