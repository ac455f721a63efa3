// `taluvek projekt`: a project read, shown, changed and saved, locked and
// unlocked through the project object cls_Projekt.

#ifndef VX_CLI_PROJEKT_BEFEHL_H_
#define VX_CLI_PROJEKT_BEFEHL_H_

#include "cli/command_line.h"

namespace vx::cli {

// Registers the command "projekt" on `line`, with its commands:
//   zeigen (NR | --id ID) [--json]     every column of the project
//   setzen (NR | --id ID) SPALTE=WERT ...
//                                      read, change in the field cache, save
//   sperren (NR | --id ID)             bProjektLock
//   entsperren (NR | --id ID)          bProjektUnLock of a project that exists
//   alle-entsperren                    bProjektUnLockAll
//   neu, liste                         see cli/projekt_neu.h
// (--help or -h after any of them shows its usage).  When an operation of
// the project object answers False, its error fields go to `err`.  A save
// after which a column does not hold the value given for it (the project
// object passes over values a column refuses) counts as failed.
// Exit codes: 0 done, 1 failed, 2 usage error.
void AddProjekt(CommandLine& line);

}  // namespace vx::cli

#endif  // VX_CLI_PROJEKT_BEFEHL_H_
