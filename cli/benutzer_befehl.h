// `taluvek benutzer|gruppe|recht|verwaltung|vererbung`: administering the
// users, groups and rights of the user database.
//
// While the user administration is active, every command except
// `verwaltung status` needs a logged-in administrator (the login comes
// first, see terminal_login.h); while it is inactive anybody may use them,
// so that the first administrator can be made.

#ifndef VX_CLI_BENUTZER_BEFEHL_H_
#define VX_CLI_BENUTZER_BEFEHL_H_

#include "cli/command_line.h"

namespace vx::cli {

// Registers the commands benutzer, gruppe, recht, verwaltung and vererbung
// on `line`, each with its commands.  Exit codes: 0 done, 1 failed
// (refused, a name unknown or taken), 2 usage error.
void AddAdministration(CommandLine& line);

}  // namespace vx::cli

#endif  // VX_CLI_BENUTZER_BEFEHL_H_
