// Numbers in texts: reading them (regionally for the conversions, neutrally
// for Val) and writing them (CStr's shortest form, Format's patterns).
//
// All arithmetic on digits is done on decimal digit strings, so that the
// rounding of a text matches what the text shows: Format rounds the value's
// 15 significant digits, as the run time does, and 1.005 becomes "1.01".

#include "platform/number_format.h"

#include <langinfo.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <vector>

#include "platform/text.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(std::string_view s, size_t i, std::string_view prefix) {
  return !prefix.empty() && s.substr(i).starts_with(prefix);
}

// A non-negative decimal number: `digits` (no leading zeros, none at all for
// zero) with the decimal point after the first `point` of them; `point` may
// lie before the first digit (negative) or beyond the last.
struct Decimal {
  std::string digits;
  int point = 0;
};

// The magnitude of a finite `value` rounded to `significant` digits, without
// trailing zeros.
Decimal DecimalOf(double value, int significant) {
  Decimal d;
  if (value == 0) return d;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                           std::chars_format::scientific, significant - 1);
  std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
  size_t e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (IsDigit(c)) d.digits += c;
  }
  int exponent = 0;
  std::string_view exp_text = text.substr(e + 1);
  if (exp_text.front() == '+') exp_text.remove_prefix(1);
  std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);
  d.point = exponent + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Rounds `d` half away from zero to `decimals` places after the point.
void RoundHalfAwayFromZero(Decimal* d, int decimals) {
  int keep = d->point + decimals;
  if (keep >= static_cast<int>(d->digits.size())) return;
  if (keep < 0) {
    *d = Decimal();
    return;
  }
  bool up = d->digits[keep] >= '5';
  d->digits.resize(keep);
  if (up) {
    size_t i = d->digits.size();
    while (i > 0 && d->digits[i - 1] == '9') d->digits[--i] = '0';
    if (i == 0) {
      d->digits.insert(d->digits.begin(), '1');
      ++d->point;
    } else {
      ++d->digits[i - 1];
    }
  }
  while (!d->digits.empty() && d->digits.back() == '0') d->digits.pop_back();
  if (d->digits.empty()) *d = Decimal();
}

// The digit of `d` at index `i` counted from its first digit; zeros outside.
char DigitAt(const Decimal& d, int i) {
  return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[i] : '0';
}

// Turns the digits read from a text into a double: `integer` and `fraction`
// digits and a decimal exponent.
NumberText DigitsToDouble(bool negative, std::string_view integer,
                          std::string_view fraction, long long exponent) {
  std::string text(integer);
  text += '.';
  text += fraction;
  text += 'e';
  text += std::to_string(exponent);
  NumberText out;
  auto res = std::from_chars(text.data(), text.data() + text.size(), out.value);
  if (res.ec == std::errc::result_out_of_range) {
    // Either far too large or too small to tell from zero: the position of
    // the first significant digit decides which.
    size_t first = integer.find_first_not_of('0');
    long long magnitude =
        first != std::string_view::npos
            ? static_cast<long long>(integer.size() - first) + exponent
            : exponent -
                  static_cast<long long>(fraction.find_first_not_of('0'));
    if (magnitude > 0) {
      return {NumberText::kOverflow, negative ? -HUGE_VAL : HUGE_VAL};
    }
    out.value = 0;
  }
  out.status = NumberText::kNumber;
  if (negative) out.value = -out.value;
  return out;
}

// Reads an exponent's sign and digits at s[*i], saturating far beyond the
// range of a double.  False when no digit follows.
bool ReadExponent(std::string_view s, size_t* i, long long* exponent) {
  bool negative = false;
  if (*i < s.size() && (s[*i] == '+' || s[*i] == '-')) {
    negative = s[*i] == '-';
    ++*i;
  }
  if (*i >= s.size() || !IsDigit(s[*i])) return false;
  long long value = 0;
  for (; *i < s.size() && IsDigit(s[*i]); ++*i) {
    if (value < 100000000) value = value * 10 + (s[*i] - '0');
  }
  *exponent = negative ? -value : value;
  return true;
}

bool IsExponentMark(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// Reads a "&H" / "&O" literal starting at s[*i] == '&'.  Like the run time's
// literals it is a 16-bit integer when it fits 16 bits ("&HFFFF" is -1),
// else a 32-bit one; a trailing "&" asks for 32 bits.  More than 32 bits
// overflow.
NumberText ReadRadixLiteral(std::string_view s, size_t* i) {
  size_t at = *i + 1;
  if (at >= s.size()) return {};
  int radix = 0;
  if (s[at] == 'H' || s[at] == 'h') radix = 16;
  if (s[at] == 'O' || s[at] == 'o') radix = 8;
  if (radix == 0) return {};
  ++at;
  uint64_t value = 0;
  bool any = false;
  for (; at < s.size(); ++at) {
    int digit;
    char c = s[at];
    if (IsDigit(c)) {
      digit = c - '0';
    } else if (radix == 16 &&
               ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
      digit = (c | 0x20) - 'a' + 10;
    } else {
      break;
    }
    if (digit >= radix) break;
    any = true;
    if (value <= 0xFFFFFFFFu)
      value = value * radix + static_cast<uint64_t>(digit);
  }
  if (!any) return {};
  bool long_suffix = at < s.size() && s[at] == '&';
  if (long_suffix) ++at;
  *i = at;
  if (value > 0xFFFFFFFFu) return {NumberText::kOverflow, HUGE_VAL};
  double number = (!long_suffix && value <= 0xFFFFu)
                      ? static_cast<int16_t>(static_cast<uint16_t>(value))
                      : static_cast<int32_t>(static_cast<uint32_t>(value));
  return {NumberText::kNumber, number};
}

// The digits of a decimal number read from a text, before they become a
// double or a currency.
struct DecimalDigits {
  bool negative = false;
  std::string integer;
  std::string fraction;
  long long exponent = 0;
};

enum class Scanned { kNothing, kLiteral, kDecimal };

std::string_view TrimBlanksAndTabs(std::string_view s) {
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") + 1 - first);
}

// Reads `s` (trimmed, not empty) as a decimal number in the regional way:
// a sign when `signed_allowed`, digits with grouping separators between
// them, a decimal separator, an exponent.
Scanned ScanRegionalDecimal(std::string_view s, bool signed_allowed,
                            DecimalDigits* decimal) {
  NumberFormat format = RegionalNumberFormat();
  size_t i = 0;
  if (signed_allowed && (s[0] == '+' || s[0] == '-')) {
    decimal->negative = s[0] == '-';
    ++i;
  }
  std::string& integer = decimal->integer;
  std::string& fraction = decimal->fraction;
  while (i < s.size()) {
    if (IsDigit(s[i])) {
      integer += s[i++];
    } else if (!integer.empty() && !StartsWith(s, i, format.decimal) &&
               StartsWith(s, i, format.grouping) &&
               i + format.grouping.size() < s.size() &&
               IsDigit(s[i + format.grouping.size()])) {
      i += format.grouping.size();  // a grouping separator between digits
    } else {
      break;
    }
  }
  if (StartsWith(s, i, format.decimal)) {
    i += format.decimal.size();
    while (i < s.size() && IsDigit(s[i])) fraction += s[i++];
  }
  if (integer.empty() && fraction.empty()) return Scanned::kNothing;
  if (i < s.size() && IsExponentMark(s[i])) {
    ++i;
    if (!ReadExponent(s, &i, &decimal->exponent)) return Scanned::kNothing;
  }
  return i == s.size() ? Scanned::kDecimal : Scanned::kNothing;
}

// Reads a whole text the regional way: a "&H"/"&O" literal gives its value
// in *literal, a decimal number its digits in *decimal.  Besides a leading
// sign, accountants' ways of writing a negative number count: "(12)" and
// "12-" are minus twelve.
Scanned ScanRegionalNumber(std::string_view text, NumberText* literal,
                           DecimalDigits* decimal) {
  std::string_view s = TrimBlanksAndTabs(text);
  if (s.empty()) return Scanned::kNothing;
  if (s[0] == '&') {
    size_t i = 0;
    *literal = ReadRadixLiteral(s, &i);
    return i == s.size() ? Scanned::kLiteral : Scanned::kNothing;
  }
  const bool enclosed = s.size() >= 2 && s.front() == '(' && s.back() == ')';
  const bool trailing_minus = !enclosed && s.size() >= 2 && s.back() == '-';
  if (!enclosed && !trailing_minus) {
    return ScanRegionalDecimal(s, true, decimal);
  }
  // One sign only: "(-12)", "-12-" and "(12)-" are no numbers.
  std::string_view inner =
      enclosed ? TrimBlanksAndTabs(s.substr(1, s.size() - 2))
               : s.substr(0, s.size() - 1);
  if (inner.empty() || inner[0] == '&' || inner[0] == '(' ||
      inner.back() == '-') {
    return Scanned::kNothing;
  }
  Scanned scanned = ScanRegionalDecimal(inner, false, decimal);
  decimal->negative = true;
  return scanned;
}

// The exact currency of decimal digits, rounded half to even to four
// decimals.  Raises 6 beyond the currency's range.
Currency CurrencyOfDigits(const DecimalDigits& d) {
  std::string digits = d.integer + d.fraction;
  size_t lead = digits.find_first_not_of('0');
  if (lead == std::string::npos) return Currency{0};
  digits.erase(0, lead);
  // Digits of the scaled value (value * 10^4) before its decimal point.
  long long keep = static_cast<long long>(d.integer.size()) -
                   static_cast<long long>(lead) + d.exponent + 4;
  if (keep > 19) Raise(6);  // 10^19 is beyond 2^63
  uint64_t magnitude = 0;
  for (long long k = 0; k < keep; ++k) {
    char digit = k < static_cast<long long>(digits.size()) ? digits[k] : '0';
    magnitude = magnitude * 10 + static_cast<uint64_t>(digit - '0');
  }
  if (keep >= 0 && keep < static_cast<long long>(digits.size())) {
    char first_cut = digits[keep];
    bool more = digits.find_first_not_of('0', keep + 1) != std::string::npos;
    if (first_cut > '5' || (first_cut == '5' && (more || magnitude % 2 == 1))) {
      ++magnitude;
    }
  }
  const uint64_t limit = uint64_t{1} << 63;  // one more for negative values
  if (magnitude > (d.negative ? limit : limit - 1)) Raise(6);
  return Currency{d.negative ? static_cast<int64_t>(0 - magnitude)
                             : static_cast<int64_t>(magnitude)};
}

// One element of a Format pattern.
struct PatternPiece {
  enum Kind { kDigit, kPoint, kComma, kPercent, kLiteral };
  Kind kind;
  char placeholder = 0;  // '0' or '#' for kDigit
  std::string literal;   // for kLiteral
  bool in_fraction = false;
};

std::vector<PatternPiece> ParsePattern(std::string_view pattern) {
  std::vector<PatternPiece> pieces;
  bool in_fraction = false;
  auto literal = [&](std::string_view text) {
    pieces.push_back(
        {PatternPiece::kLiteral, 0, std::string(text), in_fraction});
  };
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '0' || c == '#') {
      pieces.push_back({PatternPiece::kDigit, c, {}, in_fraction});
    } else if (c == '.' && !in_fraction) {
      pieces.push_back({PatternPiece::kPoint, 0, {}, false});
      in_fraction = true;
    } else if (c == ',') {
      if (!in_fraction) pieces.push_back({PatternPiece::kComma, 0, {}, false});
    } else if (c == '%') {
      pieces.push_back({PatternPiece::kPercent, 0, {}, in_fraction});
    } else if (c == '\\' && i + 1 < pattern.size()) {
      // The next character, however many bytes it takes, as it is.
      size_t end = i + 1;
      NextCodePoint(pattern, &end);
      literal(pattern.substr(i + 1, end - i - 1));
      i = end - 1;
    } else if (c == '"') {
      size_t end = pattern.find('"', i + 1);
      if (end == std::string_view::npos) Raise(5);
      literal(pattern.substr(i + 1, end - i - 1));
      i = end;
    } else if (c == ';' || ((c == 'E' || c == 'e') && i + 1 < pattern.size() &&
                            (pattern[i + 1] == '+' || pattern[i + 1] == '-'))) {
      // Sections and scientific notation are not supported: refuse rather
      // than print something else than the pattern asks for.
      Raise(5);
    } else {
      literal(pattern.substr(i, 1));
    }
  }
  return pieces;
}

}  // namespace

NumberFormat RegionalNumberFormat() {
  // The values of localeconv()'s decimal_point and thousands_sep, read
  // through nl_langinfo: localeconv() fills one static structure on every
  // call, which would be a data race between threads converting at once.
  const char* decimal = nl_langinfo(RADIXCHAR);
  const char* grouping = nl_langinfo(THOUSEP);
  NumberFormat format;
  format.decimal = decimal && *decimal ? decimal : ".";
  format.grouping = grouping && *grouping ? grouping : ",";
  return format;
}

NumberText ParseRegionalNumber(std::string_view text) {
  NumberText literal;
  DecimalDigits decimal;
  switch (ScanRegionalNumber(text, &literal, &decimal)) {
    case Scanned::kLiteral:
      return literal;
    case Scanned::kDecimal:
      return DigitsToDouble(decimal.negative, decimal.integer, decimal.fraction,
                            decimal.exponent);
    case Scanned::kNothing:
      break;
  }
  return {};
}

std::optional<Currency> ParseRegionalCurrency(std::string_view text) {
  NumberText literal;
  DecimalDigits decimal;
  switch (ScanRegionalNumber(text, &literal, &decimal)) {
    case Scanned::kLiteral:
      if (literal.status == NumberText::kOverflow) Raise(6);
      return Currency{static_cast<int64_t>(literal.value) * 10000};
    case Scanned::kDecimal:
      return CurrencyOfDigits(decimal);
    case Scanned::kNothing:
      break;
  }
  return std::nullopt;
}

NumberText ReadNeutralNumber(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  }
  size_t i = 0;
  if (!s.empty() && s[0] == '&') {
    NumberText literal = ReadRadixLiteral(s, &i);
    if (literal.status == NumberText::kNotANumber) {
      return {NumberText::kNumber, 0};
    }
    return literal;
  }
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::string integer;
  std::string fraction;
  while (i < s.size() && IsDigit(s[i])) integer += s[i++];
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) fraction += s[i++];
  }
  long long exponent = 0;
  if (i < s.size() && IsExponentMark(s[i])) {
    ++i;
    ReadExponent(s, &i, &exponent);  // an incomplete exponent is ignored
  }
  if (integer.empty() && fraction.empty()) return {NumberText::kNumber, 0};
  return DigitsToDouble(negative, integer, fraction, exponent);
}

double Val(std::string_view text) {
  NumberText number = ReadNeutralNumber(text);
  if (number.status == NumberText::kOverflow) Raise(6);
  return number.value;
}

std::string NumberToText(double value, int significant_digits,
                         std::string_view decimal_separator) {
  if (value == 0) return "0";  // never "-0"
  // printf's %G without printf: shortest form up to the given digits,
  // exponent form below 1E-04 and from 10^digits on.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value,
                           std::chars_format::general, significant_digits);
  std::string decimal = decimal_separator.empty()
                            ? RegionalNumberFormat().decimal
                            : std::string(decimal_separator);
  std::string out;
  for (char c : std::string_view(buf, static_cast<size_t>(res.ptr - buf))) {
    if (c == '.') {
      out += decimal;
    } else {
      out += c == 'e' ? 'E' : c;
    }
  }
  return out;
}

std::string CurrencyToText(Currency value, std::string_view decimal) {
  bool negative = value.scaled < 0;
  // Unsigned, so that the most negative value has a magnitude too.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value.scaled)
                                : static_cast<uint64_t>(value.scaled);
  std::string out = negative ? "-" : "";
  out += std::to_string(magnitude / 10000);
  uint64_t fraction = magnitude % 10000;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction + 10000).substr(1);
    while (digits.back() == '0') digits.pop_back();
    out += (decimal.empty() ? RegionalNumberFormat().decimal
                            : std::string(decimal)) +
           digits;
  }
  return out;
}

std::string FormatNumber(double value, std::string_view pattern) {
  if (pattern.empty() || !std::isfinite(value)) return NumberToText(value, 15);
  std::vector<PatternPiece> pieces = ParsePattern(pattern);

  // A comma between digit placeholders of the integer part asks for
  // grouping; commas after its last digit placeholder divide by 1000 each.
  bool grouping = false;
  int thousands = 0;
  bool percent = false;
  int integer_places = 0;
  int fraction_places = 0;
  int first_zero_place = -1;  // the first integer placeholder "0"
  for (size_t k = 0; k < pieces.size(); ++k) {
    const PatternPiece& p = pieces[k];
    if (p.kind == PatternPiece::kDigit) {
      if (!p.in_fraction && p.placeholder == '0' && first_zero_place < 0) {
        first_zero_place = integer_places;
      }
      ++(p.in_fraction ? fraction_places : integer_places);
    } else if (p.kind == PatternPiece::kPercent) {
      percent = true;
    } else if (p.kind == PatternPiece::kComma && integer_places > 0) {
      bool digit_follows = false;
      for (size_t j = k + 1; j < pieces.size() && !pieces[j].in_fraction; ++j) {
        if (pieces[j].kind == PatternPiece::kDigit) digit_follows = true;
        if (pieces[j].kind == PatternPiece::kPoint) break;
      }
      if (digit_follows) {
        grouping = true;
      } else {
        ++thousands;
      }
    }
  }

  // Scaled on the decimal digits, where neither a large value times 100
  // nor a small one divided by powers of 1000 can leave the double's range.
  Decimal d = DecimalOf(value, 15);
  if (!d.digits.empty()) d.point += (percent ? 2 : 0) - 3 * thousands;
  RoundHalfAwayFromZero(&d, fraction_places);

  // The integer digits as shown: zeros fill up to the first "0"
  // placeholder.  They stand right-aligned under the integer placeholders;
  // digits beyond the placeholders all go to the first one.
  std::string integer;
  for (int i = 0; i < d.point; ++i) integer += DigitAt(d, i);
  if (first_zero_place >= 0) {
    int width = integer_places - first_zero_place;
    if (static_cast<int>(integer.size()) < width) {
      integer.insert(0, width - integer.size(), '0');
    }
  }
  const int shown_integer_digits = static_cast<int>(integer.size());
  // Trailing zeros of the fraction are left out where the placeholder is "#".
  std::vector<bool> fraction_shown(fraction_places, true);
  {
    std::vector<char> placeholders;
    for (const PatternPiece& p : pieces) {
      if (p.kind == PatternPiece::kDigit && p.in_fraction)
        placeholders.push_back(p.placeholder);
    }
    for (int k = fraction_places - 1;
         k >= 0 && placeholders[k] == '#' && DigitAt(d, d.point + k) == '0';
         --k) {
      fraction_shown[k] = false;
    }
  }

  NumberFormat format = RegionalNumberFormat();
  std::string out = value < 0 && !d.digits.empty() ? "-" : "";
  int place = 0;
  int emitted = 0;  // integer digits written so far, for the grouping
  auto emit_integer_digit = [&](char digit) {
    if (grouping && emitted > 0 && (shown_integer_digits - emitted) % 3 == 0) {
      out += format.grouping;
    }
    out += digit;
    ++emitted;
  };
  int fraction_place = 0;
  for (const PatternPiece& p : pieces) {
    switch (p.kind) {
      case PatternPiece::kDigit:
        if (p.in_fraction) {
          if (fraction_shown[fraction_place])
            out += DigitAt(d, d.point + fraction_place);
          ++fraction_place;
        } else {
          int index = shown_integer_digits - (integer_places - place);
          if (place == 0) {
            for (int i = 0; i < index; ++i) emit_integer_digit(integer[i]);
          }
          if (index >= 0) emit_integer_digit(integer[index]);
          ++place;
        }
        break;
      case PatternPiece::kPoint:
        // Without integer placeholders the integer digits still show.
        if (integer_places == 0) {
          for (char digit : integer) emit_integer_digit(digit);
        }
        out += format.decimal;
        break;
      case PatternPiece::kComma:
        break;
      case PatternPiece::kPercent:
        out += '%';
        break;
      case PatternPiece::kLiteral:
        out += p.literal;
        break;
    }
  }
  return out;
}

}  // namespace vx
