#include "server/server_schema.h"

#include "server/pg_statement.h"
#include "vx_taluvek/error.h"

namespace vx::server {

namespace {

void RunScript(PGconn* connection, const char* name) {
  for (const SchemaScriptEntry& entry : ServerSchemaScripts()) {
    if (entry.name == name) {
      RunStatement(connection, std::string(entry.script));
      return;
    }
  }
  Raise(kErrFileNotFound, std::string("the server schema script ") + name + " is missing");
}

// Runs `work` in one transaction as the tables' owner.  A non-superuser
// borrows the owner's role for that and gives it back at the end, keeping
// only the working role.
template <typename Work>
void AsOwner(PGconn* connection, const Work& work) {
  PgTransaction transaction(connection);
  RunStatement(connection, "SET LOCAL client_min_messages = error");
  RunStatement(connection, "SELECT pg_advisory_xact_lock(hashtext('vx_taluvek schema'))");
  const bool superuser =
      RunForValue(connection, "SELECT rolsuper FROM pg_roles WHERE rolname = current_user") == "t";
  RunScript(connection, "00_rollen");
  if (!superuser) RunStatement(connection, "GRANT vx_eigentuemer TO CURRENT_USER");
  RunStatement(connection, "SET LOCAL ROLE vx_eigentuemer");
  work();
  RunScript(connection, "30_zugriff");
  RunScript(connection, "90_rechte");
  RunStatement(connection, "RESET ROLE");
  if (!superuser) {
    RunStatement(connection, "GRANT vx_benutzer TO CURRENT_USER");
    RunStatement(connection, "REVOKE vx_eigentuemer FROM CURRENT_USER");
  }
  transaction.Commit();
}

}  // namespace

void ApplySchema(PGconn* connection) {
  AsOwner(connection, [&] {
    RunScript(connection, "10_gemeinsam");
    RunScript(connection, "20_dateien");
    RunScript(connection, "40_schreibweisen");
  });
}

void AddToSchema(PGconn* connection, const std::vector<std::string>& statements) {
  AsOwner(connection, [&] {
    for (const std::string& statement : statements) RunStatement(connection, statement);
  });
}

void GrantWork(PGconn* connection, const std::string& login_role) {
  RunStatement(connection, "SET client_min_messages = error");
  RunStatement(connection, "GRANT vx_benutzer TO " + QuoteIdentifier(connection, login_role));
  RunStatement(connection, "RESET client_min_messages");
}

}  // namespace vx::server
