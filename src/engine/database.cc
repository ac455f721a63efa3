#include "engine/database.h"

#include <sqlite3.h>

#include "engine/connection.h"
#include "engine/dao_errors.h"
#include "engine/recordset.h"
#include "engine/recordset_state.h"
#include "engine/sql_dialect.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

Database::Database(std::shared_ptr<Connection> connection)
    : connection_(std::move(connection)) {}

// The file closes when its last user goes: this object or a recordset.
Database::~Database() = default;

std::shared_ptr<Recordset> Database::OpenRecordset(const std::string& sql,
                                                   const Variant& type) {
  connection_->CheckOpen();
  RecordsetType kind = kOpenDynaset;
  if (!type.IsMissing()) {
    int32_t code = 0;
    try {
      code = CLng(type);
    } catch (const Error&) {
      RaiseDao(kErrInvalidArgument);
    }
    if (code != kOpenTable && code != kOpenDynaset && code != kOpenSnapshot &&
        code != kOpenForwardOnly) {
      RaiseDao(kErrInvalidArgument);
    }
    kind = static_cast<RecordsetType>(code);
  }
  return OpenRecordsetOn(connection_, sql, kind);
}

void Database::Execute(const std::string& sql, const Variant& /*options*/) {
  connection_->CheckOpen();
  const TranslatedStatement translated = TranslateStatement(sql);
  if (translated.kind == StatementKind::kSelect) {
    RaiseDao(kErrCannotExecuteSelect);
  }
  if (connection_->read_only()) RaiseDao(kErrReadOnly);
  int32_t changes = 0;
  auto run = [&] {
    Statement statement = connection_->Prepare(translated.sql);
    statement.Bind(translated.parameters);
    while (statement.Step()) {
    }
    changes = sqlite3_changes(connection_->handle());
  };
  if (in_transaction_) {
    run();
  } else {
    connection_->InWriteTransaction(run);
  }
  if (translated.kind == StatementKind::kDefinition) {
    connection_->ForgetStatements();
    changes = 0;
  }
  records_affected_ = changes;
}

void Database::InTransaction(const std::function<void()>& work) {
  connection_->CheckOpen();
  if (connection_->read_only()) RaiseDao(kErrReadOnly);
  if (in_transaction_) {
    work();
    return;
  }
  in_transaction_ = true;
  try {
    connection_->InWriteTransaction(work);
  } catch (...) {
    in_transaction_ = false;
    throw;
  }
  in_transaction_ = false;
}

int32_t Database::RecordsAffected() const { return records_affected_; }

const std::string& Database::Name() const {
  connection_->CheckOpen();
  return connection_->name();
}

void Database::Close() { connection_->Close(); }

}  // namespace vx::dao
