// The automation variant: the one value type that crosses the library's
// public interface and comes out of a database field.
//
// Kinds and conversions follow the automation run time: integers are
// rounded half to even, an out-of-range value raises 6 (overflow), a value
// that cannot be converted raises 13 (type mismatch), null where a value is
// needed raises 94.  Dates are days since 1899-12-30 with the time of day as
// fraction.  Texts are UTF-8 and counted in characters.

#ifndef VX_TALUVEK_VARIANT_H_
#define VX_TALUVEK_VARIANT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vx_taluvek/export.h"

namespace vx {

// Base of every object that a variant can refer to (engine objects, the
// suite's components, the project object).
class VX_TALUVEK_EXPORT Object {
 public:
  virtual ~Object() = default;
};
using ObjectRef = std::shared_ptr<Object>;

// The run time's type codes (what VarType answers).
enum class VarType : uint16_t {
  kEmpty = 0,
  kNull = 1,
  kInteger = 2,   // 16-bit
  kLong = 3,      // 32-bit
  kSingle = 4,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kString = 8,
  kObject = 9,
  kError = 10,    // only as the marker of an omitted optional argument
  kBoolean = 11,
  kByte = 17,
  kByteArray = 0x2011,  // array of bytes
};

// Currency: a fixed-point number with four decimals, kept as value * 10000.
struct Currency {
  int64_t scaled = 0;
  friend bool operator==(Currency, Currency) = default;
};

// A date as the run time keeps it.
struct Date {
  double serial = 0;
  friend bool operator==(Date, Date) = default;
};

using ByteArray = std::vector<uint8_t>;

class VX_TALUVEK_EXPORT Variant {
 public:
  Variant() = default;  // empty
  Variant(int16_t v) : value_(v) {}
  Variant(int32_t v) : value_(v) {}
  Variant(float v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(Currency v) : value_(v) {}
  Variant(Date v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(uint8_t v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(std::string_view v) : value_(std::string(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(ByteArray v) : value_(std::move(v)) {}
  Variant(ObjectRef v) : value_(std::move(v)) {}

  static Variant Null() { return Variant(NullTag{}); }
  // The value the run time passes for an optional argument the caller left out.
  static Variant Missing() { return Variant(MissingTag{}); }

  VarType type() const;
  bool IsEmpty() const { return value_.index() == 0; }
  bool IsNull() const { return std::holds_alternative<NullTag>(value_); }
  bool IsMissing() const { return std::holds_alternative<MissingTag>(value_); }
  bool IsString() const { return std::holds_alternative<std::string>(value_); }
  bool IsObject() const { return std::holds_alternative<ObjectRef>(value_); }
  bool IsByteArray() const { return std::holds_alternative<ByteArray>(value_); }
  // True for the numeric kinds: integer, long, single, double, currency, byte.
  bool IsNumber() const;

  // Direct access to the stored value of a known kind; nullptr when the
  // variant holds another kind.  No conversion.
  template <typename T>
  const T* get_if() const {
    return std::get_if<T>(&value_);
  }

  // The same kind and the same value (texts compared exactly).
  friend bool operator==(const Variant& a, const Variant& b) {
    return a.value_ == b.value_;
  }

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  struct MissingTag {
    friend bool operator==(MissingTag, MissingTag) { return true; }
  };
  explicit Variant(NullTag t) : value_(t) {}
  explicit Variant(MissingTag t) : value_(t) {}

  std::variant<std::monostate, NullTag, MissingTag, int16_t, int32_t, float,
               double, Currency, Date, std::string, bool, uint8_t, ByteArray,
               ObjectRef>
      value_;
};

// ---- Conversions of the run time (raise 13, 6 or 94 as described above) ----

// Text: a boolean gives "True"/"False", a number its shortest form with
// the regional decimal separator (up to 15 significant digits for a double,
// 7 for a single, exponent form "1E+20" when needed), a date its
// "YYYY-MM-DD", "hh:mm:ss" or both (the parts that are not zero), a byte
// array the text whose 16-bit code units the bytes are, empty gives "".
VX_TALUVEK_EXPORT std::string CStr(const Variant& v);
// Numbers: a text is read with blanks around it, a sign, the regional
// decimal and grouping separators, an exponent, or as "&H1F" / "&O17"; a
// negative number may also be written "(12)" or "12-".  A boolean is -1 or
// 0, a date its serial, empty 0.  Integers round half to even.
VX_TALUVEK_EXPORT int16_t CInt(const Variant& v);
VX_TALUVEK_EXPORT int32_t CLng(const Variant& v);
VX_TALUVEK_EXPORT uint8_t CByte(const Variant& v);
VX_TALUVEK_EXPORT float CSng(const Variant& v);
VX_TALUVEK_EXPORT double CDbl(const Variant& v);
VX_TALUVEK_EXPORT Currency CCur(const Variant& v);
VX_TALUVEK_EXPORT bool CBool(const Variant& v);
// Date: a number is taken as serial (6 outside the years 100 to 9999); a
// text is "YYYY-MM-DD" or the locale's day/month order ("5.3.2024" or
// "3/5/2024"), each with an optional time "hh:mm[:ss]", or the time alone.
VX_TALUVEK_EXPORT Date CDate(const Variant& v);
// Byte array: a text gives its 16-bit code units, low byte first.
VX_TALUVEK_EXPORT ByteArray CByteArray(const Variant& v);

// Whether CDbl would succeed (empty counts as numeric, null does not), except
// that a date is not numeric, as in the run time.
VX_TALUVEK_EXPORT bool IsNumeric(const Variant& v);
// Whether CDate would succeed on a text or a date (numbers do not count).
VX_TALUVEK_EXPORT bool IsDate(const Variant& v);

// ---- Dates ----

// Parts beyond their range carry over as in the run time's DateSerial and
// TimeSerial (month 13 is January of the next year, day 0 the last day of
// the month before).  A result outside the years 100 to 9999 raises 5.
VX_TALUVEK_EXPORT Date DateFromParts(int year, int month, int day,
                                     int hour = 0, int minute = 0,
                                     int second = 0);
struct DateParts {
  int year, month, day, hour, minute, second;
};
// Rounded to the second.  A serial outside the years 100 to 9999 raises 6.
VX_TALUVEK_EXPORT DateParts SplitDate(Date d);
// "YYYY-MM-DD hh:mm:ss", e.g. "2024-03-05 14:07:09".
VX_TALUVEK_EXPORT std::string FormatDateTime(Date d);
// The local date and time of now, to the second.
VX_TALUVEK_EXPORT Date Now();

// ---- Numbers as text ----

// The regional separators of the platform's number formatting (those of
// localeconv(); an empty grouping separator, as in the C locale, gives ",").
struct NumberFormat {
  std::string decimal;   // e.g. "," in de_DE
  std::string grouping;  // e.g. "." in de_DE
};
VX_TALUVEK_EXPORT NumberFormat RegionalNumberFormat();

// The run time's Format for numbers with a pattern made of "0", "#", "." and
// ",": "0" a digit always shown, "#" a digit shown when significant, "." the
// regional decimal separator, "," (between digit placeholders) regional
// grouping.  Enough for patterns such as "#.0", "#0,000.0" and "0.00".
// Rounds half away from zero on the value's 15 significant digits (1.005
// with "0.00" gives "1.01"); a value that rounds to zero has no minus sign.
// The decimal separator shows whenever the pattern has one (5 with "#.##"
// gives "5.").  Commas after the last integer placeholder divide by 1000
// each, "%" multiplies by 100; other characters, "\x" and "..." are
// literals.  An empty pattern gives CStr(value).  Sections (";") and
// exponent patterns ("E+") are not supported and raise 5.
VX_TALUVEK_EXPORT std::string FormatNumber(double value,
                                             std::string_view pattern);

// Reads the number at the start of a text the regionally neutral way (the
// run time's Val): blanks, tabs and line feeds are skipped anywhere; a sign,
// digits with "." as decimal separator and an exponent are read; the first
// character that does not fit ends the number; "&H"/"&O" read hex and octal.
// No digits give 0; a number beyond the range of a double raises 6.
VX_TALUVEK_EXPORT double Val(std::string_view text);

// ---- UTF-8 texts, counted in characters ----

// Byte arrays of 16-bit code units (low byte first) to and from text.
VX_TALUVEK_EXPORT ByteArray TextToUtf16Bytes(std::string_view text);
VX_TALUVEK_EXPORT std::string Utf16BytesToText(const ByteArray& bytes);

}  // namespace vx

#endif  // VX_TALUVEK_VARIANT_H_
