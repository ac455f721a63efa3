// FieldValue on real fields, and the suite's number reading in both
// regional conventions.

#include <gtest/gtest.h>

#include <cfloat>

#include "data/connections.h"
#include "data/field_values.h"
#include "engine/schema.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::FakeHost;
using testing::Installation;
using testing::ScopedLocale;
using testing::WriteFile;

class FieldValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string path = inst.File("F.VX3DB");
    dao::CreateDatabase(path,
                        "CREATE TABLE F (Id COUNTER, Txt TEXT(10), Memo MEMO, "
                        "Ja YESNO, Zahl LONG, Betrag DOUBLE, Datum DATETIME, "
                        "Bin LONGBINARY);",
                        kSuitePassword);
    Variant connect(kBareConnect);
    db = OpenDb(path, false, Variant(false), connect, true);
    db->Execute("INSERT INTO F (Txt) VALUES (NULL)");
    db->Execute(
        "INSERT INTO F (Txt, Memo, Ja, Zahl, Betrag, Datum) "
        "VALUES ('x', '', False, 0, 0, #3/5/2024#)");
    rs = db->OpenRecordset("SELECT * FROM F ORDER BY Id");
  }
  void TearDown() override {
    CloseRs(rs);
    CloseDb(db);
  }

  Variant Read(const char* name, int32_t type_code = 0) {
    return FieldValue(&rs->Fields()[name], type_code);
  }

  Installation inst;
  FakeHost host;
  DbHandle db;
  RsHandle rs;
};

TEST_F(FieldValueTest, NullBecomesTheEmptyValueOfTheType) {
  EXPECT_EQ(Read("Txt"), Variant(""));
  EXPECT_EQ(Read("Memo"), Variant(""));
  EXPECT_EQ(Read("Bin"), Variant(""));
  EXPECT_EQ(Read("Ja"), Variant(false));
  EXPECT_EQ(Read("Zahl"), Variant(int16_t{0}));
  EXPECT_EQ(Read("Betrag"), Variant(int16_t{0}));
  EXPECT_EQ(Read("Datum"), Variant(int16_t{0}));
}

TEST_F(FieldValueTest, ValuesComeBackInTheirOwnType) {
  rs->MoveNext();
  EXPECT_EQ(Read("Txt"), Variant("x"));
  EXPECT_EQ(Read("Memo"), Variant(""));  // empty text counts as empty
  EXPECT_EQ(Read("Ja"), Variant(false));
  EXPECT_EQ(Read("Zahl"), Variant(int32_t{0}));  // 0 is a value, not empty
  EXPECT_EQ(Read("Betrag"), Variant(0.0));
  EXPECT_EQ(Read("Datum"), Variant(DateFromParts(2024, 3, 5)));
}

TEST_F(FieldValueTest, TypeCodeIsAskedOnlyWhenUnknown) {
  int32_t type_code = 0;
  FieldValue(&rs->Fields()["Ja"], type_code);
  EXPECT_EQ(type_code, 1);
  // A known code is trusted: the text field is read as yes/no.
  EXPECT_EQ(FieldValue(&rs->Fields()["Txt"], type_code), Variant(false));
  type_code = 4;
  EXPECT_EQ(FieldValue(&rs->Fields()["Txt"], type_code), Variant(int16_t{0}));
}

TEST_F(FieldValueTest, MissingFieldRaises3265) {
  int32_t type_code = 0;
  try {
    FieldValue(nullptr, type_code);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3265);
  }
}

// ToVal in the German convention: decimal comma, grouping point.
TEST(ToValTest, GermanSeparators) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 not installed";
  FakeHost host;
  EXPECT_DOUBLE_EQ(ToVal("1.234,56", ""), 1234.56);
  EXPECT_DOUBLE_EQ(ToVal("1,234.56", ""), 1234.56);
  EXPECT_DOUBLE_EQ(ToVal("12,5", ""), 12.5);
  EXPECT_DOUBLE_EQ(ToVal("12,5 m²", ""), 12.5);
  EXPECT_DOUBLE_EQ(ToVal("abc", ""), 0);
  EXPECT_DOUBLE_EQ(ToVal("", ""), 0);
  EXPECT_DOUBLE_EQ(ToVal("1.234", ""), 1.234);
  EXPECT_DOUBLE_EQ(ToVal("1.234.567", ""), 1234.567);
  EXPECT_DOUBLE_EQ(ToVal("1,5E3", ""), 1500);
  EXPECT_DOUBLE_EQ(ToVal("2E", ""), 2);
  EXPECT_DOUBLE_EQ(ToVal("E5", ""), 0);
  EXPECT_DOUBLE_EQ(ToVal("-3,25", ""), -3.25);
  EXPECT_DOUBLE_EQ(ToVal("7,5;8", ";"), 7.5);
  // Small and large results of scientific notation keep their magnitude.
  EXPECT_DOUBLE_EQ(ToVal("1E-5", ""), 0.00001);
  EXPECT_DOUBLE_EQ(ToVal("2,5E20", ""), 2.5e20);
  EXPECT_TRUE(host.message_boxes.empty());  // developer mode is off
}

// ToVal in the English convention: decimal point, grouping comma.
TEST(ToValTest, EnglishSeparators) {
  ScopedLocale english("en_US.UTF-8");
  if (!english.ok()) GTEST_SKIP() << "en_US.UTF-8 not installed";
  EXPECT_DOUBLE_EQ(ToVal("1,234.56", ""), 1234.56);
  EXPECT_DOUBLE_EQ(ToVal("1.234,56", ""), 1234.56);
  EXPECT_DOUBLE_EQ(ToVal("12,5", ""), 12.5);
  EXPECT_DOUBLE_EQ(ToVal("1,234", ""), 1.234);
  EXPECT_DOUBLE_EQ(ToVal("12.5 kg", ""), 12.5);
}

// ToVal never fails: numbers beyond the range of a double give the
// largest double of their sign, and large results of scientific notation
// are not lost in the rounding.
TEST(ToValTest, NumbersBeyondTheRangeOfADouble) {
  for (const char* locale : {"de_DE.UTF-8", "C"}) {
    ScopedLocale scoped(locale);
    if (!scoped.ok()) continue;
    EXPECT_EQ(ToVal("1e999", ""), DBL_MAX) << locale;
    EXPECT_EQ(ToVal("-1E999", ""), -DBL_MAX) << locale;
    EXPECT_EQ(ToVal(std::string(400, '9'), ""), DBL_MAX) << locale;
    EXPECT_EQ(ToVal("1e-999", ""), 0) << locale;
    EXPECT_DOUBLE_EQ(ToVal("2E301", ""), 2e301) << locale;
    EXPECT_DOUBLE_EQ(ToVal("-1,5E307", ""), -1.5e307) << locale;
    EXPECT_FALSE(Err().IsSet());
  }
}

TEST(ToValTest, SwappedSeparatorsAreReportedInDeveloperMode) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 not installed";
  Installation inst;
  FakeHost host;
  WriteFile(inst.File("Tarvano32.lic"), "");
  testing::RunInFreshThread([] { EXPECT_DOUBLE_EQ(ToVal("1,234.56", ""), 1234.56); });
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].title, "ToVal - bistEntwicklung");
  EXPECT_EQ(host.message_boxes[0].prompt, "Warum Englisch Formatiert:  1,234.56");
}

TEST(RoundValTest, RoundsTheSuitesWay) {
  for (const char* locale : {"de_DE.UTF-8", "en_US.UTF-8"}) {
    ScopedLocale scoped(locale);
    if (!scoped.ok()) continue;
    bool correction = false;
    Variant v(2.345);
    EXPECT_DOUBLE_EQ(CDbl(RoundVal(v, 2, correction)), 2.35) << locale;
    v = Variant(-2.344);
    EXPECT_DOUBLE_EQ(CDbl(RoundVal(v, 2, correction)), -2.34) << locale;
    v = Variant(2.4995);  // 0.501 is added, not 0.5
    EXPECT_DOUBLE_EQ(CDbl(RoundVal(v, 3, correction)), 2.5) << locale;
    v = Variant(7.5);
    EXPECT_DOUBLE_EQ(CDbl(RoundVal(v, 0, correction)), 8) << locale;
    v = Variant(1.23456);
    EXPECT_EQ(RoundVal(v, -1, correction), Variant(1.23456)) << locale;
    v = Variant(-1e305);  // no decimals left to round
    EXPECT_EQ(RoundVal(v, 8, correction), Variant(-1e305)) << locale;
  }
}

TEST(RoundValTest, TextThatIsNoNumberFails) {
  bool correction = false;
  Variant v("abc");
  EXPECT_TRUE(RoundVal(v, 2, correction).IsEmpty());
  Variant empty_text("");
  RoundVal(empty_text, 2, correction);
  EXPECT_EQ(empty_text, Variant(int16_t{0}));
}

TEST(TextCountsTest, CountOccurrences) {
  EXPECT_EQ(CountOccurrences(Variant("aaaa"), "aa"), 2);
  EXPECT_EQ(CountOccurrences(Variant("a;b;c;"), ";"), 3);
  EXPECT_EQ(CountOccurrences(Variant("abc"), ""), 0);
  EXPECT_EQ(CountOccurrences(Variant::Null(), "a"), 0);
  EXPECT_EQ(CountOccurrences(Variant("äöäö"), "ö"), 2);
}

TEST(TextCountsTest, IsNumberText) {
  EXPECT_TRUE(IsNumberText("(1 + 2,5) * 3/4"));
  EXPECT_FALSE(IsNumberText(""));
  EXPECT_FALSE(IsNumberText("1E5"));
}

}  // namespace
}  // namespace vx
