#include "platform/invariant_text.h"

#include <charconv>
#include <string>

#include "platform/number_format.h"
#include "vx_taluvek/error.h"

namespace vx {

namespace {

// The run time's Str writes no zero before the point: " .5", "-.25".
std::string WithoutLeadingZero(std::string text) {
  if (text.starts_with("0.")) text.erase(0, 1);
  if (text.starts_with("-0.")) text.erase(1, 1);
  return text;
}

std::string WithSign(std::string text) {
  return text.starts_with("-") ? text : " " + text;
}

}  // namespace

std::string Str(const Variant& v) {
  switch (v.type()) {
    case VarType::kNull:
      Raise(94);
    case VarType::kEmpty:
      return " 0";
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kByte:
      return WithSign(std::to_string(CLng(v)));
    case VarType::kSingle:
      return WithSign(WithoutLeadingZero(NumberToText(*v.get_if<float>(), 7, ".")));
    case VarType::kDouble:
      return WithSign(WithoutLeadingZero(NumberToText(*v.get_if<double>(), 15, ".")));
    case VarType::kCurrency:
      return WithSign(WithoutLeadingZero(CurrencyToText(*v.get_if<Currency>(), ".")));
    case VarType::kString:
      return Str(Variant(CDbl(v)));
    default:
      return CStr(v);
  }
}

std::string PlainNumberText(double value) {
  char buf[400];  // room for the longest fixed form of a double
  auto result =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  return std::string(buf, result.ptr);
}

}  // namespace vx
