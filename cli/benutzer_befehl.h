// `taluvek benutzer|gruppe|recht|verwaltung|vererbung`: administering the
// users, groups and rights of the user database.
//
// While the user administration is active, every command except
// `verwaltung status` needs a logged-in administrator (the login comes
// first, see terminal_login.h); while it is inactive anybody may use them,
// so that the first administrator can be made.

#ifndef VX_CLI_BENUTZER_BEFEHL_H_
#define VX_CLI_BENUTZER_BEFEHL_H_

#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Whether `command` is one of the commands of this file.
bool IsAdministrationCommand(const std::string& command);

// Runs `command` with its arguments.  Returns the process exit code: 0
// done, 1 failed (refused, a name unknown or taken), 2 usage error.
int RunAdministration(const std::string& command,
                      const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err);

}  // namespace vx::cli

#endif  // VX_CLI_BENUTZER_BEFEHL_H_
