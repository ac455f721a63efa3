// `taluvek server ...` and `taluvek einrichten ORDNER --server VERBINDUNG`:
// an installation whose data lie on a PostgreSQL server.

#ifndef VX_CLI_SERVER_BEFEHL_H_
#define VX_CLI_SERVER_BEFEHL_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vx::cli {

// Runs the command with its arguments after "server":
//   uebernehmen [--server VERBINDUNG]
// moves the data of the current file-mode installation (the shared
// databases and every project file and document in its directories) onto the
// server of VERBINDUNG (default: [Server] Verbindung of the settings file),
// each project file under a new file number; checks that every row arrived;
// then switches the installation to the server.  Returns the exit code.
int RunServer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Whether the arguments of "einrichten" ask for server mode (--server).
bool AsksForServer(const std::vector<std::string>& einrichten_args);

// `taluvek einrichten ORDNER [...] --server VERBINDUNG`: the installation of
// RunEinrichten, then its settings switched to the server
// ([Server] DatenbankArt 2, Verbindung), the server's schema applied and its
// shared data loaded from the installation's template databases.  The
// server's database must hold none of the suite's data yet.
int RunEinrichtenMitServer(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err);

// Nothing when `connection` is a connection string libpq can use and holds no
// password; else the German reason.
std::optional<std::string> RefuseConnection(const std::string& connection);

}  // namespace vx::cli

#endif  // VX_CLI_SERVER_BEFEHL_H_
