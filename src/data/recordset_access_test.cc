#include "data/recordset_access.h"

#include <gtest/gtest.h>

#include "engine/schema.h"
#include "support/fake_host.h"
#include "support/installation.h"

namespace vx {
namespace {

using testing::FakeHost;
using testing::Installation;

class ReadRecordFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = inst.File("R.VX3DB");
    dao::CreateDatabase(path,
                        "CREATE TABLE R (Id COUNTER, Name TEXT(20), Menge LONG, "
                        "Ja YESNO, Notiz MEMO);",
                        kSuitePassword);
    DbHandle none;
    int32_t insert_error = 0;
    for (const char* row : {"('a', 1, True, 'x')", "('b', 2, False, NULL)",
                            "('c', 3, True, 'z')"}) {
      ExecuteMitDb(path, std::string("INSERT INTO R (Name, Menge, Ja, Notiz) VALUES ") + row,
                   false, none, insert_error);
      ASSERT_EQ(insert_error, 0);
    }
  }

  // The call with the six columns and their values of this fixture.
  int32_t Read(DbHandle& db, const std::string& sql, bool last, bool exact,
               const std::string& n1, const std::string& n2 = "",
               const std::string& n3 = "", const std::string& n6 = "") {
    return ReadRecordFields(db, path, sql, n1, v[0], last, error, n2, v[1], n3,
                            v[2], "", v[3], "", v[4], exact, type1, type2, n6,
                            v[5]);
  }

  Installation inst;
  FakeHost host;
  std::string path;
  Variant v[6];
  int32_t error = -1;
  int32_t type1 = 0;
  int32_t type2 = 0;
};

TEST_F(ReadRecordFieldsTest, FirstRowWithoutAHandle) {
  DbHandle none;
  int32_t count = Read(none, "SELECT * FROM R ORDER BY Id", false, false, "Name",
                       "Menge", "Ja", "Notiz");
  EXPECT_GE(count, 1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(v[0], Variant("a"));
  EXPECT_EQ(v[1], Variant(int32_t{1}));
  EXPECT_EQ(v[2], Variant(true));
  EXPECT_EQ(v[5], Variant("x"));
  EXPECT_EQ(type1, 10);  // filled in
  EXPECT_EQ(type2, 4);
  EXPECT_EQ(none, nullptr);
}

TEST_F(ReadRecordFieldsTest, LastRowAndExactCount) {
  DbHandle none;
  EXPECT_EQ(Read(none, "SELECT * FROM R ORDER BY Id", true, false, "Name"), 3);
  EXPECT_EQ(v[0], Variant("c"));
  EXPECT_EQ(Read(none, "SELECT * FROM R ORDER BY Id", false, true, "Name"), 3);
  EXPECT_EQ(v[0], Variant("a"));
}

TEST_F(ReadRecordFieldsTest, NoRowsLeavesTheValuesReset) {
  DbHandle none;
  v[0] = Variant("alt");
  v[1] = Variant(7);
  v[2] = Variant("unberuehrt");
  EXPECT_EQ(Read(none, "SELECT * FROM R WHERE Id = 99", false, false, "Name",
                 "Menge"),
            0);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(v[0], Variant(""));
  EXPECT_EQ(v[1], Variant(int16_t{0}));
  EXPECT_EQ(v[2], Variant("unberuehrt"));  // no name: untouched
}

TEST_F(ReadRecordFieldsTest, KnownTypeCodeIsNotAskedAgain) {
  DbHandle none;
  type1 = 1;  // trusted: the null Notiz of row b reads as yes/no
  Read(none, "SELECT * FROM R WHERE Name = 'b'", false, false, "Notiz");
  EXPECT_EQ(v[0], Variant(false));
  EXPECT_EQ(type1, 1);
}

TEST_F(ReadRecordFieldsTest, MisspelledColumnFailsAfterThreeAttempts) {
  DbHandle none;
  EXPECT_EQ(Read(none, "SELECT * FROM R", false, false, "Nmae"), 0);
  EXPECT_EQ(error, 3265);
  // Further columns that do not exist are passed over.
  EXPECT_GE(Read(none, "SELECT * FROM R", false, false, "Name", "Fehlt", "Fehlt"), 1);
  EXPECT_EQ(error, 0);
}

TEST_F(ReadRecordFieldsTest, FailuresGiveZeroAndTheErrorNumber) {
  DbHandle none;
  EXPECT_EQ(Read(none, "SELECT * FROM Fehlt", false, false, "Name"), 0);
  EXPECT_EQ(error, 3078);
  std::string missing = inst.File("FEHLT.VX3DB");
  EXPECT_EQ(ReadRecordFields(none, missing, "SELECT * FROM R", "Name", v[0], false,
                             error, "", v[1], "", v[2], "", v[3], "", v[4], false,
                             type1, type2, "", v[5]),
            0);
  EXPECT_EQ(error, 91);
}

TEST_F(ReadRecordFieldsTest, UsesAndKeepsTheCallersHandle) {
  Variant connect(kBareConnect);
  DbHandle db = OpenDb(path, false, Variant(false), connect, true);
  EXPECT_GE(Read(db, "SELECT Name FROM R", false, false, "Name"), 1);
  ASSERT_NE(db, nullptr);
  EXPECT_NO_THROW(db->OpenRecordset("SELECT * FROM R")->Close());
  CloseDb(db);
}

TEST(ClearVariantValueTest, TextsBecomeEmptyAllElseZero) {
  Variant text("abc"), number(3.5), null = Variant::Null();
  ClearVariantValue(text);
  ClearVariantValue(number);
  ClearVariantValue(null);
  EXPECT_EQ(text, Variant(""));
  EXPECT_EQ(number, Variant(int16_t{0}));
  EXPECT_EQ(null, Variant(int16_t{0}));
}

}  // namespace
}  // namespace vx
