#include "data/field_values.h"

#include <cfloat>
#include <cmath>

#include "config/developer_mode.h"
#include "config/error_dialog.h"
#include "data/connections.h"
#include "platform/invariant_text.h"
#include "platform/number_format.h"
#include "platform/text.h"
#include "translate/trt.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/host.h"

namespace vx {

namespace {

constexpr int16_t kScientificDigits = 8;

// DAO type codes whose empty value is the empty text.
bool IsTextOrBinaryType(int32_t type_code) {
  switch (type_code) {
    case 9: case 10: case 11: case 12: case 18:
      return true;
    default:
      return false;
  }
}

// The longest prefix of `text` made of characters a number may hold.
std::string AcceptedPrefix(const std::string& text, const std::string& grouping) {
  static const std::string kNumberCharacters = "1234567890,. -+";
  size_t i = 0;
  size_t end = 0;
  while (i < text.size()) {
    size_t start = i;
    char32_t cp = NextCodePoint(text, &i);
    std::string ch = text.substr(start, i - start);
    bool accepted = (cp < 0x80 && kNumberCharacters.find(static_cast<char>(cp)) !=
                                      std::string::npos) ||
                    ch == grouping;
    if (!accepted) break;
    end = i;
  }
  return text.substr(0, end);
}

std::string RemoveAll(const std::string& text, const std::string& what) {
  return Replace(text, what, "");
}

// Scientific notation as the suite accepts it: an "E" inside the text with
// number characters on both sides and no blank before it.
bool IsScientific(const std::string& text) {
  size_t length = Len(text);
  if (length < 3) return false;
  size_t p = InStr(UCase(text), "E");
  if (p <= 1 || p >= length) return false;
  return IsNumberText(Left(text, p - 1)) && IsNumberText(Mid(text, p + 1)) &&
         Mid(text, p - 1, 1) != " ";
}

// The number at the start of `text` as Val reads it; beyond the range of a
// double the largest double of its sign, since ToVal never fails.
double ValWithinRange(const std::string& text) {
  NumberText number = ReadNeutralNumber(text);
  if (number.status == NumberText::kOverflow) {
    return std::copysign(DBL_MAX, number.value);
  }
  return number.value;
}

}  // namespace

Variant FieldValue(dao::Field* field, int32_t& type_code) {
  if (field == nullptr) Raise(3265);
  Variant value;
  bool empty = true;
  ResumeNext([&] {
    value = field->Value();
    empty = value.IsNull() || CStr(value).empty();
  });
  Err().Clear();
  try {
    // The type is learned even for a value that is not empty, so that a
    // caller's loop asks the engine only once whatever its first row holds.
    if (type_code == 0) type_code = field->Type();
    if (!empty) return value;
    if (type_code == 1) return Variant(false);
    if (IsTextOrBinaryType(type_code)) return Variant(std::string());
    return Variant(int16_t{0});
  } catch (const Error& e) {
    if (bIstEntwicklung()) {
      std::string text;
      ResumeNext([&] { text = CStr(value); });
      CurrentHost().MsgBox(
          "Feldtest - Feld:" + field->Name() + "   Err=" +
              std::to_string(e.number()) + "    ToVal(fld.Value)=" +
              CStr(Variant(ToVal(text, ""))) + "    cStr(fld.Value)=" + text,
          kSystemModal, "bIstEntwicklung");
    }
    Err().Clear();
    return Variant();
  }
}

double ToVal(const std::string& text, const std::string& stop) {
  const NumberFormat regional = RegionalNumberFormat();
  const std::string& d = regional.decimal;
  const std::string& g = regional.grouping;
  if (text.empty()) return 0;

  std::string cleaned;
  if (IsScientific(text)) {
    std::string t = text;
    if (InStr(t, ".") == 0) t = Replace(t, ",", ".");
    Variant rounded(ValWithinRange(t));
    bool correction = false;
    // Positional notation, so that a small or large result is not cut at
    // its exponent by the accepted-character rule below.
    std::string written = PlainNumberText(CDbl(RoundVal(rounded, kScientificDigits, correction)));
    cleaned = AcceptedPrefix(written, g);
  } else {
    std::string t = text;
    if (!stop.empty()) {
      size_t at = InStr(t, stop);
      if (at > 0) t = Left(t, at - 1);
    }
    cleaned = AcceptedPrefix(t, g);
  }

  size_t first_d = InStr(cleaned, d);
  size_t first_g = InStr(cleaned, g);
  if (first_d > 0 && first_g > 0) {
    if (first_g < first_d) {
      cleaned = RemoveAll(cleaned, g);
    } else {
      if (bIstEntwicklung()) {
        CurrentHost().MsgBox("Warum Englisch Formatiert:  " + cleaned,
                             kSystemModal, "ToVal - bistEntwicklung");
      }
      cleaned = RemoveAll(cleaned, d);
    }
  }
  size_t first_comma = InStr(cleaned, ",");
  if (g == "," && first_comma > 0 && InStr(cleaned, ".") > 0 &&
      Len(cleaned) - first_comma >= 3) {
    cleaned = RemoveAll(cleaned, ",");
  } else if (g == " ") {
    cleaned = RemoveAll(cleaned, " ");
  } else {
    cleaned = Replace(cleaned, ",", ".");
  }
  size_t first_point = InStr(cleaned, ".");
  if (first_point > 0 && InStr(cleaned, ".", first_point + 1) > 0) {
    cleaned = Left(cleaned, first_point - 1) + Mid(cleaned, first_point + 1);
  }
  if (d == "," && InStr(cleaned, ",") > 0) cleaned = Replace(cleaned, ",", ".");
  return ValWithinRange(cleaned);
}

Variant RoundVal(Variant& value, int16_t digits, bool& /*correction*/) {
  if (digits < 0) return value;
  try {
    double given = CDbl(value);
    double scale = std::pow(10.0, digits);
    // A number this large has no decimals left to round.
    if (!std::isfinite(std::fabs(given) * scale)) return Variant(given);
    double rounded = std::floor(std::fabs(given) * scale + 0.501) / scale;
    std::string pattern =
        digits == 0 ? std::string() : "0." + std::string(digits, '0');
    double result = ToVal(FormatNumber(rounded, pattern), "");
    return Variant(given < 0 ? -result : result);
  } catch (const Error& e) {
    Err().Set(e);
    if (IsDesign()) {
      ShowErrorMsg(Err(), TRT("beim Runden der Zahl"), "", false, 0);
    }
    std::string text;
    ResumeNext([&] { text = CStr(value); });
    if (text.empty()) value = Variant(int16_t{0});
    Err().Clear();
    return Variant();
  }
}

int32_t CountOccurrences(const Variant& text, const std::string& pattern) {
  if (pattern.empty() || text.IsNull()) return 0;
  const std::string s = CStr(text);
  int32_t count = 0;
  for (size_t at = s.find(pattern); at != std::string::npos;
       at = s.find(pattern, at + pattern.size())) {
    ++count;
  }
  return count;
}

bool IsNumberText(const std::string& text) {
  static const std::string kAllowed = " +-*/,.()0123456789";
  if (text.empty()) return false;
  return text.find_first_not_of(kAllowed) == std::string::npos;
}

}  // namespace vx
