// The run time's Format for dates.
//
// Named formats ("General Date", "Long Date", "Medium Date", "Short Date",
// "Long Time", "Medium Time", "Short Time") and patterns made of:
//   d dd ddd dddd    day; abbreviated and full weekday name
//   ddddd dddddd     the locale's short date; the long date
//   w ww             weekday (1 = Sunday); week of the year
//   m mm mmm mmmm    month; abbreviated and full month name (after h or
//                    before s, m and mm are minutes)
//   q y yy yyyy      quarter; day of the year; year in two and four digits
//   h hh n nn s ss   hour, minute, second; ttttt the long time
//   AM/PM am/pm A/P a/p AMPM   a 12-hour clock with its marker
//   c                the general date
//   /  :             the locale's date separator; the time separator
//   "text" \x        literal text
// Any other character is copied.  Names follow the locale (LC_TIME).

#ifndef VX_PLATFORM_DATE_FORMAT_H_
#define VX_PLATFORM_DATE_FORMAT_H_

#include <string>
#include <string_view>

#include "vx_taluvek/variant.h"

namespace vx {

std::string FormatDate(Date d, std::string_view pattern);

}  // namespace vx

#endif  // VX_PLATFORM_DATE_FORMAT_H_
