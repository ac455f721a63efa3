#include "platform/date_format.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vx {
namespace {

TEST(DateFormat, WritesThePartsThePatternNames) {
  vx::testing::ScopedLocale c_locale("C");
  const Date d = DateFromParts(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(FormatDate(d, "yyyy"), "2024");
  EXPECT_EQ(FormatDate(d, "yy-m-d"), "24-3-5");
  EXPECT_EQ(FormatDate(d, "dd.mm.yyyy hh:nn:ss"), "05.03.2024 14:07:09");
  EXPECT_EQ(FormatDate(d, "h:mm"), "14:07");  // minutes after an hour
  EXPECT_EQ(FormatDate(d, "mm:ss"), "07:09");  // and before a second
  EXPECT_EQ(FormatDate(d, "ddd dddd mmm mmmm"), "Tue Tuesday Mar March");
  EXPECT_EQ(FormatDate(d, "q w ww y"), "1 3 10 65");
  EXPECT_EQ(FormatDate(d, "h AM/PM a/p"), "2 PM p");
  EXPECT_EQ(FormatDate(d, "\"Jahr\" yyyy \\d"), "Jahr 2024 d");
  EXPECT_EQ(FormatDate(d, "mm/dd/yyyy"), "03/05/2024");
  EXPECT_EQ(FormatDate(d, "General Date"), "2024-03-05 14:07:09");
  EXPECT_EQ(FormatDate(d, "short time"), "14:07");
  EXPECT_EQ(FormatDate(d, "Long Time"), "14:07:09");
  EXPECT_EQ(FormatDate(d, "Medium Date"), "05-Mar-24");
  EXPECT_EQ(FormatDate(DateFromParts(2024, 3, 5, 0, 30), "hh AMPM"), "12 AM");
  EXPECT_EQ(FormatDate(d, ""), "");
}

}  // namespace
}  // namespace vx
