// `taluvek server ...` and `taluvek einrichten ORDNER --server VERBINDUNG`:
// an installation whose data lie on a PostgreSQL server.

#ifndef VX_CLI_SERVER_BEFEHL_H_
#define VX_CLI_SERVER_BEFEHL_H_

#include <functional>
#include <optional>
#include <string>

#include "cli/command_line.h"

namespace vx::cli {

// Registers the command "server" on `line`:
//   server uebernehmen [--server VERBINDUNG]
// moves the data of the current file-mode installation (the shared
// databases, every project file and other database, every LV companion as a
// saved set and every document in its directories) onto the server of
// VERBINDUNG (default: [Server] Verbindung of the settings file), each file
// under a new file number; checks that every row arrived; then switches the
// installation to the server.  Refuses, before it changes anything, an
// installation that works on the server already and a server that holds
// any of its files.  Shows its progress on standard error when that is a
// terminal, else a line per file on standard output.  Exit code 0 done,
// 1 failed or refused, 2 usage error (a connection text holding a password
// among them).
void AddServer(CommandLine& line);

// `taluvek einrichten ORDNER [...] --server VERBINDUNG`: `einrichten` (the
// file-mode installation in ORDNER, returning its exit code), then its
// settings switched to the server ([Server] DatenbankArt 2, Verbindung), the
// server's schema applied and its shared data loaded from the installation's
// template databases.  The server's database must hold none of the suite's
// data yet; a connection text with a password is refused before anything is
// made.
int EinrichtenMitServer(const std::string& connection, const std::string& folder,
                        const std::function<int()>& einrichten, const Invocation& call);

// Nothing when `connection` is a connection string libpq can use and holds no
// password; else the German reason.
std::optional<std::string> RefuseConnection(const std::string& connection);

}  // namespace vx::cli

#endif  // VX_CLI_SERVER_BEFEHL_H_
