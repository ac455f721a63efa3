#include "platform/date_format.h"

#include <langinfo.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <utility>

#include "platform/date.h"
#include "platform/text.h"

namespace vx {

namespace {

struct Parts {
  DateParts p;
  int weekday;      // 1 = Sunday
  int day_of_year;  // 1 = January 1
  int week;         // 1 = the week of January 1, weeks from Sunday
};

// Day 0, 1899-12-30, was a Saturday.
int WeekdayOf(double serial) {
  const auto day = static_cast<long long>(std::floor(serial));
  return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

Parts PartsOf(Date d) {
  Parts parts{SplitDate(d), 0, 0, 0};
  const double day = DateFromParts(parts.p.year, parts.p.month, parts.p.day).serial;
  const double first = DateFromParts(parts.p.year, 1, 1).serial;
  parts.weekday = WeekdayOf(day);
  parts.day_of_year = static_cast<int>(day - first) + 1;
  parts.week = (parts.day_of_year + WeekdayOf(first) - 2) / 7 + 1;
  return parts;
}

std::string Padded(int value, int width) {
  std::string text = std::to_string(value);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
  return text;
}

// strftime of one conversion for the date in `parts`.
std::string LocaleText(const Parts& parts, const char* conversion) {
  std::tm tm{};
  tm.tm_year = parts.p.year - 1900;
  tm.tm_mon = parts.p.month - 1;
  tm.tm_mday = parts.p.day;
  tm.tm_wday = parts.weekday - 1;
  tm.tm_yday = parts.day_of_year - 1;
  tm.tm_hour = parts.p.hour;
  tm.tm_min = parts.p.minute;
  tm.tm_sec = parts.p.second;
  char buffer[128];
  const size_t n = std::strftime(buffer, sizeof buffer, conversion, &tm);
  return std::string(buffer, n);
}

// The separator of the locale's short date: "." in "%d.%m.%Y".
char DateSeparator() {
  const char* format = nl_langinfo(D_FMT);
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p == '%') {
      if (p[1] == '\0') break;
      ++p;
      continue;
    }
    return *p;
  }
  return '/';
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

std::string_view NamedFormat(std::string_view name) {
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"General Date", "c"},         {"Long Date", "dddddd"},
      {"Medium Date", "dd-mmm-yy"},  {"Short Date", "ddddd"},
      {"Long Time", "ttttt"},        {"Medium Time", "hh:nn AM/PM"},
      {"Short Time", "hh:nn"}};
  for (const auto& [named, pattern] : kNamed) {
    if (EqualsNoCase(name, named)) return pattern;
  }
  return name;
}

class DateFormatter {
 public:
  DateFormatter(Date d, std::string_view pattern)
      : date_(d), parts_(PartsOf(d)), pattern_(NamedFormat(pattern)) {
    // A marker anywhere makes the clock one of 12 hours.
    for (std::string_view marker : {"AM/PM", "A/P", "AMPM"}) {
      for (size_t i = 0; i + marker.size() <= pattern_.size(); ++i) {
        if (StartsWithNoCase(pattern_.substr(i), marker)) twelve_hours_ = true;
      }
    }
  }

  std::string Run() {
    while (i_ < pattern_.size()) Step();
    return out_;
  }

 private:
  size_t Run(char c) const {
    size_t n = 0;
    while (i_ + n < pattern_.size() && (pattern_[i_ + n] | 0x20) == c) ++n;
    return n;
  }

  int Hour() const {
    if (!twelve_hours_) return parts_.p.hour;
    const int h = parts_.p.hour % 12;
    return h == 0 ? 12 : h;
  }

  // Whether an "m" at the current place means minutes: after an hour, or
  // before a second, with only separators between.
  bool MeansMinutes(size_t run) const {
    if (last_was_hour_) return true;
    for (size_t k = i_ + run; k < pattern_.size(); ++k) {
      const char c = static_cast<char>(pattern_[k] | 0x20);
      if (c == 's') return true;
      if (c != ':' && c != ' ' && c != '.' && c != '/') return false;
    }
    return false;
  }

  void Step() {
    const char c = pattern_[i_];
    const char lower = static_cast<char>(c | 0x20);
    bool hour = false;
    if (c == '"') {
      const size_t end = pattern_.find('"', i_ + 1);
      const size_t stop = end == std::string_view::npos ? pattern_.size() : end;
      out_.append(pattern_.substr(i_ + 1, stop - i_ - 1));
      i_ = end == std::string_view::npos ? stop : end + 1;
      return;
    }
    if (c == '\\') {
      if (i_ + 1 < pattern_.size()) out_ += pattern_[i_ + 1];
      i_ += 2;
      return;
    }
    for (std::string_view marker : {"AM/PM", "A/P", "AMPM"}) {
      if (StartsWithNoCase(pattern_.substr(i_), marker)) {
        const bool pm = parts_.p.hour >= 12;
        const bool upper = c == 'A';
        if (marker == "A/P") {
          out_ += upper ? (pm ? "P" : "A") : (pm ? "p" : "a");
        } else if (marker == "AMPM") {
          out_ += pm ? nl_langinfo(PM_STR) : nl_langinfo(AM_STR);
        } else {
          out_ += upper ? (pm ? "PM" : "AM") : (pm ? "pm" : "am");
        }
        i_ += marker.size();
        return;
      }
    }
    size_t run = 1;
    switch (lower) {
      case 'd':
        run = Run('d');
        if (run >= 6) {
          out_ += DateFormatter(date_, "dddd, d. mmmm yyyy").Run();
          run = 6;
        } else if (run == 5) {
          out_ += LocaleText(parts_, "%x");
        } else if (run == 4) {
          out_ += LocaleText(parts_, "%A");
        } else if (run == 3) {
          out_ += LocaleText(parts_, "%a");
        } else {
          out_ += Padded(parts_.p.day, static_cast<int>(run));
        }
        break;
      case 'w':
        run = std::min<size_t>(Run('w'), 2);
        out_ += std::to_string(run == 1 ? parts_.weekday : parts_.week);
        break;
      case 'm':
        run = std::min<size_t>(Run('m'), 4);
        if (run <= 2 && MeansMinutes(run)) {
          out_ += Padded(parts_.p.minute, static_cast<int>(run));
        } else if (run == 4) {
          out_ += LocaleText(parts_, "%B");
        } else if (run == 3) {
          out_ += LocaleText(parts_, "%b");
        } else {
          out_ += Padded(parts_.p.month, static_cast<int>(run));
        }
        break;
      case 'q':
        out_ += std::to_string((parts_.p.month - 1) / 3 + 1);
        break;
      case 'y':
        run = Run('y');
        if (run >= 4) {
          out_ += Padded(parts_.p.year, 4);
          run = 4;
        } else if (run >= 2) {
          out_ += Padded(parts_.p.year % 100, 2);
          run = 2;
        } else {
          out_ += std::to_string(parts_.day_of_year);
        }
        break;
      case 'h':
        run = std::min<size_t>(Run('h'), 2);
        out_ += Padded(Hour(), static_cast<int>(run));
        hour = true;
        break;
      case 'n':
        run = std::min<size_t>(Run('n'), 2);
        out_ += Padded(parts_.p.minute, static_cast<int>(run));
        break;
      case 's':
        run = std::min<size_t>(Run('s'), 2);
        out_ += Padded(parts_.p.second, static_cast<int>(run));
        break;
      case 't':
        run = Run('t');
        if (run >= 5) {
          out_ += DateFormatter(date_, "hh:nn:ss").Run();
          run = 5;
        } else {
          out_.append(pattern_.substr(i_, run));
        }
        break;
      case 'c':
        out_ += DateToText(date_);
        break;
      default:
        out_ += c == '/' ? DateSeparator() : c;
        break;
    }
    last_was_hour_ = hour || (last_was_hour_ && (c == ':' || c == ' '));
    i_ += run;
  }

  Date date_;
  Parts parts_;
  std::string_view pattern_;
  bool twelve_hours_ = false;
  bool last_was_hour_ = false;
  size_t i_ = 0;
  std::string out_;
};

}  // namespace

std::string FormatDate(Date d, std::string_view pattern) {
  return DateFormatter(d, pattern).Run();
}

}  // namespace vx
