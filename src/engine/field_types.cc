#include "engine/field_types.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "engine/dao_errors.h"
#include "platform/date.h"
#include "platform/invariant_text.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx::dao {

namespace {

struct TypeName {
  std::string_view name;
  DaoType type;
  int32_t size;  // -1: the size in parentheses, else 255
  bool counter;
};

constexpr TypeName kTypeNames[] = {
    {"COUNTER", kTypeLong, 4, true},
    {"AUTOINCREMENT", kTypeLong, 4, true},
    {"IDENTITY", kTypeLong, 4, true},
    {"LONG", kTypeLong, 4, false},
    {"INTEGER", kTypeLong, 4, false},
    {"INT", kTypeLong, 4, false},
    {"INTEGER4", kTypeLong, 4, false},
    {"SHORT", kTypeInteger, 2, false},
    {"SMALLINT", kTypeInteger, 2, false},
    {"INTEGER2", kTypeInteger, 2, false},
    {"BYTE", kTypeByte, 1, false},
    {"TINYINT", kTypeByte, 1, false},
    {"INTEGER1", kTypeByte, 1, false},
    {"SINGLE", kTypeSingle, 4, false},
    {"REAL", kTypeSingle, 4, false},
    {"FLOAT4", kTypeSingle, 4, false},
    {"IEEESINGLE", kTypeSingle, 4, false},
    {"DOUBLE", kTypeDouble, 8, false},
    {"FLOAT", kTypeDouble, 8, false},
    {"FLOAT8", kTypeDouble, 8, false},
    {"IEEEDOUBLE", kTypeDouble, 8, false},
    {"NUMBER", kTypeDouble, 8, false},
    {"NUMERIC", kTypeDouble, 8, false},
    {"DECIMAL", kTypeDouble, 8, false},
    {"CURRENCY", kTypeCurrency, 8, false},
    {"MONEY", kTypeCurrency, 8, false},
    {"DATETIME", kTypeDate, 8, false},
    {"DATE", kTypeDate, 8, false},
    {"TIME", kTypeDate, 8, false},
    {"TIMESTAMP", kTypeDate, 8, false},
    {"TEXT", kTypeText, -1, false},
    {"CHAR", kTypeText, -1, false},
    {"CHARACTER", kTypeText, -1, false},
    {"VARCHAR", kTypeText, -1, false},
    {"NCHAR", kTypeText, -1, false},
    {"NVARCHAR", kTypeText, -1, false},
    {"STRING", kTypeText, -1, false},
    {"ALPHANUMERIC", kTypeText, -1, false},
    {"MEMO", kTypeMemo, 0, false},
    {"LONGTEXT", kTypeMemo, 0, false},
    {"LONGCHAR", kTypeMemo, 0, false},
    {"NOTE", kTypeMemo, 0, false},
    {"NTEXT", kTypeMemo, 0, false},
    {"YESNO", kTypeBoolean, 1, false},
    {"BIT", kTypeBoolean, 1, false},
    {"BOOLEAN", kTypeBoolean, 1, false},
    {"LOGICAL", kTypeBoolean, 1, false},
    {"LOGICAL1", kTypeBoolean, 1, false},
    {"LONGBINARY", kTypeLongBinary, 0, false},
    {"OLEOBJECT", kTypeLongBinary, 0, false},
    {"IMAGE", kTypeLongBinary, 0, false},
    {"GENERAL", kTypeLongBinary, 0, false},
    {"BINARY", kTypeVarBinary, -1, false},
    {"VARBINARY", kTypeVarBinary, -1, false},
    {"GUID", kTypeGuid, 16, false},
    {"UNIQUEIDENTIFIER", kTypeGuid, 16, false},
};

constexpr int32_t kDefaultSize = 255;

// The number in the parentheses of "TEXT(50)"; nothing without one.
std::optional<int32_t> SizeOf(std::string_view declared) {
  size_t open = declared.find('(');
  if (open == std::string_view::npos) return std::nullopt;
  size_t start = open + 1;
  while (start < declared.size() && declared[start] == ' ') ++start;
  int32_t size = 0;
  auto [end, error] = std::from_chars(declared.data() + start,
                                      declared.data() + declared.size(), size);
  if (error != std::errc() || size <= 0) return std::nullopt;
  return size;
}

// The conversions of the run time, with their errors as the engine's:
// overflow 3349, anything else 3421.
template <typename Convert>
auto Converted(Convert&& convert) -> decltype(convert()) {
  try {
    return convert();
  } catch (const Error& e) {
    RaiseDao(e.number() == 6 ? kErrNumericOverflow : kErrConversion);
  }
}

StoredValue Integer(int64_t value) {
  StoredValue v;
  v.kind = StoredValue::Kind::kInteger;
  v.integer = value;
  return v;
}

StoredValue Real(double value) {
  StoredValue v;
  v.kind = StoredValue::Kind::kReal;
  v.real = value;
  return v;
}

StoredValue Bytes(StoredValue::Kind kind, std::string bytes) {
  StoredValue v;
  v.kind = kind;
  v.bytes = std::move(bytes);
  return v;
}

StoredValue Text(std::string text, int32_t size) {
  if (size > 0 && Len(text) > static_cast<size_t>(size)) {
    RaiseDao(kErrFieldTooSmall);
  }
  return Bytes(StoredValue::Kind::kText, std::move(text));
}

StoredValue Blob(const ByteArray& bytes, int32_t size) {
  if (size > 0 && bytes.size() > static_cast<size_t>(size)) {
    RaiseDao(kErrFieldTooSmall);
  }
  return Bytes(StoredValue::Kind::kBlob, std::string(bytes.begin(), bytes.end()));
}

StoredValue DateValue(const Variant& value) {
  Date date;
  if (const Date* d = value.get_if<Date>()) {
    date = *d;
  } else if (value.IsString()) {
    if (!IsDate(value)) RaiseDao(kErrConversion);
    date = Converted([&] { return CDate(value); });
  } else if (value.IsNumber()) {
    date = Date{Converted([&] { return CDbl(value); })};
  } else {
    RaiseDao(kErrConversion);
  }
  if (!IsDateSerialInRange(date.serial)) RaiseDao(kErrConversion);
  return Bytes(StoredValue::Kind::kText, FormatDateTime(date));
}

Variant ByKind(StoredValue::Kind kind, int64_t integer, double real,
               std::string_view bytes) {
  switch (kind) {
    case StoredValue::Kind::kNull:
      return Variant::Null();
    case StoredValue::Kind::kInteger:
      if (integer >= std::numeric_limits<int32_t>::min() &&
          integer <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(integer));
      }
      return Variant(static_cast<double>(integer));
    case StoredValue::Kind::kReal:
      return Variant(real);
    case StoredValue::Kind::kText:
      return Variant(std::string(bytes));
    case StoredValue::Kind::kBlob:
      return Variant(ByteArray(bytes.begin(), bytes.end()));
  }
  return Variant::Null();
}

}  // namespace

std::optional<ColumnType> DialectType(std::string_view declared) {
  size_t start = 0;
  while (start < declared.size() && declared[start] == ' ') ++start;
  size_t end = start;
  while (end < declared.size() && declared[end] != ' ' && declared[end] != '(') {
    ++end;
  }
  const std::string_view first = declared.substr(start, end - start);
  for (const TypeName& name : kTypeNames) {
    if (name.name.size() != first.size() || !EqualsNoCase(name.name, first)) {
      continue;
    }
    ColumnType type;
    type.type = name.type;
    type.counter = name.counter;
    type.size = name.size >= 0 ? name.size : SizeOf(declared).value_or(kDefaultSize);
    // "BIT VARYING" is a binary type, not a boolean.
    if (name.type == kTypeBoolean &&
        UCase(declared).find("VARYING") != std::string::npos) {
      type.type = kTypeVarBinary;
      type.size = SizeOf(declared).value_or(kDefaultSize);
    }
    return type;
  }
  return std::nullopt;
}

ColumnType DeclaredType(std::string_view declared) {
  if (std::optional<ColumnType> type = DialectType(declared)) return *type;
  const std::string upper = UCase(declared);
  auto has = [&](const char* part) {
    return upper.find(part) != std::string::npos;
  };
  ColumnType type;
  if (has("INT")) {
    type.type = kTypeLong;
    type.size = 4;
  } else if (has("CHAR") || has("CLOB") || has("TEXT")) {
    type.type = kTypeText;
    type.size = SizeOf(declared).value_or(kDefaultSize);
  } else if (has("BLOB")) {
    type.type = kTypeLongBinary;
    type.size = 0;
  } else {
    type.type = kTypeDouble;
    type.size = 8;
  }
  return type;
}

ColumnType TypeOfValue(const Variant& value) {
  ColumnType type;
  type.size = 0;
  switch (value.type()) {
    case VarType::kBoolean: type.type = kTypeBoolean; break;
    case VarType::kByte:
    case VarType::kInteger:
    case VarType::kLong: type.type = kTypeLong; break;
    case VarType::kSingle:
    case VarType::kDouble: type.type = kTypeDouble; break;
    case VarType::kCurrency: type.type = kTypeCurrency; break;
    case VarType::kDate: type.type = kTypeDate; break;
    case VarType::kByteArray: type.type = kTypeLongBinary; break;
    default: type.type = kTypeMemo; break;
  }
  return type;
}

ColumnType TypeOfKind(StoredValue::Kind kind) {
  ColumnType type;
  switch (kind) {
    case StoredValue::Kind::kInteger:
      type.type = kTypeLong;
      type.size = 4;
      break;
    case StoredValue::Kind::kReal:
      type.type = kTypeDouble;
      type.size = 8;
      break;
    case StoredValue::Kind::kBlob:
      type.type = kTypeLongBinary;
      type.size = 0;
      break;
    default:
      break;  // text, and null without a better guess
  }
  return type;
}

int32_t FieldSizeOf(StoredValue::Kind kind, size_t bytes,
                    const ColumnType& type) {
  switch (kind) {
    case StoredValue::Kind::kNull:
      return 0;
    case StoredValue::Kind::kText:
    case StoredValue::Kind::kBlob:
      return static_cast<int32_t>(bytes);
    default:
      return type.size;
  }
}

Variant ReadStoredValue(const ColumnType& type, StoredValue::Kind kind,
                        int64_t integer, double real, std::string_view bytes) {
  using Kind = StoredValue::Kind;
  if (kind == Kind::kNull) return Variant::Null();
  const bool number = kind == Kind::kInteger || kind == Kind::kReal;
  const double as_double =
      kind == Kind::kInteger ? static_cast<double>(integer) : real;
  switch (type.type) {
    case kTypeBoolean:
      if (number) return Variant(as_double != 0);
      break;
    case kTypeByte:
      if (kind == Kind::kInteger && integer >= 0 && integer <= 255) {
        return Variant(static_cast<uint8_t>(integer));
      }
      break;
    case kTypeInteger:
      if (kind == Kind::kInteger && integer >= INT16_MIN && integer <= INT16_MAX) {
        return Variant(static_cast<int16_t>(integer));
      }
      break;
    case kTypeCurrency:
      if (number && std::fabs(as_double) < 9.2e14) {
        return Variant(Currency{std::llround(as_double * 10000)});
      }
      break;
    case kTypeSingle:
      if (number) return Variant(static_cast<float>(as_double));
      break;
    case kTypeDouble:
      if (number) return Variant(as_double);
      break;
    case kTypeDate:
      if (kind == Kind::kText) {
        if (std::optional<Date> date = ParseDateText(bytes)) return Variant(*date);
      } else if (number) {
        return Variant(Date{as_double});
      }
      break;
    case kTypeText:
    case kTypeMemo:
    case kTypeGuid:
      if (kind == Kind::kInteger) return Variant(std::to_string(integer));
      if (kind == Kind::kReal) return Variant(PlainNumberText(real));
      return Variant(std::string(bytes));
    case kTypeLongBinary:
    case kTypeVarBinary:
      if (kind == Kind::kText || kind == Kind::kBlob) {
        return Variant(ByteArray(bytes.begin(), bytes.end()));
      }
      break;
    case kTypeLong:
      break;
  }
  return ByKind(kind, integer, real, bytes);
}

StoredValue StoreValue(const ColumnType& type, const Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return StoredValue();
  if (value.IsMissing() || value.IsObject()) RaiseDao(kErrConversion);
  switch (type.type) {
    case kTypeBoolean:
      return Integer(Converted([&] { return CBool(value); }) ? -1 : 0);
    case kTypeByte:
      return Integer(Converted([&] { return CByte(value); }));
    case kTypeInteger:
      return Integer(Converted([&] { return CInt(value); }));
    case kTypeLong:
      return Integer(Converted([&] { return CLng(value); }));
    case kTypeCurrency:
      return Real(static_cast<double>(
                      Converted([&] { return CCur(value); }).scaled) /
                  10000.0);
    case kTypeSingle:
      return Real(Converted([&] { return CSng(value); }));
    case kTypeDouble:
      return Real(Converted([&] { return CDbl(value); }));
    case kTypeDate:
      return DateValue(value);
    case kTypeMemo:
      if (const ByteArray* bytes = value.get_if<ByteArray>()) {
        return Text(Utf16BytesToText(*bytes), 0);
      }
      return Text(Converted([&] { return CStr(value); }), 0);
    case kTypeText:
      return Text(Converted([&] { return CStr(value); }), type.size);
    case kTypeGuid:  // its size counts bytes, its text form 38 characters
      return Text(Converted([&] { return CStr(value); }), 0);
    case kTypeLongBinary:
    case kTypeVarBinary:
      if (const ByteArray* bytes = value.get_if<ByteArray>()) {
        return Blob(*bytes, type.size);
      }
      if (value.IsString()) {
        return Blob(Converted([&] { return CByteArray(value); }), type.size);
      }
      RaiseDao(kErrConversion);
  }
  RaiseDao(kErrConversion);
}

}  // namespace vx::dao
