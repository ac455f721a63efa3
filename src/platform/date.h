// Dates as the variant conversions read them from texts and write them into
// texts.  The public functions of the same concept (DateFromParts,
// SplitDate, FormatDateTime, Now) are declared in variant.h.

#ifndef VX_PLATFORM_DATE_H_
#define VX_PLATFORM_DATE_H_

#include <optional>
#include <string>
#include <string_view>

#include "vx_taluvek/variant.h"

namespace vx {

// Whether `serial` is a date the run time can hold: 100-01-01 to 9999-12-31.
bool IsDateSerialInRange(double serial);

// Reads a text as CDate does: "YYYY-MM-DD", or day, month and year in the
// order of the locale's short date ("5.3.2024" where the day comes first,
// "3/5/2024" where the month does; the separator may be ".", "/" or "-"),
// each optionally followed by a time "hh:mm[:ss]"; or the time alone.  A
// year of one or two digits means 2000-2029 (00-29) or 1930-1999 (30-99).
// Nothing when the text is no such date or names a day that does not exist.
std::optional<Date> ParseDateText(std::string_view text);

// CStr of a date: "YYYY-MM-DD" when the time is midnight, "hh:mm:ss" when
// the date is 1899-12-30 (day 0), else both, separated by a blank.
std::string DateToText(Date d);

}  // namespace vx

#endif  // VX_PLATFORM_DATE_H_
