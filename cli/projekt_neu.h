// `taluvek projekt neu` and `taluvek projekt liste`: creating projects and
// listing them, so that an installation without sample projects can be
// used from the shell.

#ifndef VX_CLI_PROJEKT_NEU_H_
#define VX_CLI_PROJEKT_NEU_H_

#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Whether `sub` (the word after "projekt") is "neu" or "liste".
bool IsProjektNeuOderListe(const std::string& sub);

// Runs the command with its arguments after "projekt":
//   neu [NR] [--rv] [--json]   bProjektNeu; prints the new Id and number
//   liste [--json]             number, Id, name and lock flag of every
//                              project, ordered by number
// Returns the process exit code: 0 done, 1 failed, 2 usage error.
int RunProjektNeuOderListe(const std::vector<std::string>& args,
                           std::ostream& out, std::ostream& err);

}  // namespace vx::cli

#endif  // VX_CLI_PROJEKT_NEU_H_
