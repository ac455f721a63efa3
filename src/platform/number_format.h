// Numbers as the run time reads them from texts and writes them into texts,
// for the variant conversions.  The public functions of the same concept
// (RegionalNumberFormat, FormatNumber, Val) are declared in variant.h.
//
// Everything regional is read from the process's locale (LC_NUMERIC) at
// each call, so a change of locale takes effect at once.  Nothing here goes
// through strtod or printf, whose handling of LC_NUMERIC differs from the
// run time's.

#ifndef VX_PLATFORM_NUMBER_FORMAT_H_
#define VX_PLATFORM_NUMBER_FORMAT_H_

#include <optional>
#include <string>
#include <string_view>

#include "vx_taluvek/variant.h"

namespace vx {

// What a text read as a number turned out to be.
struct NumberText {
  enum Status { kNumber, kNotANumber, kOverflow };
  Status status = kNotANumber;
  double value = 0;
};

// Reads a whole text as a number the way CDbl does: blanks and tabs around
// it, a sign, digits with the regional grouping separator between them, the
// regional decimal separator, an exponent ("E"/"D", any case), or a hex or
// octal literal "&H1F" / "&O17" (as the run time's 16- or 32-bit integers,
// so "&HFFFF" is -1).  A negative number may also be written in
// parentheses, "(12)", or with its minus after it, "12-".  A number beyond
// the range of a double is kOverflow (value: an infinity of its sign); one
// too small becomes 0.
NumberText ParseRegionalNumber(std::string_view text);

// Reads the number at the start of a text as Val does (see variant.h), but
// answers a number beyond the range of a double as kOverflow with an
// infinity of its sign instead of raising.  Never kNotANumber: no digits
// give the number 0.
NumberText ReadNeutralNumber(std::string_view text);

// Reads a whole text as ParseRegionalNumber does, exactly into a currency
// rounded half to even to four decimals.  Nothing when the text is no
// number; raises 6 beyond the currency's range.
std::optional<Currency> ParseRegionalCurrency(std::string_view text);

// `value` with at most `significant_digits` significant digits in its
// shortest form and `decimal` (by default the regional decimal separator)
// between the integer and the fraction: "0.1", "-12.5", "1E+15", "1.5E-05"
// (exponent form where printf's %G would use it).  Infinities and NaN,
// which no conversion produces, give "inf", "-inf" and "nan".
std::string NumberToText(double value, int significant_digits,
                         std::string_view decimal = {});

// A currency value with up to four decimals, none of them trailing zeros,
// with `decimal` (by default the regional decimal separator).
std::string CurrencyToText(Currency value, std::string_view decimal = {});

}  // namespace vx

#endif  // VX_PLATFORM_NUMBER_FORMAT_H_
