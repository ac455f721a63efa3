#include "engine/dialect_functions.h"

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "engine/text_order.h"
#include "platform/date.h"
#include "platform/date_format.h"
#include "platform/text.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/variant.h"

namespace vx::dao {

namespace {

// SQLite's limit on LIKE patterns, which replacing like() must keep.
constexpr int kMaxLikePattern = 50000;

std::string_view TextOf(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return text == nullptr ? std::string_view()
                         : std::string_view(text, static_cast<size_t>(
                                                      sqlite3_value_bytes(value)));
}

void ResultText(sqlite3_context* context, const std::string& text) {
  sqlite3_result_text64(context, text.data(), text.size(), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

bool IsNull(sqlite3_value* value) {
  return sqlite3_value_type(value) == SQLITE_NULL;
}

int Collate(void*, int a_size, const void* a, int b_size, const void* b) {
  return CompareTexts(
      std::string_view(static_cast<const char*>(a), static_cast<size_t>(a_size)),
      std::string_view(static_cast<const char*>(b), static_cast<size_t>(b_size)));
}

void Like(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_bytes(argv[0]) > kMaxLikePattern) {
    sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
    return;
  }
  std::optional<char32_t> escape;
  if (argc == 3) {
    const std::string_view e = TextOf(argv[2]);
    size_t i = 0;
    if (!e.empty()) escape = NextCodePoint(e, &i);
    if (e.empty() || i != e.size()) {
      sqlite3_result_error(context,
                           "ESCAPE expression must be a single character", -1);
      return;
    }
  }
  if (IsNull(argv[0]) || IsNull(argv[1])) return;  // Null
  sqlite3_result_int(context,
                     LikeMatches(TextOf(argv[0]), TextOf(argv[1]), escape) ? 1 : 0);
}

template <std::string (*Map)(std::string_view)>
void MapCase(sqlite3_context* context, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return;
  ResultText(context, Map(TextOf(argv[0])));
}

void Nz(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (!IsNull(argv[0])) {
    sqlite3_result_value(context, argv[0]);
  } else if (argc == 2) {
    sqlite3_result_value(context, argv[1]);
  } else {
    sqlite3_result_text(context, "", 0, SQLITE_STATIC);
  }
}

// The value of a stored field as the run time's Format sees it: a date
// stored as "YYYY-MM-DD hh:mm:ss", a number, else a text.
void Format(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return;
  const std::string_view pattern = argc == 2 ? TextOf(argv[1]) : std::string_view();
  try {
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
      const double number = sqlite3_value_double(argv[0]);
      ResultText(context, FormatNumber(number, pattern));
      return;
    }
    const std::string_view text = TextOf(argv[0]);
    if (std::optional<Date> date = ParseDateText(text);
        date && text.size() >= 10 && text[4] == '-') {
      ResultText(context,
                 pattern.empty() ? DateToText(*date) : FormatDate(*date, pattern));
      return;
    }
    ResultText(context, std::string(text));
  } catch (const Error& e) {
    sqlite3_result_error(context, e.description().c_str(), -1);
  }
}

void Concat(sqlite3_context* context, int, sqlite3_value** argv) {
  if (IsNull(argv[0]) && IsNull(argv[1])) return;
  std::string text(TextOf(argv[0]));
  text += TextOf(argv[1]);
  ResultText(context, text);
}

// A value rounded to an integer half to even, as the run time rounds the
// operands of "\"; nothing beyond 64 bits.
std::optional<int64_t> RoundedInteger(sqlite3_value* value) {
  if (sqlite3_value_type(value) == SQLITE_INTEGER) return sqlite3_value_int64(value);
  const double rounded = std::nearbyint(sqlite3_value_double(value));
  if (!(rounded >= -9.2e18 && rounded <= 9.2e18)) return std::nullopt;
  return static_cast<int64_t>(rounded);
}

void IntegerDivide(sqlite3_context* context, int, sqlite3_value** argv) {
  if (IsNull(argv[0]) || IsNull(argv[1])) return;
  const std::optional<int64_t> a = RoundedInteger(argv[0]);
  const std::optional<int64_t> b = RoundedInteger(argv[1]);
  if (!a || !b || (*a == std::numeric_limits<int64_t>::min() && *b == -1)) {
    sqlite3_result_error(context, "Overflow", -1);
    return;
  }
  if (*b == 0) return;  // Null, as SQLite's own division by zero
  sqlite3_result_int64(context, *a / *b);
}

void Register(sqlite3* db, const char* name, int argc,
              void (*function)(sqlite3_context*, int, sqlite3_value**)) {
  sqlite3_create_function_v2(db, name, argc,
                             SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                             nullptr, function, nullptr, nullptr, nullptr);
}

}  // namespace

void RegisterDialectFunctions(sqlite3* db) {
  sqlite3_create_collation_v2(db, kFoldingCollation, SQLITE_UTF8, nullptr,
                              Collate, nullptr);
  Register(db, "like", 2, Like);
  Register(db, "like", 3, Like);
  Register(db, "ucase", 1, MapCase<UCase>);
  Register(db, "lcase", 1, MapCase<LCase>);
  Register(db, "nz", 1, Nz);
  Register(db, "nz", 2, Nz);
  Register(db, "format", 1, Format);
  Register(db, "format", 2, Format);
  Register(db, "vx_concat", 2, Concat);
  Register(db, "vx_intdiv", 2, IntegerDivide);
}

}  // namespace vx::dao
