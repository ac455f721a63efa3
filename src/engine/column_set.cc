#include "engine/column_set.h"

#include <sqlite3.h>

#include "platform/text.h"

namespace vx::dao {

ColumnSet::Origin ColumnSet::OriginOf(sqlite3_stmt* stmt, int column) {
  auto text = [](const char* s) { return std::string(s == nullptr ? "" : s); };
  return Origin{text(sqlite3_column_name(stmt, column)),
                text(sqlite3_column_decltype(stmt, column)),
                text(sqlite3_column_table_name(stmt, column)),
                text(sqlite3_column_origin_name(stmt, column))};
}

ColumnSet::ColumnSet(sqlite3* db, sqlite3_stmt* stmt, int count,
                     const std::string* table) {
  const int statement_columns = sqlite3_column_count(stmt);
  origins_.reserve(static_cast<size_t>(statement_columns));
  for (int c = 0; c < statement_columns; ++c) {
    origins_.push_back(OriginOf(stmt, c));
  }
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
  if (sqlite3_column_count(stmt) != static_cast<int>(origins_.size())) {
    return false;
  }
  // Compared in place: this runs at every open of a cached statement.
  auto same = [](const char* now, const std::string& then) {
    return then == (now == nullptr ? "" : now);
  };
  for (size_t c = 0; c < origins_.size(); ++c) {
    const int i = static_cast<int>(c);
    const Origin& then = origins_[c];
    if (!same(sqlite3_column_name(stmt, i), then.name) ||
        !same(sqlite3_column_decltype(stmt, i), then.declared) ||
        !same(sqlite3_column_table_name(stmt, i), then.table) ||
        !same(sqlite3_column_origin_name(stmt, i), then.column)) {
      return false;
    }
  }
  return true;
}

}  // namespace vx::dao
