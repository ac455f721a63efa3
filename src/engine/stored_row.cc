#include "engine/stored_row.h"

#include <algorithm>
#include <string_view>

#include "engine/column_set.h"
#include "engine/dao_errors.h"
#include "engine/recordset_state.h"

namespace vx::dao {

void StoredRow::Clear() {
  columns_.reset();
  cells_.clear();
  bytes_.clear();
}

void StoredRow::CopyFrom(const RecordsetCursor& cursor) {
  Clear();
  cursor.CheckOpen();
  if (!cursor.HasCurrentRow()) RaiseDao(kErrNoCurrentRecord);
  columns_ = cursor.columns;
  // The visible columns only: a dynaset's hidden rowid stays behind.  A
  // row's texts and blobs were stored one after the other: the span from
  // the first to the end of the last is copied in one piece.
  const size_t count = columns_->size();
  const Cell* row = &cursor.rows.At(cursor.current, 0);
  cells_.assign(row, row + count);
  auto has_bytes = [](const Cell& cell) {
    return cell.kind == StoredValue::Kind::kText ||
           cell.kind == StoredValue::Kind::kBlob;
  };
  size_t first = std::string::npos;
  size_t end = 0;
  for (const Cell& cell : cells_) {
    if (has_bytes(cell)) {
      first = std::min(first, cell.offset);
      end = std::max(end, cell.offset + cell.size);
    }
  }
  if (first == std::string::npos) return;
  const Cell span{.offset = first, .size = end - first};
  bytes_.assign(cursor.rows.BytesOf(span));
  // A recordset of one row holds its bytes from the start: nothing to move.
  if (first == 0) return;
  for (Cell& cell : cells_) {
    if (has_bytes(cell)) cell.offset -= first;
  }
}

ColumnType StoredRow::TypeOf(size_t column) const {
  const ColumnInfo& info = (*columns_)[column];
  return info.declared ? info.type : TypeOfKind(cells_[column].kind);
}

Variant StoredRow::Value(size_t column) const {
  const Cell& cell = cells_[column];
  const std::string_view bytes =
      std::string_view(bytes_).substr(cell.offset, cell.size);
  return ReadStoredValue(TypeOf(column), cell.kind, cell.integer, cell.real,
                         bytes);
}

std::optional<std::string_view> StoredRow::StoredText(size_t column) const {
  const Cell& cell = cells_[column];
  if (cell.kind != StoredValue::Kind::kText) return std::nullopt;
  switch (TypeOf(column).type) {
    case kTypeText:
    case kTypeMemo:
    case kTypeGuid:
      return std::string_view(bytes_).substr(cell.offset, cell.size);
    default:
      return std::nullopt;
  }
}

int32_t StoredRow::FieldSize(size_t column) const {
  const Cell& cell = cells_[column];
  return FieldSizeOf(cell.kind, cell.size, TypeOf(column));
}

}  // namespace vx::dao
