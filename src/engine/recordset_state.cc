#include "engine/recordset_state.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>

#include "engine/dao_errors.h"
#include "engine/recordset.h"
#include "engine/translation_cache.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

namespace {

// Rows fetched beyond the current one.
constexpr size_t kLookahead = 1;

constexpr size_t kBookmarkBytes = 8;

}  // namespace

bool IsBareTableName(std::string_view given) {
  const std::string_view sql = TrimmedView(given);
  if (sql.empty()) return false;
  if (sql.front() == '[') {
    return sql.back() == ']' && sql.find(']') == sql.size() - 1;
  }
  for (char c : sql) {
    const bool name_char = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '_' ||
                           static_cast<unsigned char>(c) >= 0x80;
    if (!name_char) return false;
  }
  return true;
}

namespace {

void BindStored(sqlite3_stmt* stmt, int index, const StoredValue& value) {
  switch (value.kind) {
    case StoredValue::Kind::kNull:
      sqlite3_bind_null(stmt, index);
      break;
    case StoredValue::Kind::kInteger:
      sqlite3_bind_int64(stmt, index, value.integer);
      break;
    case StoredValue::Kind::kReal:
      sqlite3_bind_double(stmt, index, value.real);
      break;
    case StoredValue::Kind::kText:
      sqlite3_bind_text64(stmt, index, value.bytes.data(), value.bytes.size(),
                          SQLITE_STATIC, SQLITE_UTF8);
      break;
    case StoredValue::Kind::kBlob:
      sqlite3_bind_blob64(stmt, index, value.bytes.data(), value.bytes.size(),
                          SQLITE_STATIC);
      break;
  }
}

// The type of the column that a Max, Min or Sum reads, from the same
// column read over the statement's FROM clause; nothing when SQLite knows
// none or, for a Sum, when it is no currency (a Sum of integers may leave
// their range).
std::optional<ColumnType> AggregateType(Connection& connection,
                                        const TranslatedStatement& statement,
                                        const TypedAggregate& aggregate) {
  try {
    Statement probe = connection.Prepare("SELECT " + aggregate.column + " " +
                                         statement.from_clause);
    const char* declared = sqlite3_column_decltype(probe.get(), 0);
    if (declared == nullptr || declared[0] == '\0') return std::nullopt;
    const ColumnType type = DeclaredType(declared);
    if (aggregate.sum && type.type != kTypeCurrency) return std::nullopt;
    return type;
  } catch (const Error&) {
    return std::nullopt;  // the column as SQLite gives its values
  }
}

}  // namespace

RecordsetState::~RecordsetState() {
  if (open) Release();
  if (connection) connection->KeepRowStore(std::move(rows));
}

void RecordsetState::CheckOpen() const {
  if (!open || !connection->IsOpen()) RaiseDao(kErrObjectInvalid);
}

void RecordsetState::Release() {
  statement.Release();
  open = false;
  connection->Unregister(this);
}

void RecordsetState::ConnectionClosing() { Release(); }

int64_t RecordsetState::RowidOf(size_t row) const {
  return rows.At(row, RowidColumn()).integer;
}

void RecordsetState::FetchUpTo(size_t count) {
  while (!finished && rows.rows() < count) {
    bool row = false;
    try {
      row = statement.Step();
    } catch (const Error&) {
      finished = true;
      statement.Release();
      throw;
    }
    if (!row) {
      // All rows read: the statement's read lock goes with its reset.
      finished = true;
      statement.Release();
      break;
    }
    if (!written_rowids.empty() &&
        written_rowids.count(sqlite3_column_int64(
            statement.get(), static_cast<int>(RowidColumn()))) != 0) {
      continue;  // a row this recordset wrote and keeps already
    }
    rows.Append(statement.get());
  }
}

void RecordsetCursor::GoTo(size_t index) {
  FetchUpTo(index + 1 + kLookahead);
  if (index < rows.rows()) {
    where = Where::kRow;
    current = index;
    reached = std::max(reached, index + 1);
  } else {
    where = Where::kEof;
  }
}

void RecordsetCursor::CancelEdit() {
  edit = EditMode::kNone;
  for (std::optional<StoredValue>& value : buffer) value.reset();
}

ColumnType RecordsetCursor::TypeOf(size_t column) const {
  const ColumnInfo& info = (*columns)[column];
  if (info.declared) return info.type;
  if (edit != EditMode::kNone && buffer[column]) {
    return TypeOfKind(buffer[column]->kind);
  }
  if (where != Where::kRow) return ColumnType();
  return TypeOfKind(rows.At(current, column).kind);
}

Variant RecordsetCursor::Value(size_t column) const {
  CheckOpen();
  if (edit != EditMode::kNone) {
    if (const std::optional<StoredValue>& value = buffer[column]) {
      return ReadStoredValue(TypeOf(column), value->kind, value->integer,
                             value->real, value->bytes);
    }
    if (edit == EditMode::kAdd) return Variant::Null();
  }
  if (where != Where::kRow) RaiseDao(kErrNoCurrentRecord);
  const Cell& cell = rows.At(current, column);
  return ReadStoredValue(TypeOf(column), cell.kind, cell.integer, cell.real,
                         rows.BytesOf(cell));
}

void RecordsetCursor::SetValue(size_t column, const Variant& value) {
  CheckOpen();
  if (!updatable || ReadOnly()) RaiseDao(kErrReadOnly);
  if (edit == EditMode::kNone) RaiseDao(kErrUpdateWithoutEdit);
  const ColumnInfo& info = (*columns)[column];
  if (!info.writable) RaiseDao(kErrFieldNotUpdatable);
  buffer[column] =
      StoreValue(info.declared ? info.type : TypeOfValue(value), value);
}

void RecordsetState::BindCell(sqlite3_stmt* stmt, int index,
                              const Cell& cell) const {
  switch (cell.kind) {
    case StoredValue::Kind::kNull:
      sqlite3_bind_null(stmt, index);
      break;
    case StoredValue::Kind::kInteger:
      sqlite3_bind_int64(stmt, index, cell.integer);
      break;
    case StoredValue::Kind::kReal:
      sqlite3_bind_double(stmt, index, cell.real);
      break;
    case StoredValue::Kind::kText: {
      std::string_view text = rows.BytesOf(cell);
      sqlite3_bind_text64(stmt, index, text.data(), text.size(),
                          SQLITE_TRANSIENT, SQLITE_UTF8);
      break;
    }
    case StoredValue::Kind::kBlob: {
      std::string_view blob = rows.BytesOf(cell);
      sqlite3_bind_blob64(stmt, index, blob.data(), blob.size(),
                          SQLITE_TRANSIENT);
      break;
    }
  }
}

namespace {

// The columns that `take` picks, one per table column: where the statement
// reads a table column twice, the last of them.
template <typename Take>
std::vector<size_t> OnePerTableColumn(const ColumnSet& columns, Take take) {
  std::vector<size_t> picked;
  for (size_t c = columns.size(); c-- > 0;) {
    if (columns[c].origin.empty() || !take(c)) continue;
    bool seen = false;
    for (size_t p : picked) {
      seen = seen || EqualsNoCase(columns[p].origin, columns[c].origin);
    }
    if (!seen) picked.insert(picked.begin(), c);
  }
  return picked;
}

}  // namespace

std::vector<size_t> AssignedTableColumns(const RecordsetCursor& state) {
  return OnePerTableColumn(*state.columns, [&](size_t c) {
    return state.buffer[c].has_value();
  });
}

std::vector<size_t> ReadTableColumns(const RecordsetCursor& state) {
  return OnePerTableColumn(*state.columns, [](size_t) { return true; });
}

std::vector<size_t> RecordsetState::AssignedColumns() const {
  return AssignedTableColumns(*this);
}

int64_t RecordsetState::WriteAdded() {
  const std::vector<size_t> assigned = AssignedColumns();
  std::string sql = "INSERT INTO " + QuoteName(source->table);
  if (assigned.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (size_t c : assigned) {
      if (!names.empty()) names += ", ", marks += ", ";
      names += QuoteName((*columns)[c].origin);
      marks += "?";
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  Statement insert = connection->Prepare(sql);
  int index = 1;
  for (size_t c : assigned) BindStored(insert.get(), index++, *buffer[c]);
  insert.Step();
  return sqlite3_last_insert_rowid(connection->handle());
}

int64_t RecordsetState::WriteEdited() {
  const std::vector<size_t> assigned = AssignedColumns();
  // Every column read must still hold what was read; compared as stored
  // (BINARY), not through the column's NOCASE collation.
  const ColumnSet& read = *columns;
  const std::vector<size_t> compared =
      OnePerTableColumn(read, [](size_t) { return true; });
  std::string sql = "UPDATE " + QuoteName(source->table) + " SET ";
  for (size_t i = 0; i < assigned.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += QuoteName(read[assigned[i]].origin) + " = ?";
  }
  sql += " WHERE _rowid_ = ?";
  for (size_t c : compared) {
    sql += " AND " + QuoteName(read[c].origin) + " IS ? COLLATE BINARY";
  }
  sql += " RETURNING _rowid_";

  Statement update = connection->Prepare(sql);
  int index = 1;
  for (size_t c : assigned) BindStored(update.get(), index++, *buffer[c]);
  sqlite3_bind_int64(update.get(), index++, RowidOf(current));
  for (size_t c : compared) BindCell(update.get(), index++, rows.At(current, c));
  // No row: another user changed or deleted it since this recordset read it.
  if (!update.Step()) RaiseDao(kErrWriteConflict);
  const int64_t rowid = sqlite3_column_int64(update.get(), 0);
  while (update.Step()) {
  }
  return rowid;
}

void RecordsetState::ReadBack(int64_t rowid, std::optional<size_t> replace) {
  // The recordset's own select list over the one row.
  const std::string rowid_column = source->qualifier + "._rowid_";
  Statement read = connection->Prepare(
      "SELECT " + source->select_list + ", " + rowid_column + " FROM " +
      source->table_reference + " WHERE " + rowid_column + " = ?");
  read.Bind(select_list_parameters);
  sqlite3_bind_int64(read.get(),
                     static_cast<int>(select_list_parameters.size()) + 1, rowid);
  if (!read.Step()) RaiseDao(kErrWriteConflict);
  if (replace) {
    rows.Replace(*replace, read.get());
  } else {
    rows.Append(read.get());
  }
}

void RecordsetState::Update() {
  CheckOpen();
  if (edit == EditMode::kNone) RaiseDao(kErrUpdateWithoutEdit);
  const bool adding = edit == EditMode::kAdd;
  if (!adding && AssignedColumns().empty()) {
    last_modified = current;  // nothing changed, nothing to write
    CancelEdit();
    return;
  }
  const size_t rows_before = rows.rows();
  const std::optional<size_t> target =
      adding ? std::nullopt : std::optional<size_t>(current);
  const std::vector<Cell> saved = target ? rows.Save(*target) : std::vector<Cell>();
  int64_t rowid = 0;
  try {
    connection->InWriteTransaction([&] {
      rowid = adding ? WriteAdded() : WriteEdited();
      ReadBack(rowid, target);
    });
  } catch (...) {
    // The rows kept stay as they were; the edit goes on, as after any
    // failed Update.
    rows.Truncate(rows_before);
    if (target) rows.Restore(*target, saved);
    throw;
  }
  written_rowids.insert(rowid);
  if (target) {
    written_rowids.insert(RowidOf(*target));
    last_modified = *target;
  } else {
    last_modified = rows.rows() - 1;
    ++added;
  }
  CancelEdit();
}

ByteArray RecordsetCursor::BookmarkOf(size_t row) const {
  ByteArray bytes(kBookmarkBytes);
  for (size_t i = 0; i < 4; ++i) {
    bytes[i] = static_cast<uint8_t>(tag >> (8 * i));
    bytes[4 + i] = static_cast<uint8_t>(row >> (8 * i));
  }
  return bytes;
}

size_t RecordsetCursor::RowOfBookmark(const Variant& bookmark) const {
  ByteArray bytes;
  if (const ByteArray* given = bookmark.get_if<ByteArray>()) {
    bytes = *given;
  } else if (bookmark.IsString()) {
    bytes = CByteArray(bookmark);
  }
  if (bytes.size() != kBookmarkBytes) RaiseDao(kErrBadBookmark);
  uint32_t bookmark_tag = 0;
  size_t row = 0;
  for (size_t i = 0; i < 4; ++i) {
    bookmark_tag |= uint32_t{bytes[i]} << (8 * i);
    row |= size_t{bytes[4 + i]} << (8 * i);
  }
  if (bookmark_tag != tag || row >= rows.rows()) RaiseDao(kErrBadBookmark);
  return row;
}

uint32_t NextRecordsetTag() {
  static std::atomic<uint32_t> next_tag{1};
  return next_tag++;
}

std::shared_ptr<Recordset> OpenRecordsetOn(
    const std::shared_ptr<Connection>& connection, const std::string& sql,
    RecordsetType type) {
  connection->CheckOpen();
  const TranslatedStatement translated =
      IsBareTableName(sql) ? TranslateKept("SELECT * FROM " + sql)
                           : TranslateKept(sql);
  if (translated.kind != StatementKind::kSelect) {
    RaiseDao(kErrInvalidOperation);
  }

  auto state = std::make_unique<RecordsetState>();
  state->connection = connection;
  state->tag = NextRecordsetTag();
  const bool dynaset = type == kOpenDynaset || type == kOpenTable;
  if (dynaset && translated.source && !connection->read_only()) {
    const SingleTableSource& source = *translated.source;
    const std::string rowid = source.qualifier + "._rowid_";
    try {
      state->statement = connection->Prepare(
          translated.sql.substr(0, source.from_offset) + ", " + rowid + " " +
          translated.sql.substr(source.from_offset));
      state->updatable = true;
    } catch (const Error&) {
      // A view or a table without rowid: read-only.  A fault of the
      // statement itself shows when it is prepared as written, below.
    }
    if (state->updatable) {
      state->source = source;
      state->select_list_parameters.assign(
          translated.parameters.begin(),
          translated.parameters.begin() +
              static_cast<std::ptrdiff_t>(source.select_list_parameters));
    }
  }
  if (!state->statement) state->statement = connection->Prepare(translated.sql);
  sqlite3_stmt* stmt = state->statement.get();
  state->statement.Bind(translated.parameters);

  // The columns are described after the first step: a cached statement is
  // prepared anew there when another connection changed the schema, and
  // only then tells its columns as they are now.
  const bool row = state->statement.Step();
  std::shared_ptr<const ColumnSet>& described = state->statement.columns();
  if (!described || !described->Fits(stmt)) {
    auto columns = std::make_shared<ColumnSet>(
        connection->handle(), stmt,
        sqlite3_column_count(stmt) - (state->updatable ? 1 : 0),
        state->updatable ? &state->source->table : nullptr);
    for (const TypedAggregate& aggregate : translated.typed_aggregates) {
      if (aggregate.position >= columns->size() ||
          (*columns)[aggregate.position].declared) {
        continue;
      }
      if (std::optional<ColumnType> typed =
              AggregateType(*connection, translated, aggregate)) {
        columns->SetExpressionType(aggregate.position, *typed);
      }
    }
    described = std::move(columns);
  }
  state->columns = described;
  state->buffer.resize(state->columns->size());
  state->rows = connection->TakeRowStore(
      static_cast<size_t>(sqlite3_column_count(stmt)));
  if (row) {
    state->rows.Append(stmt);
  } else {
    state->finished = true;
    state->statement.Release();
  }

  connection->Register(state.get());
  state->GoTo(0);
  return std::make_shared<Recordset>(std::move(state));
}

}  // namespace vx::dao
