// The inner state of a recordset (recordset.h): its statement, the rows it
// has fetched, its position and its edit buffer.
//
// Rows are fetched as the recordset moves, always one beyond the current
// row.  So a statement whose rows are all reached is finished and reset at
// once, and with it SQLite's read lock goes: a recordset on one row holds
// no lock after it opens.
//
// A dynaset over one table of a file reads each row's rowid in a hidden
// last column.
// Update writes a row only when every column this recordset read still
// holds what it read (compared exactly), and reads the written row back by
// its rowid, so that values the engine assigns (a counter, defaults) show.

#ifndef VX_ENGINE_RECORDSET_STATE_H_
#define VX_ENGINE_RECORDSET_STATE_H_

#include <cstdint>
#include <functional>
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

// What Recordset and Field work on, whatever store the rows come from: the
// rows fetched so far, the position and the edit buffer.  A backend fetches
// rows and writes the edit buffer.
struct RecordsetCursor {
  virtual ~RecordsetCursor() = default;

  // Raises 3420 when the recordset or its database is closed.
  virtual void CheckOpen() const = 0;
  // Fetches until `count` rows are kept or the statement is finished.
  virtual void FetchUpTo(size_t count) = 0;
  // Whether the database was opened read-only.
  virtual bool ReadOnly() const = 0;
  // Writes the edit buffer (see recordset.h).
  virtual void Update() = 0;
  // Lets go of the statement; the recordset is closed.
  virtual void Release() = 0;
  // Streams a byte column of the current row in and out (recordset.h);
  // stores that cannot raise 3219.
  virtual void LoadField(const std::string& field, int64_t size,
                         const std::function<size_t(char*, size_t)>& read);
  virtual bool StreamField(const std::string& field,
                           const std::function<void(std::string_view)>& write);

  // Makes row `index` current, or moves past the last row.
  void GoTo(size_t index);
  void CancelEdit();
  bool HasCurrentRow() const { return where == Where::kRow; }
  // The value of a field in the current row or the edit buffer.
  Variant Value(size_t column) const;
  void SetValue(size_t column, const Variant& value);
  // Bookmark bytes of a row, and the row of a bookmark (3159).
  ByteArray BookmarkOf(size_t row) const;
  size_t RowOfBookmark(const Variant& bookmark) const;
  // The type of a column, for expression columns from the current value.
  ColumnType TypeOf(size_t column) const;

  bool open = true;
  uint32_t tag = 0;  // tells this recordset's bookmarks from others'
  bool finished = false;  // every row of the statement is kept
  bool updatable = false;

  std::shared_ptr<const ColumnSet> columns;  // the visible ones
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
};

// A tag for a new recordset's bookmarks.
uint32_t NextRecordsetTag();

// The rows of a statement on a database file.
struct RecordsetState final : RecordsetCursor, ConnectionClient {
  ~RecordsetState() override;

  void CheckOpen() const override;
  void FetchUpTo(size_t count) override;
  bool ReadOnly() const override { return connection->read_only(); }
  void Update() override;
  void Release() override;
  void ConnectionClosing() override;

  std::shared_ptr<Connection> connection;

  // The statement while it still has rows.
  Statement statement;

  // Updates: the table, how to read a row back, which rows this recordset
  // has written (not to be taken again when the statement reaches them).
  std::optional<SingleTableSource> source;
  std::vector<Parameter> select_list_parameters;
  std::unordered_set<int64_t> written_rowids;

 private:
  // The rowid follows the visible columns.
  size_t RowidColumn() const { return columns->size(); }
  int64_t RowidOf(size_t row) const;
  void BindCell(sqlite3_stmt* stmt, int index, const Cell& cell) const;
  // The columns the edit buffer assigns, one per table column.
  std::vector<size_t> AssignedColumns() const;
  int64_t WriteAdded();
  int64_t WriteEdited();
  void ReadBack(int64_t rowid, std::optional<size_t> replace);
};

// The columns that the edit buffer of `state` assigns, one per table
// column: where the statement reads a table column twice, the last.
std::vector<size_t> AssignedTableColumns(const RecordsetCursor& state);
// Every table column the statement reads, one each.
std::vector<size_t> ReadTableColumns(const RecordsetCursor& state);

// Whether `sql` is only a table's name ("Projekt", "[Projekt Daten]"),
// which opens a recordset on all the table's rows.
bool IsBareTableName(std::string_view sql);

// Opens a recordset of `type` on the dialect statement (or table name)
// `sql` of `connection`.
std::shared_ptr<Recordset> OpenRecordsetOn(
    const std::shared_ptr<Connection>& connection, const std::string& sql,
    RecordsetType type);

}  // namespace vx::dao

#endif  // VX_ENGINE_RECORDSET_STATE_H_
