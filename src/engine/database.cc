#include "engine/database.h"

#include <sqlite3.h>

#include "engine/connection.h"
#include "engine/dao_errors.h"
#include "engine/database_backend.h"
#include "engine/recordset.h"
#include "engine/recordset_state.h"
#include "engine/sql_dialect.h"
#include "engine/translation_cache.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

namespace {

// A SQLite database file.
class FileDatabase final : public DatabaseBackend {
 public:
  explicit FileDatabase(std::shared_ptr<Connection> connection)
      : connection_(std::move(connection)) {}

  std::shared_ptr<Recordset> OpenRecordset(const std::string& sql,
                                           RecordsetType type) override {
    connection_->CheckOpen();
    return OpenRecordsetOn(connection_, sql, type);
  }

  int32_t Execute(const std::string& sql, bool in_transaction) override {
    connection_->CheckOpen();
    const TranslatedStatement translated = TranslateKept(sql);
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
    if (in_transaction) {
      run();
    } else {
      connection_->InWriteTransaction(run);
    }
    if (translated.kind == StatementKind::kDefinition) {
      connection_->ForgetStatements();
      changes = 0;
    }
    return changes;
  }

  void InTransaction(const std::function<void()>& work) override {
    connection_->CheckOpen();
    if (connection_->read_only()) RaiseDao(kErrReadOnly);
    connection_->InWriteTransaction(work);
  }

  const std::string& Name() const override {
    connection_->CheckOpen();
    return connection_->name();
  }

  void Close() override { connection_->Close(); }

 private:
  std::shared_ptr<Connection> connection_;
};

}  // namespace

Database::Database(std::shared_ptr<Connection> connection)
    : backend_(std::make_unique<FileDatabase>(std::move(connection))) {}

Database::Database(std::unique_ptr<DatabaseBackend> backend)
    : backend_(std::move(backend)) {}

// The file closes when its last user goes: this object or a recordset.
Database::~Database() = default;

std::shared_ptr<Recordset> Database::OpenRecordset(const std::string& sql,
                                                   const Variant& type) {
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
  return backend_->OpenRecordset(sql, kind);
}

void Database::Execute(const std::string& sql, const Variant& /*options*/) {
  records_affected_ = backend_->Execute(sql, in_transaction_);
}

void Database::InTransaction(const std::function<void()>& work) {
  if (in_transaction_) {
    Name();  // 3420 when closed
    work();
    return;
  }
  in_transaction_ = true;
  try {
    backend_->InTransaction(work);
  } catch (...) {
    in_transaction_ = false;
    throw;
  }
  in_transaction_ = false;
}

int32_t Database::RecordsAffected() const { return records_affected_; }

const std::string& Database::Name() const { return backend_->Name(); }

int32_t Database::VID() const {
  backend_->Name();  // 3420 when closed
  return backend_->Vid();
}

void Database::Close() { backend_->Close(); }

}  // namespace vx::dao
