// `taluvek datei`: the project's files from the shell: copy, delete (also
// into the recycle bin) and what the suite makes of a file's name.

#ifndef VX_CLI_DATEI_H_
#define VX_CLI_DATEI_H_

#include <string>

#include "cli/command_line.h"
#include "vx_taluvek/host.h"

namespace vx::cli {

// Registers the command "datei" on `line`, with its commands:
//   kopieren QUELLE ZIEL [--fortschritt] [--blockweise]
//   loeschen PFAD... [--papierkorb] [--datenbank]
//   info PFAD [--json]
// Paths in the suite's form ("T:\PROJEKT\4711.VX3EK") or host paths.
// Exit codes: 0 done, 1 failed, 2 usage error.
void AddDatei(CommandLine& line);

// One line of the progress bar for `report`, `seconds` after the start:
// the bar, percent, bytes done and in all, rate and the time left (bytes
// and rate only when the total is known).
std::string ProgressLine(const ProgressReport& report, double seconds);

}  // namespace vx::cli

#endif  // VX_CLI_DATEI_H_
