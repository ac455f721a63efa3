#include "engine/schema.h"

#include <unistd.h>

#include <vector>

#include "engine/connection.h"
#include "engine/dao_errors.h"
#include "engine/password.h"
#include "engine/sql_dialect.h"

namespace vx::dao {

void CreateDatabase(const std::string& path, std::string_view script,
                    std::string_view password) {
  // Translated first, so that a faulty script leaves no file behind.
  std::vector<TranslatedStatement> statements;
  for (std::string_view sql : SplitScript(script)) {
    statements.push_back(TranslateStatement(sql));
    if (statements.back().kind == StatementKind::kSelect) {
      RaiseDao(kErrCannotExecuteSelect);
    }
  }

  std::shared_ptr<Connection> connection = Connection::Create(path);
  try {
    connection->InWriteTransaction([&] {
      for (const TranslatedStatement& statement : statements) {
        Statement prepared = connection->Prepare(statement.sql);
        prepared.Bind(statement.parameters);
        while (prepared.Step()) {
        }
      }
      StorePassword(connection->handle(), password, path);
    });
  } catch (...) {
    const std::string file = connection->path();
    connection.reset();  // its lock file goes at once, not lingering
    unlink(file.c_str());
    throw;
  }
  connection->Close();
}

}  // namespace vx::dao
