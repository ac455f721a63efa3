// `taluvek projekt neu` and `taluvek projekt liste`: creating projects and
// listing them, so that an installation without sample projects can be
// used from the shell.

#ifndef VX_CLI_PROJEKT_NEU_H_
#define VX_CLI_PROJEKT_NEU_H_

#include "cli/command_line.h"

namespace vx::cli {

// Registers the commands "neu" and "liste" on `projekt`:
//   neu [NR] [--rv] [--json]   bProjektNeu; prints the new Id and number
//   liste [--json]             number, Id, name and lock flag of every
//                              project, ordered by number
// Exit codes: 0 done, 1 failed, 2 usage error.
void AddProjektNeuUndListe(CommandLine& line, CLI::App& projekt);

}  // namespace vx::cli

#endif  // VX_CLI_PROJEKT_NEU_H_
