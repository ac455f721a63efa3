#include "platform/invariant_text.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vx {
namespace {

using testing::RaisedNumber;
using testing::ScopedLocale;

TEST(InvariantTextTest, StrIgnoresTheRegion) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 not installed";
  EXPECT_EQ(Str(Variant(1.5)), " 1.5");
  EXPECT_EQ(Str(Variant(-2.25)), "-2.25");
  EXPECT_EQ(Str(Variant(0.5)), " .5");
  EXPECT_EQ(Str(Variant(int32_t{-7})), "-7");
  EXPECT_EQ(Str(Variant(1e20)), " 1E+20");
  EXPECT_EQ(Str(Variant(Currency{12500})), " 1.25");
  EXPECT_EQ(Str(Variant(true)), "True");
  EXPECT_EQ(Str(Variant()), " 0");
  EXPECT_EQ(RaisedNumber([] { Str(Variant::Null()); }), 94);
}

TEST(InvariantTextTest, PlainNumbersHaveNoExponent) {
  EXPECT_EQ(PlainNumberText(1500), "1500");
  EXPECT_EQ(PlainNumberText(0.00001), "0.00001");
  EXPECT_EQ(PlainNumberText(2.5e20), "250000000000000000000");
  EXPECT_EQ(PlainNumberText(-0.125), "-0.125");
}

}  // namespace
}  // namespace vx
