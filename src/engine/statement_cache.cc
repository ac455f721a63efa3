#include "engine/statement_cache.h"

#include <sqlite3.h>

#include <functional>

#include "engine/column_set.h"

namespace vx::dao {

CachedStatement::~CachedStatement() { sqlite3_finalize(stmt); }

std::unique_ptr<CachedStatement> StatementCache::Take(std::string_view sql) {
  const size_t hash = std::hash<std::string_view>()(sql);
  // Newest first: a statement used in a loop is found at once.
  for (size_t i = idle_.size(); i-- > 0;) {
    if (idle_[i]->hash == hash && idle_[i]->sql == sql) {
      std::unique_ptr<CachedStatement> found = std::move(idle_[i]);
      idle_.erase(idle_.begin() + static_cast<std::ptrdiff_t>(i));
      return found;
    }
  }
  return nullptr;
}

void StatementCache::Give(std::unique_ptr<CachedStatement> statement) {
  sqlite3_reset(statement->stmt);
  sqlite3_clear_bindings(statement->stmt);
  statement->hash = std::hash<std::string_view>()(statement->sql);
  if (idle_.size() == kCapacity) idle_.erase(idle_.begin());
  idle_.push_back(std::move(statement));
}

}  // namespace vx::dao
