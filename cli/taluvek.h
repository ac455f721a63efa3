// The `taluvek` command: the library's main job from the shell.

#ifndef VX_CLI_TALUVEK_H_
#define VX_CLI_TALUVEK_H_

#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace vx::cli {

// The command's own options, given before the command.
struct GlobalOptions {
  std::optional<std::string> ini;  // --ini NAME
  std::string benutzer;            // --benutzer NAME
  bool passwort_stdin = false;     // --passwort-stdin
};

// The parser of the whole command line: the command's own options bound to
// `options`, every command registered with its help and its work.  The
// completion script and the manual page are made from the same parser.
std::unique_ptr<CommandLine> MakeTaluvekCommandLine(GlobalOptions& options);

// Runs the command with its arguments (without the program name):
//   [--ini NAME] [--benutzer NAME [--passwort-stdin]] BEFEHL [ARGUMENTE]
// BEFEHL is einrichten, projekt, aufruf, sprache, datei or one of the
// commands of the user administration.  The settings file (the calling
// thread's program key) is NAME, else the environment's TARVANO_INI, else
// Tarvano.INI; it lies in the settings home (TARVANO_HOME).  The commands
// read their input from `in` (a catalogue or a script given as "-", an
// answer), write output to `out` and errors to `err`; the password of
// --passwort-stdin and the dialogs of the library use standard input and
// the terminal.  Returns the process exit code: 0 done, 1 failed (an
// operation answered False), 2 usage error.
int RunTaluvek(const std::vector<std::string>& args, std::istream& in,
               std::ostream& out, std::ostream& err);
// The same with standard input as `in`.
int RunTaluvek(const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err);

}  // namespace vx::cli

#endif  // VX_CLI_TALUVEK_H_
