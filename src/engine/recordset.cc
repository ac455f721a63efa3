#include "engine/recordset.h"

#include <limits>

#include "engine/dao_errors.h"
#include "engine/recordset_state.h"

namespace vx::dao {

using Where = RecordsetCursor::Where;
using EditMode = RecordsetCursor::EditMode;

// ---- Field ----

const std::string& Field::Name() const {
  return (*rs_->columns)[static_cast<size_t>(index_)].name;
}

Variant Field::Value() const { return rs_->Value(static_cast<size_t>(index_)); }

void Field::SetValue(const Variant& value) {
  rs_->SetValue(static_cast<size_t>(index_), value);
}

int16_t Field::Type() const {
  rs_->CheckOpen();
  return rs_->TypeOf(static_cast<size_t>(index_)).type;
}

int32_t Field::Size() const {
  rs_->CheckOpen();
  return rs_->TypeOf(static_cast<size_t>(index_)).size;
}

int32_t Field::FieldSize() const {
  rs_->CheckOpen();
  if (!rs_->HasCurrentRow()) RaiseDao(kErrNoCurrentRecord);
  const size_t column = static_cast<size_t>(index_);
  const Cell& cell = rs_->rows.At(rs_->current, column);
  return FieldSizeOf(cell.kind, cell.size, rs_->TypeOf(column));
}

// ---- Fields ----

int32_t Fields::Count() const { return static_cast<int32_t>(fields_.size()); }

Field& Fields::operator[](int32_t index) {
  if (index < 0 || index >= Count()) RaiseDao(kErrItemNotFound);
  return fields_[static_cast<size_t>(index)];
}

Field& Fields::operator[](std::string_view name) {
  Field* field = Find(name);
  if (field == nullptr) RaiseDao(kErrItemNotFound);
  return *field;
}

Field& Fields::Item(const Variant& index_or_name) {
  if (index_or_name.IsString()) return (*this)[*index_or_name.get_if<std::string>()];
  if (index_or_name.IsNumber()) return (*this)[CLng(index_or_name)];
  RaiseDao(kErrItemNotFound);
}

Field* Fields::Find(std::string_view name) {
  if (fields_.empty()) return nullptr;
  std::optional<size_t> index = fields_.front().rs_->columns->Find(name);
  return index ? &fields_[*index] : nullptr;
}

std::shared_ptr<const void> Fields::Description() const {
  if (fields_.empty()) return nullptr;
  return fields_.front().rs_->columns;
}

// ---- Recordset ----

Recordset::Recordset(std::unique_ptr<RecordsetCursor> state)
    : state_(std::move(state)) {
  const int32_t count = static_cast<int32_t>(state_->columns->size());
  fields_.fields_.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    fields_.fields_.push_back(Field(state_.get(), i));
  }
}

Recordset::~Recordset() = default;

int32_t Recordset::RecordCount() {
  state_->CheckOpen();
  const RecordsetCursor& s = *state_;
  const size_t count =
      s.finished ? s.rows.rows() : std::min(s.rows.rows(), s.reached + s.added);
  return static_cast<int32_t>(
      std::min<size_t>(count, std::numeric_limits<int32_t>::max()));
}

bool Recordset::Eof() {
  state_->CheckOpen();
  return state_->where == Where::kEof;
}

bool Recordset::Bof() {
  state_->CheckOpen();
  return state_->where == Where::kBof || state_->rows.rows() == 0;
}

void Recordset::MoveFirst() {
  state_->CheckOpen();
  state_->CancelEdit();
  state_->FetchUpTo(1);
  if (state_->rows.rows() == 0) RaiseDao(kErrNoCurrentRecord);
  state_->GoTo(0);
}

void Recordset::MoveNext() {
  state_->CheckOpen();
  state_->CancelEdit();
  switch (state_->where) {
    case Where::kEof:
      RaiseDao(kErrNoCurrentRecord);
    case Where::kBof:
      state_->GoTo(0);
      break;
    case Where::kRow:
      state_->GoTo(state_->current + 1);
      break;
  }
}

void Recordset::MovePrevious() {
  state_->CheckOpen();
  state_->CancelEdit();
  switch (state_->where) {
    case Where::kBof:
      RaiseDao(kErrNoCurrentRecord);
    case Where::kRow:
      if (state_->current == 0) {
        state_->where = Where::kBof;
      } else {
        state_->GoTo(state_->current - 1);
      }
      break;
    case Where::kEof:
      // Past the last row the statement is finished: every row is kept.
      if (state_->rows.rows() == 0) RaiseDao(kErrNoCurrentRecord);
      state_->GoTo(state_->rows.rows() - 1);
      break;
  }
}

void Recordset::MoveLast() {
  state_->CheckOpen();
  state_->CancelEdit();
  state_->FetchUpTo(std::numeric_limits<size_t>::max());
  if (state_->rows.rows() == 0) RaiseDao(kErrNoCurrentRecord);
  state_->GoTo(state_->rows.rows() - 1);
}

dao::Fields& Recordset::Fields() { return fields_; }

void Recordset::CopyCurrentRow(StoredRow& row) const { row.CopyFrom(*state_); }

void Recordset::AddNew() {
  state_->CheckOpen();
  if (!state_->updatable || state_->ReadOnly()) {
    RaiseDao(kErrReadOnly);
  }
  state_->CancelEdit();
  state_->edit = EditMode::kAdd;
}

void Recordset::Edit() {
  state_->CheckOpen();
  if (!state_->updatable || state_->ReadOnly()) {
    RaiseDao(kErrReadOnly);
  }
  if (!state_->HasCurrentRow()) RaiseDao(kErrNoCurrentRecord);
  state_->CancelEdit();
  state_->edit = EditMode::kEdit;
}

void Recordset::Update() { state_->Update(); }

void Recordset::CancelUpdate() {
  state_->CheckOpen();
  if (state_->edit == EditMode::kNone) RaiseDao(kErrUpdateWithoutEdit);
  state_->CancelEdit();
}

Variant Recordset::LastModified() const {
  state_->CheckOpen();
  if (!state_->last_modified) RaiseDao(kErrNoCurrentRecord);
  return state_->BookmarkOf(*state_->last_modified);
}

Variant Recordset::Bookmark() const {
  state_->CheckOpen();
  if (!state_->HasCurrentRow()) RaiseDao(kErrNoCurrentRecord);
  return state_->BookmarkOf(state_->current);
}

void Recordset::SetBookmark(const Variant& bookmark) {
  state_->CheckOpen();
  const size_t row = state_->RowOfBookmark(bookmark);
  state_->CancelEdit();
  state_->GoTo(row);
}

void Recordset::LoadField(const std::string& field, int64_t size,
                          const std::function<size_t(char*, size_t)>& read) {
  state_->CheckOpen();
  if (!state_->HasCurrentRow()) RaiseDao(kErrNoCurrentRecord);
  state_->LoadField(field, size, read);
}

bool Recordset::StreamField(const std::string& field,
                            const std::function<void(std::string_view)>& write) {
  state_->CheckOpen();
  if (!state_->HasCurrentRow()) RaiseDao(kErrNoCurrentRecord);
  return state_->StreamField(field, write);
}

void RecordsetCursor::LoadField(const std::string& /*field*/, int64_t /*size*/,
                                const std::function<size_t(char*, size_t)>& /*read*/) {
  RaiseDao(kErrInvalidOperation);
}

bool RecordsetCursor::StreamField(const std::string& /*field*/,
                                  const std::function<void(std::string_view)>& /*write*/) {
  RaiseDao(kErrInvalidOperation);
}

void Recordset::Close() {
  state_->CheckOpen();
  state_->Release();
}

}  // namespace vx::dao
