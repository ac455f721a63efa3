#include "cli/value_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "support/test_support.h"

namespace vx::cli {
namespace {

TEST(ValueTextTest, PlainTextIsTheSameInEveryRegion) {
  testing::ScopedLocale german("de_DE.UTF-8");
  if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  EXPECT_EQ(PlainText(Variant(12.5)), "12.5");
  EXPECT_EQ(PlainText(Variant(0.1f)), "0.1");
  EXPECT_EQ(PlainText(Variant(Currency{-125000})), "-12.5");
  EXPECT_EQ(PlainText(Variant(int32_t{-7})), "-7");
  EXPECT_EQ(PlainText(Variant(int16_t{300})), "300");
  EXPECT_EQ(PlainText(Variant(uint8_t{255})), "255");
}

TEST(ValueTextTest, PlainTextOfEachKind) {
  EXPECT_EQ(PlainText(Variant()), "");
  EXPECT_EQ(PlainText(Variant::Null()), "Null");
  EXPECT_EQ(PlainText(Variant(true)), "True");
  EXPECT_EQ(PlainText(Variant(false)), "False");
  // A date shows its time even at midnight, so that all dates look alike.
  EXPECT_EQ(PlainText(Variant(DateFromParts(2024, 3, 5))),
            "2024-03-05 00:00:00");
  EXPECT_EQ(PlainText(Variant(DateFromParts(2024, 3, 5, 14, 7, 9))),
            "2024-03-05 14:07:09");
  EXPECT_EQ(PlainText(Variant(ByteArray{97, 0, 0xFC, 0})), "aü");
  EXPECT_EQ(PlainText(Variant("Grüße")), "Grüße");
  // The exact double, not the run time's fifteen digits.
  EXPECT_EQ(PlainText(Variant(0.1 + 0.2)), "0.30000000000000004");
}

TEST(ValueTextTest, PlainTextKeepsAValueOnItsLine) {
  EXPECT_EQ(PlainText(Variant("a\nb\r\nc")), "a\\nb\\r\\nc");
  EXPECT_EQ(PlainText(Variant("Tab\tbleibt")), "Tab\tbleibt");
  EXPECT_EQ(PlainText(Variant("\x1b[31mrot")), "\\x1B[31mrot");
  EXPECT_EQ(PlainText(Variant(std::string("a\0b", 3))), "a\\x00b");
  EXPECT_EQ(PlainText(Variant("\x7f")), "\\x7F");
  EXPECT_EQ(PlainText(Variant("T:\\PROJEKT\\")), "T:\\PROJEKT\\");
  EXPECT_EQ(PlainText(Variant("a\xff"
                              "b")),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(ValueTextTest, JsonValueOfEachKind) {
  EXPECT_EQ(JsonValue(Variant()), "null");
  EXPECT_EQ(JsonValue(Variant::Null()), "null");
  EXPECT_EQ(JsonValue(Variant::Missing()), "null");
  EXPECT_EQ(JsonValue(Variant(true)), "true");
  EXPECT_EQ(JsonValue(Variant(false)), "false");
  EXPECT_EQ(JsonValue(Variant(int32_t{4711})), "4711");
  EXPECT_EQ(JsonValue(Variant(-0.5)), "-0.5");
  EXPECT_EQ(JsonValue(Variant(1e300)), "1e+300");
  EXPECT_EQ(JsonValue(Variant(Currency{125000})), "12.5");
  EXPECT_EQ(JsonValue(Variant(std::numeric_limits<double>::infinity())),
            "null");
  EXPECT_EQ(JsonValue(Variant(std::numeric_limits<float>::quiet_NaN())),
            "null");
  EXPECT_EQ(JsonValue(Variant(DateFromParts(2024, 3, 5, 14, 7, 9))),
            "\"2024-03-05 14:07:09\"");
  EXPECT_EQ(JsonValue(Variant(TextToUtf16Bytes("ab"))), "\"ab\"");
  EXPECT_EQ(JsonValue(Variant("4711")), "\"4711\"");
}

TEST(ValueTextTest, JsonStringEscapesWhatJsonDemands) {
  EXPECT_EQ(JsonString("O'Neil"), "\"O'Neil\"");
  EXPECT_EQ(JsonString("sagt \"ja\""), "\"sagt \\\"ja\\\"\"");
  EXPECT_EQ(JsonString("T:\\P"), "\"T:\\\\P\"");
  EXPECT_EQ(JsonString("a\nb\rc\td"), "\"a\\nb\\rc\\td\"");
  EXPECT_EQ(JsonString(std::string("\x01\x1f", 2)), "\"\\u0001\\u001F\"");
  EXPECT_EQ(JsonString(std::string("\0", 1)), "\"\\u0000\"");
  EXPECT_EQ(JsonString("Straße €"), "\"Straße €\"");
  EXPECT_EQ(JsonString("\xc3"), "\"\xEF\xBF\xBD\"");
}

}  // namespace
}  // namespace vx::cli
