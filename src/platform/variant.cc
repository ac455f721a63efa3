// The variant's kinds and the run time's conversions between them.
//
// Every numeric conversion goes through the value as a double, except where
// the currency's exact fixed point matters (currency to integer, integer to
// currency).  Texts are read and written by number_format.cc and date.cc.

#include "vx_taluvek/variant.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <type_traits>

#include "platform/date.h"
#include "platform/number_format.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

constexpr int64_t kCurrencyScale = 10000;

// What the run time raises for a value that cannot be converted: null has
// its own error, everything else is a type mismatch.
[[noreturn]] void RaiseNotConvertible(const Variant& v) {
  Raise(v.IsNull() ? kErrInvalidUseOfNull : kErrTypeMismatch);
}

double NumberOfText(const std::string& text) {
  NumberText number = ParseRegionalNumber(text);
  if (number.status == NumberText::kOverflow) Raise(kErrOverflow);
  if (number.status == NumberText::kNotANumber) Raise(kErrTypeMismatch);
  return number.value;
}

// The value as a number: booleans are -1 and 0, dates their serial, texts
// are read regionally, empty is 0.
double ToDouble(const Variant& v) {
  if (v.IsEmpty()) return 0;
  if (const auto* p = v.get_if<int16_t>()) return *p;
  if (const auto* p = v.get_if<int32_t>()) return *p;
  if (const auto* p = v.get_if<uint8_t>()) return *p;
  if (const auto* p = v.get_if<float>()) return *p;
  if (const auto* p = v.get_if<double>()) return *p;
  if (const auto* p = v.get_if<bool>()) return *p ? -1 : 0;
  if (const auto* p = v.get_if<Currency>()) {
    return static_cast<double>(p->scaled) / kCurrencyScale;
  }
  if (const auto* p = v.get_if<Date>()) return p->serial;
  if (const auto* p = v.get_if<std::string>()) return NumberOfText(*p);
  RaiseNotConvertible(v);
}

// Rounds to the nearest integer, a tie to the even one.
double RoundHalfEven(double x) {
  double nearest = std::round(x);  // ties away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5) nearest = 2 * std::round(x / 2);
  return nearest;
}

// A currency's scaled value rounded half to even to whole units.
int64_t RoundCurrency(Currency c) {
  int64_t units = c.scaled / kCurrencyScale;
  int64_t rest = c.scaled % kCurrencyScale;  // same sign as scaled
  int64_t half = kCurrencyScale / 2;
  if (rest > half || (rest == half && units % 2 != 0)) ++units;
  if (rest < -half || (rest == -half && units % 2 != 0)) --units;
  return units;
}

template <typename Int>
Int ToInteger(const Variant& v) {
  using Limits = std::numeric_limits<Int>;
  if (const auto* c = v.get_if<Currency>()) {
    int64_t units = RoundCurrency(*c);
    if (units < Limits::min() || units > Limits::max()) Raise(kErrOverflow);
    return static_cast<Int>(units);
  }
  double x = RoundHalfEven(ToDouble(v));
  // Written so that NaN fails too.
  if (!(x >= Limits::min() && x <= Limits::max())) Raise(kErrOverflow);
  return static_cast<Int>(x);
}

}  // namespace

VarType Variant::type() const {
  return std::visit(
      [](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) return VarType::kEmpty;
        if constexpr (std::is_same_v<T, NullTag>) return VarType::kNull;
        if constexpr (std::is_same_v<T, MissingTag>) return VarType::kError;
        if constexpr (std::is_same_v<T, int16_t>) return VarType::kInteger;
        if constexpr (std::is_same_v<T, int32_t>) return VarType::kLong;
        if constexpr (std::is_same_v<T, float>) return VarType::kSingle;
        if constexpr (std::is_same_v<T, double>) return VarType::kDouble;
        if constexpr (std::is_same_v<T, Currency>) return VarType::kCurrency;
        if constexpr (std::is_same_v<T, Date>) return VarType::kDate;
        if constexpr (std::is_same_v<T, std::string>) return VarType::kString;
        if constexpr (std::is_same_v<T, bool>) return VarType::kBoolean;
        if constexpr (std::is_same_v<T, uint8_t>) return VarType::kByte;
        if constexpr (std::is_same_v<T, ByteArray>) return VarType::kByteArray;
        if constexpr (std::is_same_v<T, ObjectRef>) return VarType::kObject;
      },
      value_);
}

bool Variant::IsNumber() const {
  switch (type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kByte:
      return true;
    default:
      return false;
  }
}

std::string CStr(const Variant& v) {
  if (v.IsEmpty()) return {};
  if (const auto* p = v.get_if<std::string>()) return *p;
  if (const auto* p = v.get_if<bool>()) return *p ? "True" : "False";
  if (const auto* p = v.get_if<int16_t>()) return std::to_string(*p);
  if (const auto* p = v.get_if<int32_t>()) return std::to_string(*p);
  if (const auto* p = v.get_if<uint8_t>()) return std::to_string(*p);
  if (const auto* p = v.get_if<float>()) return NumberToText(*p, 7);
  if (const auto* p = v.get_if<double>()) return NumberToText(*p, 15);
  if (const auto* p = v.get_if<Currency>()) return CurrencyToText(*p);
  if (const auto* p = v.get_if<Date>()) return DateToText(*p);
  if (const auto* p = v.get_if<ByteArray>()) return Utf16BytesToText(*p);
  RaiseNotConvertible(v);
}

int16_t CInt(const Variant& v) { return ToInteger<int16_t>(v); }
int32_t CLng(const Variant& v) { return ToInteger<int32_t>(v); }
uint8_t CByte(const Variant& v) { return ToInteger<uint8_t>(v); }

float CSng(const Variant& v) {
  if (const auto* p = v.get_if<float>()) return *p;
  double x = ToDouble(v);
  if (std::isfinite(x) && std::fabs(x) > FLT_MAX) Raise(kErrOverflow);
  return static_cast<float>(x);
}

double CDbl(const Variant& v) { return ToDouble(v); }

Currency CCur(const Variant& v) {
  if (const auto* p = v.get_if<Currency>()) return *p;
  if (const auto* p = v.get_if<std::string>()) {
    std::optional<Currency> currency = ParseRegionalCurrency(*p);
    if (!currency) Raise(kErrTypeMismatch);
    return *currency;
  }
  double scaled = RoundHalfEven(ToDouble(v) * kCurrencyScale);
  // 2^63 is exactly representable; the range is [-2^63, 2^63).
  constexpr double kLimit = 9223372036854775808.0;
  if (!(scaled >= -kLimit && scaled < kLimit)) Raise(kErrOverflow);
  return Currency{static_cast<int64_t>(scaled)};
}

bool CBool(const Variant& v) {
  if (const auto* p = v.get_if<bool>()) return *p;
  if (const auto* p = v.get_if<std::string>()) {
    std::string word = Trim(*p);
    if (EqualsNoCase(word, "True")) return true;
    if (EqualsNoCase(word, "False")) return false;
  }
  return ToDouble(v) != 0;
}

Date CDate(const Variant& v) {
  if (const auto* p = v.get_if<Date>()) return *p;
  if (const auto* p = v.get_if<std::string>()) {
    std::optional<Date> date = ParseDateText(*p);
    if (!date) Raise(kErrTypeMismatch);
    return *date;
  }
  double serial = ToDouble(v);
  if (!IsDateSerialInRange(serial)) Raise(kErrOverflow);
  return Date{serial};
}

ByteArray CByteArray(const Variant& v) {
  if (v.IsEmpty()) return {};
  if (const auto* p = v.get_if<ByteArray>()) return *p;
  if (const auto* p = v.get_if<std::string>()) return TextToUtf16Bytes(*p);
  RaiseNotConvertible(v);
}

bool IsNumeric(const Variant& v) {
  if (v.IsEmpty() || v.IsNumber() || v.get_if<bool>()) return true;
  if (const auto* p = v.get_if<std::string>()) {
    return ParseRegionalNumber(*p).status == NumberText::kNumber;
  }
  return false;  // null, dates, byte arrays, objects, missing arguments
}

bool IsDate(const Variant& v) {
  if (v.get_if<Date>()) return true;
  if (const auto* p = v.get_if<std::string>())
    return ParseDateText(*p).has_value();
  return false;
}

ByteArray TextToUtf16Bytes(std::string_view text) {
  ByteArray out;
  out.reserve(text.size() * 2);
  auto append_unit = [&out](char32_t unit) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  };
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, &i);
    if (cp >= 0x10000) {  // a surrogate pair
      cp -= 0x10000;
      append_unit(0xD800 + (cp >> 10));
      append_unit(0xDC00 + (cp & 0x3FF));
    } else {
      append_unit(cp);
    }
  }
  return out;
}

std::string Utf16BytesToText(const ByteArray& bytes) {
  // An odd last byte is a code unit of its own with high byte 0.
  auto unit_at = [&bytes](size_t k) -> char32_t {
    char32_t high = k + 1 < bytes.size() ? bytes[k + 1] : 0;
    return bytes[k] | (high << 8);
  };
  std::string out;
  out.reserve(bytes.size());
  for (size_t k = 0; k < bytes.size(); k += 2) {
    char32_t unit = unit_at(k);
    if (unit >= 0xD800 && unit <= 0xDBFF && k + 2 < bytes.size()) {
      char32_t low = unit_at(k + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(&out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        k += 2;
        continue;
      }
    }
    AppendUtf8(&out, unit);  // an unpaired surrogate becomes U+FFFD
  }
  return out;
}

}  // namespace vx
