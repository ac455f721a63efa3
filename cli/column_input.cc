#include "cli/column_input.h"

#include "engine/field_types.h"
#include "platform/date.h"
#include "platform/number_format.h"
#include "platform/text.h"

namespace vx::cli {

namespace {

bool IsNumberType(int16_t type) {
  switch (type) {
    case dao::kTypeByte:
    case dao::kTypeInteger:
    case dao::kTypeLong:
    case dao::kTypeCurrency:
    case dao::kTypeSingle:
    case dao::kTypeDouble:
      return true;
    default:
      return false;
  }
}

ColumnInput Refused(std::string why) { return {std::nullopt, std::move(why)}; }

ColumnInput YesNo(const std::string& text) {
  const std::string word = UCase(Trim(text));
  for (const char* yes : {"WAHR", "JA", "TRUE"}) {
    if (word == yes) return {Variant(true), ""};
  }
  for (const char* no : {"FALSCH", "NEIN", "FALSE"}) {
    if (word == no) return {Variant(false), ""};
  }
  return Refused("'" + text +
                 "' ist kein Ja/Nein-Wert (Wahr, Falsch, ja, nein, True, "
                 "False, --wahr, --falsch)");
}

ColumnInput Number(const std::string& text, int16_t type) {
  const NumberFormat region = RegionalNumberFormat();
  for (char c : text) {
    if ((c == '.' || c == ',') && region.decimal != std::string(1, c)) {
      return Refused("'" + text +
                     "' ist keine eindeutige Zahl: Dezimaltrennzeichen ist "
                     "in dieser Region '" +
                     region.decimal +
                     "', Tausendertrennzeichen sind nicht erlaubt (oder "
                     "--zahl=N mit Punkt)");
    }
  }
  if (ParseRegionalNumber(text).status != NumberText::kNumber) {
    return Refused("'" + text + "' ist keine Zahl");
  }
  Variant value = type == dao::kTypeCurrency ? Variant(CCur(Variant(text)))
                                             : Variant(CDbl(Variant(text)));
  std::string message;
  if (!region.decimal.empty() && text.find(region.decimal) != std::string::npos) {
    message = "'" + text + "' gelesen als " +
              (type == dao::kTypeCurrency
                   ? CurrencyToText(*value.get_if<Currency>(), ".")
                   : NumberToText(*value.get_if<double>(), 15, "."));
  }
  return {std::move(value), std::move(message)};
}

ColumnInput DateValue(const std::string& text) {
  std::optional<Date> date = ParseDateText(text);
  if (!date) return {Variant(text), ""};  // the save leaves the column alone
  const std::string trimmed = Trim(text);
  // Written year first, a date means the same in every region.
  const bool year_first = trimmed.size() >= 5 && trimmed[4] == '-';
  return {Variant(*date),
          year_first ? "" : "'" + text + "' gelesen als " + FormatDateTime(*date)};
}

}  // namespace

ColumnInput ColumnInputOf(const Variant& given, int16_t type) {
  const std::string* text = given.get_if<std::string>();
  if (text == nullptr) return {given, ""};
  if (type == dao::kTypeBoolean) return YesNo(*text);
  if (IsNumberType(type)) return Number(*text, type);
  if (type == dao::kTypeDate) return DateValue(*text);
  return {given, ""};
}

}  // namespace vx::cli
