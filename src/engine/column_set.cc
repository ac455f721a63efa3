#include "engine/column_set.h"

#include <sqlite3.h>

#include "platform/text.h"

namespace vx::dao {

namespace {

int PreparationsOf(sqlite3_stmt* stmt) {
  return sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
}

}  // namespace

ColumnSet::ColumnSet(sqlite3* db, sqlite3_stmt* stmt, int count,
                     const std::string* table)
    : preparations_(PreparationsOf(stmt)) {
  columns_.reserve(static_cast<size_t>(count));
  for (int c = 0; c < count; ++c) {
    ColumnInfo info;
    info.name = sqlite3_column_name(stmt, c);
    const char* declared = sqlite3_column_decltype(stmt, c);
    info.declared = declared != nullptr && declared[0] != '\0';
    if (info.declared) info.type = DeclaredType(declared);
    const char* column_table = sqlite3_column_table_name(stmt, c);
    const char* origin = sqlite3_column_origin_name(stmt, c);
    if (table != nullptr && column_table != nullptr && origin != nullptr &&
        EqualsNoCase(column_table, *table)) {
      info.origin = origin;
      int autoincrement = 0;
      sqlite3_table_column_metadata(db, nullptr, column_table, origin, nullptr,
                                    nullptr, nullptr, nullptr, &autoincrement);
      info.counter = autoincrement != 0;
      info.writable = !info.counter;
    }
    by_name_.emplace(UCase(info.name), columns_.size());
    columns_.push_back(std::move(info));
  }
}

ColumnSet::ColumnSet(std::vector<ColumnInfo> columns) : columns_(std::move(columns)) {
  for (size_t c = 0; c < columns_.size(); ++c) {
    by_name_.emplace(UCase(columns_[c].name), c);
  }
}

std::optional<size_t> ColumnSet::Find(std::string_view name) const {
  auto found = by_name_.find(UCase(name));
  if (found == by_name_.end()) return std::nullopt;
  return found->second;
}

void ColumnSet::SetExpressionType(size_t column, const ColumnType& type) {
  columns_[column].declared = true;
  columns_[column].type = type;
}

bool ColumnSet::Fits(sqlite3_stmt* stmt) const {
  return PreparationsOf(stmt) == preparations_;
}

}  // namespace vx::dao
