#include "cli/argument_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/date.h"

namespace vx::cli {

namespace {

// A whole text read as a number the regionally neutral way.
std::optional<Variant> NumberValue(std::string_view text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (!text.empty() && text.front() == '+') ++begin;  // from_chars takes none
  int32_t whole = 0;
  auto [whole_end, whole_ec] = std::from_chars(begin, end, whole);
  if (whole_ec == std::errc() && whole_end == end) return Variant(whole);
  double value = 0;
  auto [value_end, value_ec] =
      std::from_chars(begin, end, value, std::chars_format::general);
  if (value_ec != std::errc() || value_end != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return Variant(value);
}

}  // namespace

std::optional<Variant> ArgumentValue(const std::string& text) {
  if (!text.starts_with("--")) return Variant(text);
  if (text == "--null") return Variant::Null();
  if (text == "--leer") return Variant();
  if (text == "--fehlt") return Variant::Missing();
  if (text == "--wahr") return Variant(true);
  if (text == "--falsch") return Variant(false);
  if (text.starts_with("--text=")) return Variant(text.substr(7));
  if (text.starts_with("--zahl=")) {
    return NumberValue(std::string_view(text).substr(7));
  }
  if (text.starts_with("--datum=")) {
    std::optional<Date> date = ParseDateText(text.substr(8));
    if (!date) return std::nullopt;
    return Variant(*date);
  }
  return std::nullopt;
}

}  // namespace vx::cli
