// The engine's field types and the values of fields.
//
// A column's type is read from its declared type: the dialect's names
// (TEXT(50), LONG, YESNO, CURRENCY, DATETIME, MEMO, ...) give the type codes
// of a DAO-style engine; other names follow SQLite's affinity rules.  Values
// keep their kind in the file as the dialect wants them compared: booleans
// as -1 and 0, dates as "YYYY-MM-DD hh:mm:ss" texts, currency as REAL.

#ifndef VX_ENGINE_FIELD_TYPES_H_
#define VX_ENGINE_FIELD_TYPES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vx_taluvek/variant.h"

namespace vx::dao {

// DAO field type codes.
enum DaoType : int16_t {
  kTypeBoolean = 1,
  kTypeByte = 2,
  kTypeInteger = 3,
  kTypeLong = 4,
  kTypeCurrency = 5,
  kTypeSingle = 6,
  kTypeDouble = 7,
  kTypeDate = 8,
  kTypeText = 10,
  kTypeLongBinary = 11,
  kTypeMemo = 12,
  kTypeGuid = 15,
  kTypeVarBinary = 17,
};

struct ColumnType {
  DaoType type = kTypeText;
  int32_t size = 255;     // characters of a text, bytes otherwise; 0 = long
  bool counter = false;   // COUNTER / AUTOINCREMENT: numbered by the engine
};

// The type a declared type of the dialect names ("TEXT(50)", "MEMO TEXT",
// "counter", "Double Precision"), by its first word and its size in
// parentheses; nothing when the first word is no type name of the dialect.
std::optional<ColumnType> DialectType(std::string_view declared);

// The type of a column declared as `declared`: the dialect's type, else by
// SQLite's affinity rules (INT: long, CHAR/CLOB/TEXT: text, REAL/FLOA/DOUB:
// double, BLOB: long binary, anything else: double).
ColumnType DeclaredType(std::string_view declared);

// The type that stores `value` unchanged, for a column declared without
// a type: a boolean as a boolean, any integer as long, a text as memo, ...
ColumnType TypeOfValue(const Variant& value);

// A value as stored in (or read from) the file.
struct StoredValue {
  enum class Kind { kNull, kInteger, kReal, kText, kBlob };
  Kind kind = Kind::kNull;
  int64_t integer = 0;
  double real = 0;
  std::string bytes;  // text (UTF-8) or blob
};

// The type of a column without a declared type, from the kind of the value
// it holds.
ColumnType TypeOfKind(StoredValue::Kind kind);

// Field::FieldSize of a stored value of `kind` with `bytes` bytes in a
// column of type `type`: 0 for null, the bytes of a text or blob, the
// type's size otherwise.
int32_t FieldSizeOf(StoredValue::Kind kind, size_t bytes,
                    const ColumnType& type);

// What a field of type `type` reads as, for a stored value given by its kind
// and content.  Values whose kind does not fit the type read by their kind.
// `bytes` is the text or blob content.
Variant ReadStoredValue(const ColumnType& type, StoredValue::Kind kind,
                        int64_t integer, double real, std::string_view bytes);

// The stored form of `value` assigned to a field of type `type`.  Raises
// 3421 when it cannot be converted, 3163 when a text or binary value is
// longer than the column, 3349 when a number is out of the type's range.
// Empty and null store null.  A date column takes a date, a number or a
// text that reads as a date; a memo takes a byte array as the text whose
// 16-bit code units the bytes are.
StoredValue StoreValue(const ColumnType& type, const Variant& value);

}  // namespace vx::dao

#endif  // VX_ENGINE_FIELD_TYPES_H_
