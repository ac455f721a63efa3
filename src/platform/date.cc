// The run time's dates: a double counting days since 1899-12-30, the time of
// day as its fraction.  Before that day the serial is negative, yet its
// fraction still counts forward from midnight: -1.25 is 1899-12-29 06:00.
// So the date part is the serial truncated towards zero and the time is the
// absolute value of what remains.

#include "platform/date.h"

#include <langinfo.h>

#include <cmath>
#include <cstdint>
#include <ctime>

#include "vx_taluvek/error.h"

namespace vx {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year =
      (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The inverse of DaysFromCivil.
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era = (day_of_era - day_of_era / 1460 +
                               day_of_era / 36524 - day_of_era / 146096) /
                              365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t shifted_month = (5 * day_of_year + 2) / 153;
  *day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  *month = static_cast<int>(shifted_month < 10 ? shifted_month + 3
                                               : shifted_month - 9);
  *year = static_cast<int>(year_of_era + era * 400 + (*month <= 2));
}

constexpr int64_t kDayZero = DaysFromCivil(1899, 12, 30);
// Serials of 0100-01-01 and of the day after 9999-12-31.
constexpr int64_t kFirstDay = DaysFromCivil(100, 1, 1) - kDayZero;
constexpr int64_t kEndDay = DaysFromCivil(10000, 1, 1) - kDayZero;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The serial of a day and the seconds since its midnight (0..86399).
Date SerialOf(int64_t day, int64_t seconds) {
  double fraction = static_cast<double>(seconds) / kSecondsPerDay;
  double whole = static_cast<double>(day);
  return Date{day >= 0 ? whole + fraction : whole - fraction};
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void AppendPadded(std::string* out, int value, size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) out->append(width - digits.size(), '0');
  *out += digits;
}

void AppendDate(std::string* out, const DateParts& p) {
  AppendPadded(out, p.year, 4);
  *out += '-';
  AppendPadded(out, p.month, 2);
  *out += '-';
  AppendPadded(out, p.day, 2);
}

void AppendTime(std::string* out, const DateParts& p) {
  AppendPadded(out, p.hour, 2);
  *out += ':';
  AppendPadded(out, p.minute, 2);
  *out += ':';
  AppendPadded(out, p.second, 2);
}

// Reads at most `max_digits` digits at s[*i].  Returns how many were read.
size_t ReadNumber(std::string_view s, size_t* i, size_t max_digits,
                  int* value) {
  size_t count = 0;
  *value = 0;
  while (*i < s.size() && s[*i] >= '0' && s[*i] <= '9' && count < max_digits) {
    *value = *value * 10 + (s[(*i)++] - '0');
    ++count;
  }
  return count;
}

// Whether the locale's short date names the day before the month.
bool DayComesFirst() {
  std::string_view format = nl_langinfo(D_FMT);
  size_t day = format.find("%d");
  if (day == std::string_view::npos) day = format.find("%e");
  size_t month = format.find("%m");
  return day != std::string_view::npos && month != std::string_view::npos &&
         day < month;
}

// A date "y-m-d" or in the regional order; the day number since day 0.
std::optional<int64_t> ParseDay(std::string_view s) {
  int fields[3];
  size_t digits[3];
  size_t i = 0;
  char separator = 0;
  for (int k = 0; k < 3; ++k) {
    if (k > 0) {
      if (i >= s.size()) return std::nullopt;
      char c = s[i++];
      if (k == 1 && (c == '-' || c == '.' || c == '/')) separator = c;
      if (c != separator) return std::nullopt;
    }
    digits[k] = ReadNumber(s, &i, 4, &fields[k]);
    if (digits[k] == 0) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  int year;
  int month;
  int day;
  size_t year_digits;
  if (digits[0] >= 3) {
    year = fields[0], month = fields[1], day = fields[2],
    year_digits = digits[0];
    if (digits[1] > 2 || digits[2] > 2) return std::nullopt;
  } else {
    bool day_first = DayComesFirst();
    day = fields[day_first ? 0 : 1];
    month = fields[day_first ? 1 : 0];
    year = fields[2];
    year_digits = digits[2];
    if (digits[1] > 2) return std::nullopt;
  }
  if (year_digits <= 2) year += year < 30 ? 2000 : 1900;
  if (year < 100 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  return DaysFromCivil(year, month, day) - kDayZero;
}

// A time "h:mm" or "h:mm:ss"; the seconds since midnight.
std::optional<int64_t> ParseTimeOfDay(std::string_view s) {
  size_t i = 0;
  int hour;
  int minute;
  int second = 0;
  if (ReadNumber(s, &i, 2, &hour) == 0 || i >= s.size() || s[i++] != ':') {
    return std::nullopt;
  }
  if (ReadNumber(s, &i, 2, &minute) == 0) return std::nullopt;
  if (i < s.size()) {
    if (s[i++] != ':' || ReadNumber(s, &i, 2, &second) == 0)
      return std::nullopt;
  }
  if (i != s.size() || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  return hour * 3600 + minute * 60 + second;
}

// The `count` digits at s[at] as a number, or -1 when one is no digit.
int FixedDigits(std::string_view s, size_t at, size_t count) {
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    const unsigned digit = static_cast<unsigned char>(s[i]) - unsigned{'0'};
    if (digit > 9) return -1;
    value = value * 10 + static_cast<int>(digit);
  }
  return value;
}

// The form the engine stores dates in, "yyyy-mm-dd" or "yyyy-mm-dd
// hh:mm:ss", read without the general reader's search for separators and
// regional order: every date column of every row read comes this way.
// Nothing when `s` has another form; the general reader then decides.
std::optional<Date> ParseStoredForm(std::string_view s) {
  const bool with_time = s.size() == 19;
  if (!with_time && s.size() != 10) return std::nullopt;
  if (s[4] != '-' || s[7] != '-') return std::nullopt;
  const int year = FixedDigits(s, 0, 4);
  const int month = FixedDigits(s, 5, 2);
  const int day = FixedDigits(s, 8, 2);
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (with_time) {
    if (s[10] != ' ' || s[13] != ':' || s[16] != ':') return std::nullopt;
    hour = FixedDigits(s, 11, 2);
    minute = FixedDigits(s, 14, 2);
    second = FixedDigits(s, 17, 2);
  }
  // A piece that is no number is -1 and fails its range.
  if (year < 100 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  return SerialOf(DaysFromCivil(year, month, day) - kDayZero,
                  hour * 3600 + minute * 60 + second);
}

}  // namespace

bool IsDateSerialInRange(double serial) {
  // A negative serial's fraction belongs to the day it truncates to.
  return serial > static_cast<double>(kFirstDay - 1) &&
         serial < static_cast<double>(kEndDay);
}

Date DateFromParts(int year, int month, int day, int hour, int minute,
                   int second) {
  // Months, days and times outside their range carry over into the next
  // larger unit, as the run time's DateSerial and TimeSerial do.
  int64_t months = int64_t{year} * 12 + (month - 1);
  int64_t y = FloorDiv(months, 12);
  int m = static_cast<int>(months - y * 12) + 1;
  int64_t days = DaysFromCivil(y, m, 1) - kDayZero + (int64_t{day} - 1);
  int64_t total = days * kSecondsPerDay + int64_t{hour} * 3600 +
                  int64_t{minute} * 60 + second;
  int64_t whole_days = FloorDiv(total, kSecondsPerDay);
  if (whole_days < kFirstDay || whole_days >= kEndDay) Raise(5);
  return SerialOf(whole_days, total - whole_days * kSecondsPerDay);
}

DateParts SplitDate(Date d) {
  if (!IsDateSerialInRange(d.serial)) Raise(6);
  double whole = std::trunc(d.serial);
  auto day = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(d.serial - whole) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
    ++day;
    seconds -= kSecondsPerDay;
  }
  DateParts p;
  CivilFromDays(day + kDayZero, &p.year, &p.month, &p.day);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  return p;
}

std::string FormatDateTime(Date d) {
  DateParts p = SplitDate(d);
  std::string out;
  AppendDate(&out, p);
  out += ' ';
  AppendTime(&out, p);
  return out;
}

Date Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateFromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour, local.tm_min, local.tm_sec);
}

std::optional<Date> ParseDateText(std::string_view text) {
  if (std::optional<Date> stored = ParseStoredForm(text)) return stored;
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  std::string_view s =
      text.substr(first, text.find_last_not_of(" \t") + 1 - first);
  size_t blank = s.find_first_of(" \t");
  std::string_view date_part = s.substr(0, blank);
  std::string_view time_part;
  if (blank != std::string_view::npos) {
    time_part = s.substr(s.find_first_not_of(" \t", blank));
  } else if (s.find(':') != std::string_view::npos) {
    time_part = s;  // the time alone
    date_part = {};
  }
  int64_t day = 0;
  int64_t seconds = 0;
  if (!date_part.empty()) {
    std::optional<int64_t> parsed = ParseDay(date_part);
    if (!parsed) return std::nullopt;
    day = *parsed;
  }
  if (!time_part.empty()) {
    std::optional<int64_t> parsed = ParseTimeOfDay(time_part);
    if (!parsed) return std::nullopt;
    seconds = *parsed;
  }
  return SerialOf(day, seconds);
}

std::string DateToText(Date d) {
  DateParts p = SplitDate(d);
  bool day_zero = p.year == 1899 && p.month == 12 && p.day == 30;
  bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  std::string out;
  if (!day_zero) AppendDate(&out, p);
  if (!day_zero && !midnight) out += ' ';
  if (day_zero || !midnight) AppendTime(&out, p);
  return out;
}

}  // namespace vx
