#include "vx_taluvek/variant.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "support/test_support.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::RaisedNumber;
using testing::ScopedLocale;

#define SKIP_WITHOUT(locale) \
  if (!(locale).ok()) GTEST_SKIP() << "locale not installed"

TEST(VariantTest, IntegersRoundHalfToEven) {
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(3.5), 4);
  EXPECT_EQ(CInt(2.5000001), 3);
  EXPECT_EQ(CByte(-0.5), 0);
  // Currency rounds on its exact fixed point.
  EXPECT_EQ(CInt(Currency{25000}), 2);
  EXPECT_EQ(CInt(Currency{-25001}), -3);
  EXPECT_EQ(CCur(-2.5), Currency{-25000});
}

TEST(VariantTest, IntegersFromOtherKinds) {
  EXPECT_EQ(CInt(Variant()), 0);
  EXPECT_EQ(CInt(true), -1);
  EXPECT_EQ(CLng(Date{45000.75}), 45001);
  EXPECT_EQ(CLng(" 12 "), 12);
  EXPECT_EQ(CLng("&HFFFF"), -1);
  EXPECT_EQ(CLng("&HFFFF&"), 65535);
  EXPECT_EQ(CLng("&O17"), 15);
}

TEST(VariantTest, OutOfRangeOverflows) {
  EXPECT_EQ(CInt(-32768.5), -32768);
  EXPECT_EQ(RaisedNumber([] { CInt(32767.5); }), 6);
  EXPECT_EQ(RaisedNumber([] { CInt(40000); }), 6);
  EXPECT_EQ(RaisedNumber([] { CInt(Currency{327680000}); }), 6);
  EXPECT_EQ(CLng(2147483647.0), 2147483647);
  EXPECT_EQ(RaisedNumber([] { CLng(2147483647.5); }), 6);
  EXPECT_EQ(RaisedNumber([] { CByte(-1); }), 6);
  EXPECT_EQ(RaisedNumber([] { CByte(255.5); }), 6);
  EXPECT_EQ(RaisedNumber([] { CLng(std::nan("")); }), 6);
  EXPECT_EQ(RaisedNumber([] { CSng(1e39); }), 6);
  EXPECT_EQ(RaisedNumber([] { CCur(1e15); }), 6);
  EXPECT_EQ(RaisedNumber([] { CDbl("1e400"); }), 6);
  EXPECT_EQ(CDbl("-1e-400"), 0);
  EXPECT_EQ(RaisedNumber([] { CLng("&H100000000"); }), 6);
  EXPECT_EQ(RaisedNumber([] { CDate(3e6); }), 6);
  EXPECT_EQ(RaisedNumber([] { SplitDate(Date{-7e5}); }), 6);
}

TEST(VariantTest, NullMissingAndObjectsDoNotConvert) {
  const Variant null = Variant::Null();
  for (auto convert :
       {+[](const Variant& v) { CStr(v); }, +[](const Variant& v) { CInt(v); },
        +[](const Variant& v) { CLng(v); }, +[](const Variant& v) { CByte(v); },
        +[](const Variant& v) { CSng(v); }, +[](const Variant& v) { CDbl(v); },
        +[](const Variant& v) { CCur(v); }, +[](const Variant& v) { CBool(v); },
        +[](const Variant& v) { CDate(v); },
        +[](const Variant& v) { CByteArray(v); }}) {
    EXPECT_EQ(RaisedNumber([&] { convert(null); }), 94);
    EXPECT_EQ(RaisedNumber([&] { convert(Variant::Missing()); }), 13);
    EXPECT_EQ(RaisedNumber([&] { convert(Variant(ObjectRef())); }), 13);
  }
  EXPECT_EQ(RaisedNumber([] { CDbl(ByteArray{1, 0}); }), 13);
  EXPECT_EQ(RaisedNumber([] { CByteArray(5); }), 13);
}

TEST(VariantTest, TextsThatAreNoNumberMismatch) {
  ScopedLocale c("C");
  for (const char* text : {"", "   ", "abc", "True", "1x", "1 2", "--1", "1e",
                           "1e+", ".", "&H", "&HG", "&H1 x", ",5", "5,"}) {
    EXPECT_EQ(RaisedNumber([&] { CDbl(text); }), 13) << text;
    EXPECT_FALSE(IsNumeric(text)) << text;
  }
  EXPECT_EQ(RaisedNumber([] { CInt("zwei"); }), 13);
  EXPECT_EQ(RaisedNumber([] { CBool("ja"); }), 13);
  EXPECT_EQ(RaisedNumber([] { CCur("1,2,"); }), 13);
}

TEST(VariantTest, TextsReadAsNumbers) {
  ScopedLocale c("C");
  EXPECT_EQ(CDbl(" +1.5E2 "), 150);
  EXPECT_EQ(CDbl("1d3"), 1000);
  EXPECT_EQ(CDbl("&h1f"), 31);
  EXPECT_EQ(CDbl("&H8000"), -32768);
  EXPECT_EQ(CDbl("&HFFFFFFFF"), -1);
  EXPECT_FLOAT_EQ(CSng("0.1"), 0.1f);
  // Currency texts are read exactly, over the whole range.
  EXPECT_EQ(CCur("12.34565"), Currency{123456});
  EXPECT_EQ(CCur("0.00015"), Currency{2});
  EXPECT_EQ(CCur("922337203685477.5807"), Currency{INT64_MAX});
  EXPECT_EQ(CCur("-922337203685477.5808"), Currency{INT64_MIN});
  EXPECT_EQ(CCur("&HFFFF"), Currency{-10000});
  EXPECT_EQ(RaisedNumber([] { CCur("922337203685477.5808"); }), 6);
  EXPECT_EQ(RaisedNumber([] { CCur("1e15"); }), 6);
  EXPECT_TRUE(IsNumeric(Variant()));
  EXPECT_FALSE(IsNumeric(Variant::Null()));
  EXPECT_FALSE(IsNumeric(Date{5}));
  EXPECT_FALSE(IsNumeric("1e400"));
}

TEST(VariantTest, NegativeNumbersInParenthesesOrWithTrailingMinus) {
  ScopedLocale c("C");
  for (const char* text : {"(12)", "12-", " ( 12 ) ", "(12.0)", "12.-",
                           "(1,2)", "1.2e1-"}) {
    EXPECT_EQ(CDbl(text), -12) << text;
    EXPECT_EQ(CLng(text), -12) << text;
    EXPECT_TRUE(IsNumeric(text)) << text;
  }
  EXPECT_EQ(CCur("(0.5)"), Currency{-5000});
  EXPECT_EQ(CInt("2.5-"), -2);  // half to even, as with a leading minus
  // One sign only, and nothing between the number and its minus.
  for (const char* text : {"(-12)", "-12-", "(12)-", "(12-)", "12--", "()",
                           "(", "12)", "(12", "12 -", "-", "(&H1F)", "&H1F-",
                           "1E-", "((12))"}) {
    EXPECT_EQ(RaisedNumber([&] { CDbl(text); }), 13) << text;
    EXPECT_FALSE(IsNumeric(text)) << text;
  }
  ScopedLocale de("de_DE.UTF-8");
  SKIP_WITHOUT(de);
  EXPECT_EQ(CDbl("(1.234,5)"), -1234.5);
  EXPECT_EQ(CDbl("1.234,5-"), -1234.5);
}

TEST(VariantTest, RegionalSeparatorsInTexts) {
  {
    ScopedLocale de("de_DE.UTF-8");
    SKIP_WITHOUT(de);
    EXPECT_EQ(CDbl("1.234,5"), 1234.5);
    EXPECT_EQ(CDbl("1.5"), 15);  // "." groups digits here
    EXPECT_EQ(CDbl("-0,25"), -0.25);
    EXPECT_EQ(RaisedNumber([] { CDbl("1,234.5"); }), 13);
    EXPECT_EQ(RaisedNumber([] { CDbl("1..5"); }), 13);
    EXPECT_EQ(CStr(1234.5), "1234,5");
    EXPECT_EQ(CStr(1.5e-5), "1,5E-05");
    EXPECT_EQ(CStr(Currency{-12345}), "-1,2345");
    EXPECT_EQ(CStr(CDbl(CStr(0.1))), "0,1");
    EXPECT_EQ(RegionalNumberFormat().decimal, ",");
    EXPECT_EQ(RegionalNumberFormat().grouping, ".");
  }
  {
    ScopedLocale us("en_US.UTF-8");
    SKIP_WITHOUT(us);
    EXPECT_EQ(CDbl("1,234.5"), 1234.5);
    EXPECT_EQ(CDbl("1,2,3"), 123);
    EXPECT_EQ(RaisedNumber([] { CDbl("1.234,5"); }), 13);
    EXPECT_EQ(CStr(1234.5), "1234.5");
  }
  ScopedLocale c("C");
  EXPECT_EQ(RegionalNumberFormat().grouping, ",");
  EXPECT_EQ(CDbl("1,000.5"), 1000.5);
}

TEST(VariantTest, NumbersAsText) {
  ScopedLocale c("C");
  EXPECT_EQ(CStr(0.1), "0.1");
  EXPECT_EQ(CStr(-0.0), "0");
  EXPECT_EQ(CStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(CStr(1e15), "1E+15");
  EXPECT_EQ(CStr(1.5e-5), "1.5E-05");
  EXPECT_EQ(CStr(1.0f / 3), "0.3333333");
  EXPECT_EQ(CStr(16777216.0f), "1.677722E+07");
  EXPECT_EQ(CStr(Currency{5}), "0.0005");
  EXPECT_EQ(CStr(Currency{std::numeric_limits<int64_t>::min()}),
            "-922337203685477.5808");
  EXPECT_EQ(CStr(false), "False");
}

TEST(VariantTest, FormatNumberPatterns) {
  ScopedLocale c("C");
  struct Case {
    double value;
    const char* pattern;
    const char* text;
  };
  const Case cases[] = {
      {1.23456, "0.00", "1.23"},
      {-2000, "#0,000.0", "-2,000.0"},
      {1234567.891, "#,##0.00", "1,234,567.89"},
      // Rounding is half away from zero on the value's decimal digits.
      {2.5, "0", "3"},
      {1.005, "0.00", "1.01"},
      // A value that rounds to zero shows no sign.
      {-0.001, "0.00", "0.00"},
      {5, "#0#", "05"},
      {0, "#", ""},
      {5, "#.##", "5."},
      {1.25, "0.0#", "1.25"},
      {0.256, "0.0%", "25.6%"},
      {1234567, "#,##0,", "1,235"},
      {7, "\"Nr. \"0\\#", "Nr. 7#"},
      {2.5, "", "2.5"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(FormatNumber(k.value, k.pattern), k.text)
        << k.value << " \"" << k.pattern << "\"";
  }
  // Scaling never leaves the range of a double.
  EXPECT_EQ(FormatNumber(1e307, "0%"), "1" + std::string(309, '0') + "%");
  EXPECT_EQ(FormatNumber(-1.5e300, "0,"), "-15" + std::string(296, '0'));
  EXPECT_EQ(FormatNumber(123456, "0" + std::string(200, ',')), "0");
  for (double tiny : {5.9e-91, -5.9e-91, 4.9e-324}) {
    for (const char* pattern : {"0", "0.00", "#.##", "0%", "#,##0,", "0.0%"}) {
      std::string text = FormatNumber(tiny, pattern);
      EXPECT_EQ(text.find_first_not_of("0.%"), std::string::npos)
          << tiny << " \"" << pattern << "\" gives " << text;
    }
  }
  EXPECT_EQ(RaisedNumber([] { FormatNumber(1, "0;(0)"); }), 5);
  EXPECT_EQ(RaisedNumber([] { FormatNumber(1, "0.00E+00"); }), 5);
  EXPECT_EQ(RaisedNumber([] { FormatNumber(1, "\"open"); }), 5);
}

TEST(VariantTest, FormatNumberUsesRegionalSeparators) {
  {
    ScopedLocale de("de_DE.UTF-8");
    SKIP_WITHOUT(de);
    EXPECT_EQ(FormatNumber(0.1, "#.0"), ",1");
    EXPECT_EQ(FormatNumber(-2000, "#0,000.0"), "-2.000,0");
    EXPECT_EQ(FormatNumber(2.5, ""), "2,5");
  }
  ScopedLocale us("en_US.UTF-8");
  SKIP_WITHOUT(us);
  EXPECT_EQ(FormatNumber(0.1, "#.0"), ".1");
  EXPECT_EQ(FormatNumber(-2000, "#0,000.0"), "-2,000.0");
}

TEST(VariantTest, ValReadsTheNeutralNumberAtTheStart) {
  ScopedLocale de("de_DE.UTF-8");  // Val ignores the region
  EXPECT_EQ(Val(" 1 2 3abc"), 123);
  EXPECT_EQ(Val("\t-1.5e2\n"), -150);
  EXPECT_EQ(Val("1,5"), 1);
  EXPECT_EQ(Val("2D1"), 20);
  EXPECT_EQ(Val("&HFFFF"), -1);
  EXPECT_EQ(Val("abc"), 0);
  EXPECT_EQ(Val("&Hxyz"), 0);
  EXPECT_EQ(Val("1e-400"), 0);
  EXPECT_EQ(RaisedNumber([] { Val("1e400"); }), 6);
}

TEST(VariantTest, Booleans) {
  EXPECT_TRUE(CBool(" true "));
  EXPECT_TRUE(CBool("0.5"));
  EXPECT_FALSE(CBool(Variant()));
  EXPECT_EQ(CDbl(true), -1);
  EXPECT_EQ(CCur(true), Currency{-10000});
}

TEST(VariantTest, DatesFromParts) {
  EXPECT_EQ(DateFromParts(1900, 1, 1).serial, 2);
  EXPECT_EQ(DateFromParts(2024, 3, 5, 12).serial, 45356.5);
  EXPECT_EQ(DateFromParts(1899, 12, 29, 6).serial, -1.25);
  // Out-of-range parts carry over.
  EXPECT_EQ(DateFromParts(2024, 13, 1), DateFromParts(2025, 1, 1));
  EXPECT_EQ(DateFromParts(2024, 1, 1, 0, 0, -1),
            DateFromParts(2023, 12, 31, 23, 59, 59));
  EXPECT_EQ(DateFromParts(9999, 12, 31).serial, 2958465);
  EXPECT_EQ(RaisedNumber([] { DateFromParts(99, 12, 31); }), 5);
  EXPECT_EQ(RaisedNumber([] { DateFromParts(10000, 1, 1); }), 5);
}

TEST(VariantTest, DatesRoundTripThroughTheirParts) {
  const int cases[][6] = {{2024, 2, 29, 23, 59, 59},
                          {1899, 12, 29, 18, 0, 0},
                          {100, 1, 1, 12, 0, 0}};
  for (const auto& c : cases) {
    Date d = DateFromParts(c[0], c[1], c[2], c[3], c[4], c[5]);
    DateParts p = SplitDate(d);
    EXPECT_EQ((std::array{p.year, p.month, p.day, p.hour, p.minute, p.second}),
              (std::array{c[0], c[1], c[2], c[3], c[4], c[5]}))
        << d.serial;
    EXPECT_EQ(CDate(FormatDateTime(d)), d) << d.serial;
  }
}

TEST(VariantTest, EveryStoredDateReadsBackAsItself) {
  // Steps of a prime number of seconds meet every day, month end and time
  // of day across the calendar's range.
  for (int64_t second = -657000LL * 86400; second < 2958000LL * 86400;
       second += 86400 * 37 + 7919) {
    const int64_t day = second >= 0 ? second / 86400 : -(-second / 86400);
    const int64_t rest = second >= 0 ? second % 86400 : -second % 86400;
    const Date d = DateFromParts(1899, 12, 30 + static_cast<int>(day),
                                 static_cast<int>(rest / 3600),
                                 static_cast<int>(rest / 60 % 60),
                                 static_cast<int>(rest % 60));
    ASSERT_EQ(CDate(FormatDateTime(d)), d) << FormatDateTime(d);
  }
}

TEST(VariantTest, NegativeDatesAndRoundingToTheSecond) {
  EXPECT_EQ(FormatDateTime(Date{-1.25}), "1899-12-29 06:00:00");
  EXPECT_EQ(FormatDateTime(Date{-0.5}), "1899-12-30 12:00:00");
  // Half a second before midnight rounds into the next day, for negative
  // serials too (towards 1899-12-30).
  EXPECT_EQ(FormatDateTime(Date{1 - 0.4 / 86400}), "1899-12-31 00:00:00");
  EXPECT_EQ(FormatDateTime(Date{-1 - (1 - 0.4 / 86400)}),
            "1899-12-30 00:00:00");
  EXPECT_EQ(FormatDateTime(Date{45356.5 + 0.4 / 86400}), "2024-03-05 12:00:00");
}

TEST(VariantTest, DatesAsText) {
  EXPECT_EQ(CStr(DateFromParts(2024, 3, 5)), "2024-03-05");
  EXPECT_EQ(CStr(DateFromParts(2024, 3, 5, 14, 7, 9)), "2024-03-05 14:07:09");
  EXPECT_EQ(CStr(Date{0.5}), "12:00:00");
  EXPECT_EQ(CStr(Date{-0.75}), "18:00:00");
  EXPECT_EQ(CStr(Date{-1}), "1899-12-29");
  EXPECT_EQ(CDate(true), (Date{-1}));
}

TEST(VariantTest, DatesFromText) {
  EXPECT_EQ(CDate("2024-03-05"), DateFromParts(2024, 3, 5));
  EXPECT_EQ(CDate(" 2024-03-05 14:07 "), DateFromParts(2024, 3, 5, 14, 7));
  EXPECT_EQ(CDate("14:30"), DateFromParts(1899, 12, 30, 14, 30));
  EXPECT_EQ(CDate("0:00:01").serial, 1.0 / 86400);
  {
    ScopedLocale de("de_DE.UTF-8");
    SKIP_WITHOUT(de);
    EXPECT_EQ(CDate("5.3.2024"), DateFromParts(2024, 3, 5));
    EXPECT_EQ(CDate("05.03.24 14:07:09"), DateFromParts(2024, 3, 5, 14, 7, 9));
    EXPECT_EQ(CDate("1.1.30"), DateFromParts(1930, 1, 1));
    EXPECT_EQ(CDate("31.12.29"), DateFromParts(2029, 12, 31));
    EXPECT_EQ(RaisedNumber([] { CDate("3/31/2024"); }), 13);
  }
  {
    ScopedLocale us("en_US.UTF-8");
    SKIP_WITHOUT(us);
    EXPECT_EQ(CDate("3/5/2024"), DateFromParts(2024, 3, 5));
    EXPECT_EQ(CDate("3/31/2024"), DateFromParts(2024, 3, 31));
    EXPECT_EQ(RaisedNumber([] { CDate("31.3.2024"); }), 13);
  }
}

TEST(VariantTest, TextsThatAreNoDateMismatch) {
  for (const char* text :
       {"", "  ", "2024-02-30", "2023-02-29", "2024-13-01", "2024-00-10",
        "2024-01-01 24:00", "2024-01-01 12:60", "12:00:60", "2024-01-01T12:00",
        "2024-01", "2024/01-05", "1.2.3.4", "0099-01-01", "12:", ":30", "45000",
        "2024-01-01 12:00 x", "heute",
        // The stored form with one piece out of range or out of place.
        "2024-02-30 00:00:00", "2024-01-01 24:00:00", "2024-01-01 12:60:00",
        "2024-01-01 12:00:60", "2024-01-01x12:00:00", "0099-01-01 00:00:00",
        "2024-1-011 2:00:00", "20a4-01-01"}) {
    EXPECT_EQ(RaisedNumber([&] { CDate(text); }), 13) << text;
    EXPECT_FALSE(IsDate(text)) << text;
  }
  EXPECT_TRUE(IsDate("2024-02-29"));
  EXPECT_FALSE(IsDate(1.0));
  EXPECT_FALSE(IsDate(Variant::Null()));
}

TEST(VariantTest, NowIsTheLocalTimeToTheSecond) {
  Date now = Now();
  DateParts p = SplitDate(now);
  EXPECT_GE(p.year, 2024);
  EXPECT_EQ(DateFromParts(p.year, p.month, p.day, p.hour, p.minute, p.second),
            now);
}

TEST(VariantTest, ByteArraysAreUtf16CodeUnits) {
  // U+1F600 becomes a surrogate pair.
  const std::string text = "Aß€😀";
  const ByteArray bytes = {0x41, 0, 0xDF, 0, 0xAC, 0x20, 0x3D, 0xD8, 0, 0xDE};
  EXPECT_EQ(TextToUtf16Bytes(text), bytes);
  EXPECT_EQ(CByteArray(text), bytes);
  EXPECT_EQ(Utf16BytesToText(bytes), text);
  EXPECT_EQ(CStr(bytes), text);
  EXPECT_EQ(CByteArray(Variant()), ByteArray());
  // An odd last byte is a code unit with high byte 0.
  EXPECT_EQ(CStr(ByteArray{0x41, 0, 0x42}), "AB");
  // Unpaired surrogates, high or low, become U+FFFD.
  EXPECT_EQ(Utf16BytesToText({0x3D, 0xD8, 0x41, 0}), "\uFFFDA");
  EXPECT_EQ(Utf16BytesToText({0x00, 0xDE}), "\uFFFD");
  // Invalid UTF-8 is sent as U+FFFD.
  EXPECT_EQ(TextToUtf16Bytes("\xFF"), (ByteArray{0xFD, 0xFF}));
}

}  // namespace
}  // namespace vx
