// `taluvek datei`: the project's files from the shell: copy, delete (also
// into the recycle bin) and what the suite makes of a file's name.

#ifndef VX_CLI_DATEI_H_
#define VX_CLI_DATEI_H_

#include <ostream>
#include <string>
#include <vector>

#include "vx_taluvek/host.h"

namespace vx::cli {

// Runs the command with its arguments after "datei":
//   kopieren QUELLE ZIEL [--fortschritt] [--blockweise]
//   loeschen PFAD... [--papierkorb] [--datenbank]
//   info PFAD [--json]
// Paths in the suite's form ("T:\PROJEKT\4711.VX3EK") or host paths.
// Returns the process exit code: 0 done, 1 failed, 2 usage error.
int RunDatei(const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err);

// One line of the progress bar for `report`, `seconds` after the start:
// the bar, percent, bytes done and in all, rate and the time left (bytes
// and rate only when the total is known).
std::string ProgressLine(const ProgressReport& report, double seconds);

}  // namespace vx::cli

#endif  // VX_CLI_DATEI_H_
