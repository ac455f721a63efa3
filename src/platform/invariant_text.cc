#include "platform/invariant_text.h"

#include <charconv>
#include <string>

#include "vx_taluvek/error.h"

namespace vx {

namespace {

// printf's %.<digits>G with the point as decimal separator and without the
// zero before it, as the run time writes numbers for Str.
std::string GeneralNumber(double value, int digits) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value,
                              std::chars_format::general, digits);
  std::string text(buf, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
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
      return WithSign(GeneralNumber(*v.get_if<float>(), 7));
    case VarType::kDouble:
      return WithSign(GeneralNumber(*v.get_if<double>(), 15));
    case VarType::kCurrency: {
      // Exact: the four decimals of the scaled value, trailing zeros cut.
      int64_t scaled = v.get_if<Currency>()->scaled;
      bool negative = scaled < 0;
      uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled)
                                    : static_cast<uint64_t>(scaled);
      std::string text = std::to_string(magnitude / 10000);
      std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
      while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
      if (!fraction.empty()) {
        if (text == "0") text.clear();
        text += "." + fraction;
      }
      return negative ? "-" + text : " " + text;
    }
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
