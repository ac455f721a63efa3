// The inner state of a recordset (recordset.h): its statement, the rows it
// has fetched, its position and its edit buffer.
//
// Rows are fetched as the recordset moves, always one beyond the current
// row.  So a statement whose rows are all reached is finished and reset at
// once, and with it SQLite's read lock goes: a recordset on one row holds
// no lock after it opens.
//
// A dynaset over one table reads each row's rowid in a hidden last column.
// Update writes a row only when every column this recordset read still
// holds what it read (compared exactly), and reads the written row back by
// its rowid, so that values the engine assigns (a counter, defaults) show.

#ifndef VX_ENGINE_RECORDSET_STATE_H_
#define VX_ENGINE_RECORDSET_STATE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/column_set.h"
#include "engine/connection.h"
#include "engine/database.h"
#include "engine/field_types.h"
#include "engine/row_store.h"
#include "engine/sql_dialect.h"

namespace vx::dao {

class Recordset;

struct RecordsetState final : ConnectionClient {
  ~RecordsetState();

  // Raises 3420 when the recordset or its database is closed.
  void CheckOpen() const;
  // Fetches until `count` rows are kept or the statement is finished.
  void FetchUpTo(size_t count);
  // Makes row `index` current, or moves past the last row.
  void GoTo(size_t index);
  void CancelEdit();
  bool HasCurrentRow() const { return where == Where::kRow; }
  // The value of a field in the current row or the edit buffer.
  Variant Value(size_t column) const;
  void SetValue(size_t column, const Variant& value);
  // Writes the edit buffer (see recordset.h).
  void Update();
  // Bookmark bytes of a row, and the row of a bookmark (3159).
  ByteArray BookmarkOf(size_t row) const;
  size_t RowOfBookmark(const Variant& bookmark) const;
  // The type of a column, for expression columns from the current value.
  ColumnType TypeOf(size_t column) const;

  void ConnectionClosing() override;
  void Release();

  std::shared_ptr<Connection> connection;
  bool open = true;
  uint32_t tag = 0;  // tells this recordset's bookmarks from others'

  // The statement while it still has rows.
  Statement statement;
  bool finished = false;

  // Updates: the table, how to read a row back, which rows this recordset
  // has written (not to be taken again when the statement reaches them).
  bool updatable = false;
  std::optional<SingleTableSource> source;
  std::vector<Parameter> select_list_parameters;
  std::unordered_set<int64_t> written_rowids;

  std::shared_ptr<const ColumnSet> columns;  // visible ones; the rowid follows
  RowStore rows;

  enum class Where { kBof, kRow, kEof };
  Where where = Where::kEof;
  size_t current = 0;
  size_t reached = 0;  // rows visited so far
  size_t added = 0;    // rows added through AddNew

  enum class EditMode { kNone, kAdd, kEdit };
  EditMode edit = EditMode::kNone;
  std::vector<std::optional<StoredValue>> buffer;  // assigned values
  std::optional<size_t> last_modified;

 private:
  size_t RowidColumn() const { return columns->size(); }
  int64_t RowidOf(size_t row) const;
  void BindCell(sqlite3_stmt* stmt, int index, const Cell& cell) const;
  // The columns the edit buffer assigns, one per table column.
  std::vector<size_t> AssignedColumns() const;
  int64_t WriteAdded();
  int64_t WriteEdited();
  void ReadBack(int64_t rowid, std::optional<size_t> replace);
};

// Opens a recordset of `type` on the dialect statement (or table name)
// `sql` of `connection`.
std::shared_ptr<Recordset> OpenRecordsetOn(
    const std::shared_ptr<Connection>& connection, const std::string& sql,
    RecordsetType type);

}  // namespace vx::dao

#endif  // VX_ENGINE_RECORDSET_STATE_H_
