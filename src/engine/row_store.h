// The rows a recordset has fetched, kept so that it can move back.
//
// All rows live in two growing buffers, one of cells and one of the bytes
// of texts and blobs, so that fetching a row allocates nothing once the
// buffers have grown.

#ifndef VX_ENGINE_ROW_STORE_H_
#define VX_ENGINE_ROW_STORE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/field_types.h"

struct sqlite3_stmt;

namespace vx::dao {

struct Cell {
  StoredValue::Kind kind = StoredValue::Kind::kNull;
  int64_t integer = 0;
  double real = 0;
  size_t offset = 0;  // of a text or blob in the byte buffer
  size_t size = 0;
};

// The room of a row store a connection keeps for its next recordset.
inline constexpr size_t kKeptRowStoreRoom = 64 * 1024;

class RowStore {
 public:
  explicit RowStore(size_t columns = 0) : columns_(columns) {}

  size_t rows() const { return rows_; }
  size_t columns() const { return columns_; }
  // The bytes the store has room for, cells and texts.
  size_t room() const {
    return cells_.capacity() * sizeof(Cell) + bytes_.capacity();
  }

  // Makes the store one of no rows of `columns` columns, keeping its room.
  void Clear(size_t columns);

  // Appends the current row of `stmt` (its first columns() columns);
  // returns its index.
  size_t Append(sqlite3_stmt* stmt);
  // Replaces row `row` with the current row of `stmt`.
  void Replace(size_t row, sqlite3_stmt* stmt);
  // The same from values read elsewhere (one per column).
  size_t Append(const std::vector<StoredValue>& values);
  void Replace(size_t row, const std::vector<StoredValue>& values);
  // Drops the rows from `rows` on.
  void Truncate(size_t rows);

  // The cells of a row follow each other: &At(row, 0) is an array of
  // columns() cells.
  const Cell& At(size_t row, size_t column) const {
    return cells_[row * columns_ + column];
  }
  std::string_view BytesOf(const Cell& cell) const {
    return std::string_view(bytes_).substr(cell.offset, cell.size);
  }
  // The cells of a row, to put back with Restore.
  std::vector<Cell> Save(size_t row) const;
  void Restore(size_t row, const std::vector<Cell>& cells);

 private:
  void Read(sqlite3_stmt* stmt, Cell* cells);
  void Read(const std::vector<StoredValue>& values, Cell* cells);

  size_t columns_;
  size_t rows_ = 0;
  std::vector<Cell> cells_;
  std::string bytes_;
};

}  // namespace vx::dao

#endif  // VX_ENGINE_ROW_STORE_H_
