// A recordset of the engine: the rows of one statement, with a current row.
//
// Rows are fetched lazily; RecordCount is the number of rows reached so far
// (at least 1 whenever a row exists) and exact after MoveLast.  A dynaset
// on one table is updatable: AddNew or Edit start an edit buffer, field
// assignments go into it (conversion errors raise at the assignment),
// Update writes it.  Updates are optimistic and row-level: Update fails
// with 3197 when another user changed or deleted the row since this
// recordset read it, and with 3218 when the write lock does not come within
// the writers' wait (kWriteLockWaitMs, connection.h).

#ifndef VX_ENGINE_RECORDSET_H_
#define VX_ENGINE_RECORDSET_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/stored_row.h"
#include "vx_taluvek/variant.h"

namespace vx::dao {

class Recordset;
struct RecordsetCursor;

class Field {
 public:
  // Column name as the statement gives it.
  const std::string& Name() const;
  // The value of the current row, or of the edit buffer while editing:
  // null reads as null, booleans as booleans, dates as dates, long binary
  // as byte arrays, other columns as the type of their declaration.
  // Raises 3021 without a current row.
  Variant Value() const;
  // Assigns to the edit buffer.  Raises 3020 "Update or CancelUpdate
  // without AddNew or Edit." outside an edit, 3421 when the value cannot be
  // converted to the column's type, 3163 when a text is longer than the
  // column, 3027 on a read-only recordset.  A date column takes a date or a
  // text that reads as one; a long text column takes a byte array as the
  // text whose 16-bit code units those bytes are (low byte first).
  void SetValue(const Variant& value);
  // DAO type code (1 boolean ... 23 time stamp), from the declared type.
  int16_t Type() const;
  // Declared size (characters of a text column, bytes of a number).
  int32_t Size() const;
  // Bytes of data stored in the current row (for long text and binary
  // columns); 0 for null or empty.
  int32_t FieldSize() const;

 private:
  friend class Recordset;
  friend class Fields;
  Field(RecordsetCursor* rs, int32_t index) : rs_(rs), index_(index) {}
  RecordsetCursor* rs_;
  int32_t index_;
};

class Fields {
 public:
  int32_t Count() const;
  // By 0-based index (3265 when out of range) or by name without regard
  // to case (3265 "Item not found in this collection." when unknown).
  Field& operator[](int32_t index);
  Field& operator[](std::string_view name);
  Field& Item(const Variant& index_or_name);
  // The field of that name, or nullptr.
  Field* Find(std::string_view name);
  // What describes these columns, or nullptr for none.  The recordsets of
  // one kept statement share it while its columns stay as they are: fields
  // with the same description have the same names in the same order.
  std::shared_ptr<const void> Description() const;

 private:
  friend class Recordset;
  std::vector<Field> fields_;
};

class Recordset : public Object {
 public:
  explicit Recordset(std::unique_ptr<RecordsetCursor> state);
  ~Recordset() override;

  int32_t RecordCount();
  // "EOF" and "BOF" are taken by the C library's macros.
  bool Eof();
  bool Bof();
  void MoveFirst();
  void MoveNext();  // 3021 when already past the last row
  void MovePrevious();
  void MoveLast();

  dao::Fields& Fields();
  // Copies the current row as stored into `row`, to read after the
  // recordset is closed (StoredRow::CopyFrom); 3021 without a current row.
  void CopyCurrentRow(StoredRow& row) const;

  void AddNew();
  void Edit();         // 3021 without a current row
  void Update();       // 3020 without AddNew or Edit
  void CancelUpdate();

  // Bookmark of the row last added or changed; 3021 when none.
  Variant LastModified() const;
  Variant Bookmark() const;
  void SetBookmark(const Variant& bookmark);  // 3159 "Not a valid bookmark."

  // Stores `size` bytes into the byte column `field` of the current row's
  // table (a column of the table, whether or not the recordset reads it),
  // streamed: `read` fills the buffer it is given and answers how many
  // bytes it put there (0 too early raises 3000).  The bytes and the row's
  // new version are written in one transaction, so that a failure leaves
  // the column as it was.  The recordset's cached value of that column is
  // not refreshed.  Raises 3021 without a current row, 3027 on a recordset
  // that is not updatable, 3197 when another user changed the row since
  // the recordset read it, 3219 on a store that cannot stream.
  void LoadField(const std::string& field, int64_t size,
                 const std::function<size_t(char*, size_t)>& read);
  // Hands the bytes of the byte column `field` of the current row's table
  // to `write`, piece by piece as they come from the store; false when the
  // column is null.  Raises as LoadField does.
  bool StreamField(const std::string& field,
                   const std::function<void(std::string_view)>& write);

  // Closes the recordset and lets go of its statement (and of its read
  // lock); later use raises 3420.
  void Close();

 private:
  std::unique_ptr<RecordsetCursor> state_;
  dao::Fields fields_;
};

}  // namespace vx::dao

#endif  // VX_ENGINE_RECORDSET_H_
