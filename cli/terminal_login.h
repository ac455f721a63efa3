// The login dialog of the `taluvek` command.
//
// On a terminal the person is asked for name and password (the password
// without echo), as often as the library's login asks.  Without a
// terminal, `--benutzer NAME --passwort-stdin` logs in once with the
// password from the first line of standard input; a failed verification
// then ends the login instead of asking again.  A password is never taken
// from the command line or the environment.

#ifndef VX_CLI_TERMINAL_LOGIN_H_
#define VX_CLI_TERMINAL_LOGIN_H_

#include <istream>
#include <optional>
#include <string>

namespace vx::cli {

// Installs the login hook (keeping the other hooks).  `benutzer` is the
// name given with --benutzer ("" when none); `password_from_stdin` the
// password read from standard input for --passwort-stdin.
void InstallTerminalLogin(const std::string& benutzer,
                          std::optional<std::string> password_from_stdin);

// Reads a line from standard input without echo when it is a terminal,
// after showing `prompt` on standard error.  Nothing at the end of input.
std::optional<std::string> ReadSecretLine(const std::string& prompt);

// Overwrites a secret before its memory is given back.
void WipeSecret(std::string& secret);

}  // namespace vx::cli

#endif  // VX_CLI_TERMINAL_LOGIN_H_
