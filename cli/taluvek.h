// The `taluvek` command: the library's main job from the shell.

#ifndef VX_CLI_TALUVEK_H_
#define VX_CLI_TALUVEK_H_

#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Runs the command with its arguments (without the program name):
//   [--ini NAME] BEFEHL [ARGUMENTE]
// BEFEHL is einrichten, projekt, aufruf or sprache.  The settings file (the
// calling thread's program key) is NAME, else the environment's
// TARVANO_INI, else Tarvano.INI; it lies in the settings home
// (TARVANO_HOME).  Output goes to `out`, errors to `err`.  Returns the
// process exit code: 0 done, 1 failed (an operation answered False), 2
// usage error.
int RunTaluvek(const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

}  // namespace vx::cli

#endif  // VX_CLI_TALUVEK_H_
