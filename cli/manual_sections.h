// The commands' help texts as sections of the manual page, which help2man
// makes from `taluvek --help` and adds these to.

#ifndef VX_CLI_MANUAL_SECTIONS_H_
#define VX_CLI_MANUAL_SECTIONS_H_

#include <CLI/CLI.hpp>

#include <string>

namespace vx::cli {

// A help2man include file: the section BEFEHLE with the help text of every
// command below `root`, as shown by --help, one subsection a command (a
// command showing the same text as the one above it is left out).
std::string ManualSections(const CLI::App& root);

}  // namespace vx::cli

#endif  // VX_CLI_MANUAL_SECTIONS_H_
