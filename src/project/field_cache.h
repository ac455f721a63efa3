// The field cache of a project: the caller's working copy of one row of
// Projekt, one entry per column in the order the engine gives them, found
// by 0-based position or by column name.

#ifndef VX_PROJECT_FIELD_CACHE_H_
#define VX_PROJECT_FIELD_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/recordset.h"
#include "engine/stored_row.h"
#include "vx_taluvek/variant.h"

namespace vx {

// A column's value as the cache holds it: the value, or null.
struct ColumnValue {
  Variant value;  // meaningless while is_null
  bool is_null = false;
};

struct ProjektFeld {
  Variant vWert;  // its value; meaningless while bIstNull
  bool bIstNull = false;

  // What the row held in this column when the object last read or saved
  // it, kept from the first write after that; nothing while vWert and
  // bIstNull are still that value.
  std::optional<ColumnValue> basis;
  // Whether the caller wrote the entry since the row was read or saved.
  bool written = false;
};

// Whether `a` and `b` are exactly the same value: the same type and value,
// or both null.
bool SameValue(const ColumnValue& a, const ColumnValue& b);

// The column that holds the remarks, in upper case.
inline constexpr std::string_view kRemarkColumn = "BEMERKUNG";

// Turns `value`, read from a column, into the form the cache holds, in
// place: null as null (`is_null`), and the remarks (`remark`) as the bytes
// of their 16-bit code units, as the suite's programs expect them; none
// when the column's FieldSize, asked of `field_size` for the remarks only,
// is 0.
template <typename FieldSize>
void MakeCachedForm(bool remark, Variant& value, bool& is_null,
                    FieldSize&& field_size) {
  is_null = value.IsNull();
  if (!is_null && remark) {
    value = field_size() >= 1 ? Variant(CByteArray(value))
                              : Variant(ByteArray());
  }
}

// The value of `field` in the current row (or edit buffer) as the cache
// holds the column `upper_name`.
ColumnValue CachedForm(std::string_view upper_name, dao::Field& field);

class FieldCache {
 public:
  FieldCache() { Reset(1); }

  // Makes the cache `entries` empty entries (at least one), the working
  // copy of no row.  The entries have no names until Name() gives them;
  // the name index is kept, and only Name() replaces it.
  void Reset(size_t entries);

  // Makes the entries, as Reset left them, the working copy of the current
  // row of `rs`, one column per entry, in their cached form
  // (MakeCachedForm); raises as Recordset::CopyCurrentRow.  An entry's
  // value is made from the row when the entry is first used: most callers
  // read a few columns of a row.  A column that cannot be read leaves its
  // entry empty.
  void Load(const dao::Recordset& rs);

  // A cache of one entry holds no row: reads and writes refuse it.
  bool Loaded() const { return size_ > 1; }
  size_t size() const { return size_; }
  ProjektFeld& operator[](size_t i) { return Entry(i); }
  const ProjektFeld& operator[](size_t i) const { return Entry(i); }

  // The Id of the row the cache is a working copy of; 0 for none.
  int32_t row_id() const { return row_id_; }
  void set_row_id(int32_t id) { row_id_ = id; }

  // Stores `data` in entry `i` for the caller (null as bIstNull).
  void Write(size_t i, const Variant& data);
  // Whether the caller changed entry `i` since the row was read or saved:
  // written, and no longer holding what the row held then.
  bool Changed(size_t i) const;
  // What the row held in entry `i`'s column when it was read or saved.
  ColumnValue Basis(size_t i) const;
  // After a save that wrote entry `i`: the row now holds `stored` there.
  void Settle(size_t i, ColumnValue stored);

  // Names the entries after the columns of `fields` (one per entry) in
  // upper case, and makes those names the name index: each leads to the
  // first entry of that name.  Every load names the entries anew; the
  // recordsets of one kept statement share the description of their
  // columns, so while `fields` show the description of the last call
  // nothing is looked at again, and otherwise the names are compared before
  // the index is made anew.
  void Name(dao::Fields& fields);

  // Assigns to `text` what CStr gives of entry `i`'s value, "" for null.
  // An entry still in the row that holds a plain text is read as it is
  // stored, without making its value.
  void AssignText(size_t i, std::string& text) const;

  // The upper-case name of entry `i`; "" for an entry that has none (the
  // cache was reset and not named since, or `i` is beyond the names).
  const std::string& NameOf(size_t i) const;

  // The entry of the upper-case `name` in the name index, or nothing.
  std::optional<size_t> Position(const std::string& upper_name) const;

  // Changes whenever Name() makes the name index anew, so that positions
  // found with Position() may be kept until then.
  uint64_t names_version() const { return names_version_; }

  // Where an argument of vProjektDatenRead or bProjektDatenWrite points.
  enum class Outcome {
    kFound,        // `index` is an entry
    kBeyondEnd,    // a position past the last entry
    kNegative,     // a position below 0
    kUnknownName,  // a name the index does not hold
  };
  struct Target {
    Outcome outcome;
    size_t index;
  };
  // A number, or a text that reads as one, is a position, rounded to a
  // 16-bit integer half to even; anything else is a column name, taken
  // trimmed and without regard to case.
  Target Find(const Variant& index_or_name) const;

 private:
  // Entry `i`, its value made from row_ first when it is still there.
  ProjektFeld& Entry(size_t i) const;

  // The entries are made from the row as they are used: logically the
  // cache holds their values from the load on.
  mutable std::vector<ProjektFeld> entries_;  // the first size_ are the cache
  // Whether entry i's value is still in row_; the entry itself is then as
  // Reset left it.  As long as entries_.
  mutable std::vector<uint8_t> in_row_;
  dao::StoredRow row_;
  size_t size_ = 1;
  int32_t row_id_ = 0;
  bool named_ = false;  // whether the entries carry upper_names_
  std::shared_ptr<const void> description_;  // of the fields last named
  std::vector<std::string> column_names_;    // as last given to Name()
  std::vector<std::string> upper_names_;     // the same in upper case
  std::unordered_map<std::string, size_t> by_name_;
  uint64_t names_version_ = 1;
};

}  // namespace vx

#endif  // VX_PROJECT_FIELD_CACHE_H_
