// `taluvek projekt`: a project read, shown, changed and saved, locked and
// unlocked through the project object cls_Projekt.

#ifndef VX_CLI_PROJEKT_BEFEHL_H_
#define VX_CLI_PROJEKT_BEFEHL_H_

#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Runs the command with its arguments after "projekt":
//   zeigen (NR | --id ID) [--json]     every column of the project
//   setzen (NR | --id ID) SPALTE=WERT ...
//                                      read, change in the field cache, save
//   sperren (NR | --id ID)             bProjektLock
//   entsperren (NR | --id ID)          bProjektUnLock of a project that exists
//   alle-entsperren                    bProjektUnLockAll
// (--help or -h after any of them shows its usage).  When an operation of
// the project object answers False, its error fields go to `err`.  A save
// after which a column does not hold the value given for it (the project
// object passes over values a column refuses) counts as failed.
// Returns the process exit code: 0 done, 1 failed, 2 usage error.
int RunProjekt(const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

}  // namespace vx::cli

#endif  // VX_CLI_PROJEKT_BEFEHL_H_
