#include "engine/row_store.h"

#include <sqlite3.h>

#include <algorithm>

namespace vx::dao {

void RowStore::Clear(size_t columns) {
  columns_ = columns;
  rows_ = 0;
  cells_.clear();
  bytes_.clear();
}

size_t RowStore::Append(sqlite3_stmt* stmt) {
  cells_.resize(cells_.size() + columns_);
  Read(stmt, cells_.data() + rows_ * columns_);
  return rows_++;
}

void RowStore::Replace(size_t row, sqlite3_stmt* stmt) {
  // The old row's bytes stay in the buffer unused: rows are replaced only
  // by Update, rarely enough not to matter.
  Read(stmt, cells_.data() + row * columns_);
}

size_t RowStore::Append(const std::vector<StoredValue>& values) {
  cells_.resize(cells_.size() + columns_);
  Read(values, cells_.data() + rows_ * columns_);
  return rows_++;
}

void RowStore::Replace(size_t row, const std::vector<StoredValue>& values) {
  Read(values, cells_.data() + row * columns_);
}

void RowStore::Read(const std::vector<StoredValue>& values, Cell* cells) {
  for (size_t c = 0; c < columns_; ++c) {
    const StoredValue& value = values[c];
    Cell& cell = cells[c];
    cell = Cell();
    cell.kind = value.kind;
    cell.integer = value.integer;
    cell.real = value.real;
    if (value.kind == StoredValue::Kind::kText ||
        value.kind == StoredValue::Kind::kBlob) {
      cell.offset = bytes_.size();
      cell.size = value.bytes.size();
      bytes_ += value.bytes;
    }
  }
}

void RowStore::Truncate(size_t rows) {
  rows_ = std::min(rows_, rows);
  cells_.resize(rows_ * columns_);
}

std::vector<Cell> RowStore::Save(size_t row) const {
  auto first = cells_.begin() + static_cast<std::ptrdiff_t>(row * columns_);
  return std::vector<Cell>(first, first + static_cast<std::ptrdiff_t>(columns_));
}

void RowStore::Restore(size_t row, const std::vector<Cell>& cells) {
  std::copy(cells.begin(), cells.end(),
            cells_.begin() + static_cast<std::ptrdiff_t>(row * columns_));
}

void RowStore::Read(sqlite3_stmt* stmt, Cell* cells) {
  for (size_t c = 0; c < columns_; ++c) {
    const int column = static_cast<int>(c);
    Cell& cell = cells[c];
    cell = Cell();
    switch (sqlite3_column_type(stmt, column)) {
      case SQLITE_INTEGER:
        cell.kind = StoredValue::Kind::kInteger;
        cell.integer = sqlite3_column_int64(stmt, column);
        break;
      case SQLITE_FLOAT:
        cell.kind = StoredValue::Kind::kReal;
        cell.real = sqlite3_column_double(stmt, column);
        break;
      case SQLITE_TEXT: {
        cell.kind = StoredValue::Kind::kText;
        const auto* text =
            reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        cell.size = static_cast<size_t>(sqlite3_column_bytes(stmt, column));
        cell.offset = bytes_.size();
        bytes_.append(text, cell.size);
        break;
      }
      case SQLITE_BLOB: {
        cell.kind = StoredValue::Kind::kBlob;
        const auto* blob = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        cell.size = static_cast<size_t>(sqlite3_column_bytes(stmt, column));
        cell.offset = bytes_.size();
        if (cell.size > 0) bytes_.append(blob, cell.size);
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace vx::dao
