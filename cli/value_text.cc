#include "cli/value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/number_format.h"
#include "platform/text.h"

namespace vx::cli {

namespace {

// The shortest text that reads back as exactly `value`, "." as separator.
template <typename Number>
std::string ExactNumberText(Number value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string HexEscape(char32_t cp) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(cp));
  return buffer;
}

// A number's text for both forms, or "" when the value is no number.
std::string NumberText(const Variant& v) {
  if (const auto* p = v.get_if<int16_t>()) return std::to_string(*p);
  if (const auto* p = v.get_if<int32_t>()) return std::to_string(*p);
  if (const auto* p = v.get_if<uint8_t>()) return std::to_string(*p);
  if (const auto* p = v.get_if<float>()) return ExactNumberText(*p);
  if (const auto* p = v.get_if<double>()) return ExactNumberText(*p);
  if (const auto* p = v.get_if<Currency>()) return CurrencyToText(*p, ".");
  return "";
}

bool IsFiniteNumber(const Variant& v) {
  if (const auto* p = v.get_if<float>()) return std::isfinite(*p);
  if (const auto* p = v.get_if<double>()) return std::isfinite(*p);
  return true;
}

}  // namespace

std::string PlainText(const Variant& v) {
  if (v.IsNull()) return "Null";
  if (v.IsEmpty() || v.IsMissing()) return "";
  if (v.IsNumber()) return NumberText(v);
  if (const auto* p = v.get_if<Date>()) return FormatDateTime(*p);
  std::string text = CStr(v);  // texts, booleans and byte arrays
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, &i);
    if (cp == '\n') {
      shown += "\\n";
    } else if (cp == '\r') {
      shown += "\\r";
    } else if ((cp < 0x20 && cp != '\t') || cp == 0x7F) {
      shown += HexEscape(cp);
    } else {
      AppendUtf8(&shown, cp);
    }
  }
  return shown;
}

std::string JsonValue(const Variant& v) {
  if (v.IsEmpty() || v.IsNull() || v.IsMissing()) return "null";
  if (v.IsNumber()) return IsFiniteNumber(v) ? NumberText(v) : "null";
  if (const auto* p = v.get_if<bool>()) return *p ? "true" : "false";
  if (const auto* p = v.get_if<Date>()) return JsonString(FormatDateTime(*p));
  return JsonString(CStr(v));
}

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, &i);
    switch (cp) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (cp < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04X",
                        static_cast<unsigned>(cp));
          json += buffer;
        } else {
          AppendUtf8(&json, cp);
        }
    }
  }
  return json + "\"";
}

}  // namespace vx::cli
