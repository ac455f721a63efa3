// The columns of a recordset's statement: names, declared types, and which
// of them a dynaset may write.
//
// A description depends only on the statement's text (and the schema), so
// it is made once and kept with the prepared statement in the connection's
// cache: a recordset opened again on the same text finds it ready.

#ifndef VX_ENGINE_COLUMN_SET_H_
#define VX_ENGINE_COLUMN_SET_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/field_types.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vx::dao {

struct ColumnInfo {
  std::string name;        // as the statement names it
  std::string origin;      // the table's column, for a writable column
  bool declared = false;   // has a declared type
  ColumnType type;
  bool writable = false;   // a column of the dynaset's table, not a counter
  bool counter = false;    // numbered by the engine
};

class ColumnSet {
 public:
  // Describes the first `count` columns of `stmt`; those of table `table`
  // are writable (none when `table` is null).
  ColumnSet(sqlite3* db, sqlite3_stmt* stmt, int count, const std::string* table);
  // Columns described elsewhere (the database server's).
  explicit ColumnSet(std::vector<ColumnInfo> columns);

  size_t size() const { return columns_.size(); }
  const ColumnInfo& operator[](size_t i) const { return columns_[i]; }
  // The first column of that name without regard to case.
  std::optional<size_t> Find(std::string_view name) const;
  // Gives the expression column `column` the type `type` (a Max of a date
  // column is a date).
  void SetExpressionType(size_t column, const ColumnType& type);
  // Whether the description still fits `stmt`: SQLite prepares a statement
  // anew after a schema change, when another connection may have made a
  // table with the same number of columns in another order.  A statement's
  // columns change only then, and SQLite counts those preparations, so the
  // description fits while the count is what it was when it was made (one
  // call instead of comparing every column at every open).
  bool Fits(sqlite3_stmt* stmt) const;

 private:
  std::vector<ColumnInfo> columns_;
  std::unordered_map<std::string, size_t> by_name_;  // upper-case names
  int preparations_;  // of the statement, when the description was made
};

}  // namespace vx::dao

#endif  // VX_ENGINE_COLUMN_SET_H_
