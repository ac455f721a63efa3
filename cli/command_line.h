// How the `taluvek` command reads its command line.
//
// One parser (CLI11) reads the whole line: the command's own options, its
// commands, their commands and options.  The file of each command registers
// it here with its German help text and the work it does once the line is
// read.  What the parser finds wrong becomes one line on standard error,
// with the nearest known word as a suggestion and where the help is, and
// exit code 2; never the whole help.
//
// A command's file registers it in a function that MakeTaluvekCommandLine
// (cli/taluvek.h) calls, binding the parsed values to state its work
// shares:
//
//   void AddDatei(CommandLine& line) {
//     CLI::App* datei = line.Add(line.root(), "datei", kUsage);
//     auto request = std::make_shared<Request>();
//     CLI::App* info = line.Add(*datei, "info", kUsage,
//                               [request](const Invocation& call) {
//                                 return Info(*request, call);
//                               });
//     info->add_option("PFAD", request->paths);
//     info->add_flag("--json", request->json);
//   }
//
// The work checks what the parser cannot (counts, forms of values) and
// reports it with Invocation::UsageError.

#ifndef VX_CLI_COMMAND_LINE_H_
#define VX_CLI_COMMAND_LINE_H_

#include <CLI/CLI.hpp>

#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Where a command reads and writes.
struct Console {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// The command called, as its work sees it.
class Invocation {
 public:
  Invocation(const CLI::App& command, const Console& console)
      : command_(command), console_(console) {}

  std::istream& in() const { return console_.in; }
  std::ostream& out() const { return console_.out; }
  std::ostream& err() const { return console_.err; }
  // The command as it is typed: "taluvek projekt zeigen".
  std::string Name() const;
  // Reports the usage error `what` as one line on err() and returns the
  // exit code of a usage error.
  int UsageError(const std::string& what) const;
  // "unbekannte Option 'WORD'", with the nearest of the command's options
  // and of `also_known` as a suggestion.
  std::string UnknownOption(const std::string& word,
                            const std::vector<std::string>& also_known) const;
  // The words after the command's options, for a command that takes any
  // words at all (aufruf).
  std::vector<std::string> Rest() const { return command_.remaining(); }

 private:
  const CLI::App& command_;
  const Console& console_;
};

// What a command does once its line is read; returns the exit code.
using Work = std::function<int(const Invocation&)>;

// `command` as it is typed, the commands from "taluvek" down to it:
// "taluvek projekt zeigen".
std::string CommandName(const CLI::App& command);

// Writes `what` as a usage error of `command` on `err`, one line:
//   taluvek projekt: unbekannter Befehl 'zeign', meinten Sie 'zeigen'? (Hilfe: taluvek projekt --help)
// Returns the exit code of a usage error.
int ReportUsageError(const CLI::App& command, const std::string& what,
                     std::ostream& err);

// "unbekannte Option 'WORD'" (without a value after "="), with the nearest
// of the options of `command` and of `also_known` as a suggestion.
std::string UnknownOption(const CLI::App& command, const std::string& word,
                          const std::vector<std::string>& also_known = {});

// The subcommands of `command` that can be called, in the order registered.
std::vector<const CLI::App*> CommandsOf(const CLI::App& command);
// The long options of `command`, with their dashes ("--json"), --help
// among them.
std::vector<std::string> OptionsOf(const CLI::App& command);

class CommandLine {
 public:
  // The command `taluvek`, which shows `help` for --help and
  // "taluvek (vx_taluvek) VERSION" for --version.
  CommandLine(std::string help, const std::string& version);
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  CLI::App& root() { return root_; }
  const CLI::App& root() const { return root_; }

  // Adds the command `name` to `parent`: --help shows `help`, and when it
  // is the command called, `work` runs (without work only its own commands
  // do something).
  CLI::App* Add(CLI::App& parent, const std::string& name, std::string help,
                Work work = nullptr);

  // Reads `args` (without the program's name).  Returns the command called,
  // whose work Run does; or nothing when the line was done with (--help and
  // --version shown on console.out, a usage error reported on console.err),
  // with its exit code in `*exit_code`.
  const CLI::App* Parse(const std::vector<std::string>& args,
                        const Console& console, int* exit_code);

  // Runs the work of `command`, a command that Parse returned.
  int Run(const CLI::App& command, const Console& console) const;

 private:
  CLI::App root_;
  std::map<const CLI::App*, Work> work_;
};

}  // namespace vx::cli

#endif  // VX_CLI_COMMAND_LINE_H_
