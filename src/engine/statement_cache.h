// Prepared statements of one connection, kept for reuse.
//
// Statements are keyed by their SQLite text.  A statement in use is taken
// out of the cache, so two users of the same text never share one: the
// second gets a statement of its own.  Given back, a statement is reset and
// kept; beyond the capacity the one unused longest is finalized.

#ifndef VX_ENGINE_STATEMENT_CACHE_H_
#define VX_ENGINE_STATEMENT_CACHE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace vx::dao {

class ColumnSet;

struct CachedStatement {
  std::string sql;
  sqlite3_stmt* stmt = nullptr;
  size_t hash = 0;  // of sql, set by the cache
  // The description of the columns, once a recordset has made it.
  std::shared_ptr<const ColumnSet> columns;
  ~CachedStatement();  // finalizes
};

class StatementCache {
 public:
  static constexpr size_t kCapacity = 32;

  // An idle statement of that text, taken out of the cache; nullptr when
  // there is none.
  std::unique_ptr<CachedStatement> Take(std::string_view sql);

  // Resets `statement`, clears its bindings and keeps it for reuse.
  void Give(std::unique_ptr<CachedStatement> statement);

  // Finalizes every idle statement (and forgets its column description,
  // which a change of the schema may have made wrong).
  void Clear() { idle_.clear(); }

 private:
  std::vector<std::unique_ptr<CachedStatement>> idle_;  // oldest first
};

}  // namespace vx::dao

#endif  // VX_ENGINE_STATEMENT_CACHE_H_
