// A copy of the current row of a recordset that lives on without it.
//
// A reader that keeps a row for later, and may never look at most of its
// columns, keeps the row as the engine stores it and makes a Variant only
// of the columns it reads; the copy is the row's cells and text, not a
// value per column.

#ifndef VX_ENGINE_STORED_ROW_H_
#define VX_ENGINE_STORED_ROW_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/row_store.h"
#include "vx_taluvek/variant.h"

namespace vx::dao {

class ColumnSet;
struct RecordsetCursor;

class StoredRow {
 public:
  // A row of no columns.
  StoredRow() = default;

  // Makes this row a copy of the current row of `cursor` as it is stored,
  // without what its edit buffer holds, in the room of the row it was.
  // Raises 3021 when there is no current row; the row is then empty.
  void CopyFrom(const RecordsetCursor& cursor);
  // Makes this a row of no columns, keeping its room.
  void Clear();

  size_t size() const { return cells_.size(); }

  // What Field::Value and Field::FieldSize of the recordset gave for the
  // column at 0-based `column` (< size()) when the row was copied.
  Variant Value(size_t column) const;
  int32_t FieldSize(size_t column) const;
  // The text Value gives for `column` when it is the stored text itself (a
  // text in a column of a text type), to be read without a Variant;
  // nothing otherwise.
  std::optional<std::string_view> StoredText(size_t column) const;

 private:
  ColumnType TypeOf(size_t column) const;

  std::shared_ptr<const ColumnSet> columns_;
  std::vector<Cell> cells_;  // offsets into bytes_
  std::string bytes_;
};

}  // namespace vx::dao

#endif  // VX_ENGINE_STORED_ROW_H_
