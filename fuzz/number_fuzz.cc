// Numbers and dates read from texts and written into texts, in the C and
// the German conventions: nothing crashes, the conversions fail only with
// the run time's errors, and what the run time writes reads back as the
// same value (numbers to their 15 significant digits, currencies exactly,
// dates to the second).

#include <fuzzer/FuzzedDataProvider.h>
#include <locale.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/field_values.h"
#include "platform/date.h"
#include "platform/number_format.h"
#include "vx_taluvek/error.h"
#include "vx_taluvek/variant.h"

namespace {

using vx::Error;
using vx::NumberText;
using vx::Variant;

[[noreturn]] void Fail() { std::abort(); }

// Runs `step`; a raised error must be one of `allowed` (0 ends the list).
template <typename Step>
bool RaisesOnly(Step step, std::initializer_list<int32_t> allowed) {
  try {
    step();
    return true;
  } catch (const Error& e) {
    for (int32_t number : allowed) {
      if (e.number() == number) return false;
    }
    Fail();
  }
}

void CheckNumberText(const std::string& text) {
  NumberText number = vx::ParseRegionalNumber(text);
  if (vx::IsNumeric(Variant(text)) != (number.status == NumberText::kNumber)) {
    Fail();
  }
  RaisesOnly([&] { vx::CDbl(Variant(text)); }, {6, 13});
  RaisesOnly([&] { vx::CLng(Variant(text)); }, {6, 13});
  RaisesOnly([&] { vx::CInt(Variant(text)); }, {6, 13});
  RaisesOnly([&] { vx::Val(text); }, {6});
  // ToVal never fails, whatever the text.
  if (!std::isfinite(vx::ToVal(text, ""))) Fail();
  vx::ToVal(text, text.substr(0, 1));

  if (number.status == NumberText::kNumber) {
    double value = number.value;
    if (!std::isfinite(value)) Fail();
    // Beyond these the 15 digits leave the range of a double.
    if (std::fabs(value) < 1e308 && (value == 0 || std::fabs(value) >= DBL_MIN)) {
      std::string written = vx::CStr(Variant(value));
      NumberText again = vx::ParseRegionalNumber(written);
      if (again.status != NumberText::kNumber ||
          vx::CStr(Variant(again.value)) != written) {
        Fail();
      }
    }
  }
  try {
    if (std::optional<vx::Currency> currency = vx::ParseRegionalCurrency(text)) {
      if (vx::ParseRegionalCurrency(vx::CurrencyToText(*currency)) != currency) {
        Fail();
      }
    }
  } catch (const Error& e) {
    if (e.number() != 6) Fail();
  }

  if (std::optional<vx::Date> date = vx::ParseDateText(text)) {
    std::string written = vx::FormatDateTime(*date);
    std::optional<vx::Date> again = vx::ParseDateText(written);
    if (!again || vx::FormatDateTime(*again) != written) Fail();
  }
  RaisesOnly([&] { vx::CDate(Variant(text)); }, {6, 13});
}

void CheckValue(double value, const std::string& pattern) {
  std::string text;
  // (An empty pattern gives CStr's form, which may have an exponent.)
  const bool placeholders_only =
      !pattern.empty() &&
      pattern.find_first_not_of("0#.,%") == std::string::npos;
  if (RaisesOnly([&] { text = vx::FormatNumber(value, pattern); }, {5}) &&
      placeholders_only && std::isfinite(value) &&
      text.find_first_not_of("0123456789.,%- ") != std::string::npos) {
    Fail();  // such as "nan" or "inf" for a finite value
  }
  // Up to where rounding to 15 digits stays inside the range of a double
  // (the largest doubles print as a number that reads back as overflow, as
  // in the run time).
  if (std::isfinite(value) && std::fabs(value) < 1e308) {
    // A pattern of placeholders alone gives a number that reads back.
    std::string fixed = vx::FormatNumber(value, "0.00");
    NumberText again = vx::ParseRegionalNumber(fixed);
    if (again.status != NumberText::kNumber) Fail();
    if (std::fabs(again.value - value) > 0.0051 + std::fabs(value) * 1e-14) {
      Fail();
    }
  }
  if (RaisesOnly([&] { vx::CDate(Variant(value)); }, {6})) {
    vx::Date date = vx::CDate(Variant(value));
    std::string written = vx::FormatDateTime(date);
    std::optional<vx::Date> again = vx::ParseDateText(written);
    if (!again || vx::FormatDateTime(*again) != written) Fail();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const locale_t kLocales[] = {
      newlocale(LC_ALL_MASK, "C", nullptr),
      newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr),
      newlocale(LC_ALL_MASK, "en_US.UTF-8", nullptr),
  };
  FuzzedDataProvider input(data, size);
  locale_t locale = kLocales[input.ConsumeIntegralInRange<size_t>(0, 2)];
  uselocale(locale ? locale : kLocales[0]);

  double value = 0;
  std::string bytes = input.ConsumeBytesAsString(sizeof value);
  std::memcpy(&value, bytes.data(), bytes.size());
  std::string pattern = input.ConsumeRandomLengthString(64);
  std::string text = input.ConsumeRemainingBytesAsString();

  CheckNumberText(text);
  CheckValue(value, pattern);
  uselocale(LC_GLOBAL_LOCALE);
  return 0;
}
