// The bash completion of the `taluvek` command, made from its parser, so
// that it offers exactly the commands and options the command knows.

#ifndef VX_CLI_COMPLETION_H_
#define VX_CLI_COMPLETION_H_

#include <CLI/CLI.hpp>

#include <string>

namespace vx::cli {

// A bash script that completes the commands and options of `root` and of
// each of its commands, and file names for arguments and for the value of
// an option that takes one.  Installed as
// share/bash-completion/completions/taluvek.
std::string BashCompletion(const CLI::App& root);

}  // namespace vx::cli

#endif  // VX_CLI_COMPLETION_H_
