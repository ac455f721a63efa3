#include "engine/stored_row.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/engine_test_util.h"
#include "engine/recordset.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;

class StoredRowTest : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    db_ = Open();
    db_->Execute(
        "INSERT INTO Projekt (ProNr, ProBez, IsRVProj, Beginn, Budget, "
        "Faktor, Anzahl, BEMERKUNG, Bild) VALUES ('A-1', 'Schule', True, "
        "#2024-03-05 14:07:09#, 1250.5, 0.25, 7, 'Tiefgarage', 'xyz')");
    db_->Execute("INSERT INTO Projekt (ProNr, ProBez) VALUES ('B-2', '')");
    db_->Execute(
        "INSERT INTO Projekt (ProNr, ProBez, BEMERKUNG) VALUES ('C-3', "
        "'Halle', '')");
  }

  // What the fields of the current row of `rs` give, column by column.
  static std::vector<Variant> FieldValues(Recordset& rs) {
    std::vector<Variant> values;
    for (int32_t i = 0; i < rs.Fields().Count(); ++i) {
      values.push_back(rs.Fields()[i].Value());
    }
    return values;
  }
  static std::vector<int32_t> FieldSizes(Recordset& rs) {
    std::vector<int32_t> sizes;
    for (int32_t i = 0; i < rs.Fields().Count(); ++i) {
      sizes.push_back(rs.Fields()[i].FieldSize());
    }
    return sizes;
  }
  static std::vector<Variant> RowValues(const StoredRow& row) {
    std::vector<Variant> values;
    for (size_t i = 0; i < row.size(); ++i) values.push_back(row.Value(i));
    return values;
  }
  static std::vector<int32_t> RowSizes(const StoredRow& row) {
    std::vector<int32_t> sizes;
    for (size_t i = 0; i < row.size(); ++i) sizes.push_back(row.FieldSize(i));
    return sizes;
  }

  std::shared_ptr<Database> db_;
};

TEST_F(StoredRowTest, EveryRowReadsAsItsFieldsAfterTheRecordsetIsGone) {
  // A typed expression column and a dynaset's hidden rowid ride along; the
  // rows after the first keep their texts further on in the store, and
  // one room serves all three copies.
  std::shared_ptr<Recordset> rs = db_->OpenRecordset(
      "SELECT *, ProNr & '!' AS Markiert FROM Projekt ORDER BY ProNr",
      kOpenDynaset);
  std::vector<std::vector<Variant>> values;
  std::vector<std::vector<int32_t>> sizes;
  std::vector<StoredRow> rows(3);
  for (StoredRow& row : rows) {
    values.push_back(FieldValues(*rs));
    sizes.push_back(FieldSizes(*rs));
    rs->CopyCurrentRow(row);
    rs->MoveNext();
  }
  StoredRow reused;
  rs->MoveFirst();
  rs->CopyCurrentRow(reused);
  rs->MoveLast();
  rs->CopyCurrentRow(reused);
  rs->Close();
  db_->Close();

  for (size_t r = 0; r < rows.size(); ++r) {
    EXPECT_EQ(RowValues(rows[r]), values[r]) << r;
    EXPECT_EQ(RowSizes(rows[r]), sizes[r]) << r;
  }
  EXPECT_EQ(RowValues(reused), values[2]);
  EXPECT_EQ(rows[0].Value(15), Variant("A-1!"));

  // Texts of text columns read as stored; nothing else does.
  EXPECT_EQ(rows[0].StoredText(1), "A-1");
  EXPECT_EQ(rows[1].StoredText(2), "");
  EXPECT_EQ(rows[0].StoredText(11), "Tiefgarage");
  EXPECT_EQ(rows[0].StoredText(15), "A-1!");
  EXPECT_FALSE(rows[0].StoredText(4));   // a date stored as text
  EXPECT_FALSE(rows[0].StoredText(12));  // bytes
  EXPECT_FALSE(rows[1].StoredText(3));   // null
  EXPECT_FALSE(rows[0].StoredText(0));   // a number
}

TEST_F(StoredRowTest, CopiesTheStoredRowNotTheEditBuffer) {
  std::shared_ptr<Recordset> rs = db_->OpenRecordset(
      "SELECT ProNr, ProBez FROM Projekt WHERE ProNr = 'A-1'", kOpenDynaset);
  rs->Edit();
  rs->Fields()["ProBez"].SetValue(Variant("Turnhalle"));
  StoredRow row;
  rs->CopyCurrentRow(row);
  EXPECT_EQ(row.Value(1), Variant("Schule"));
  rs->CancelUpdate();
}

TEST_F(StoredRowTest, NoCurrentRowIsAnErrorAndLeavesTheRowEmpty) {
  std::shared_ptr<Recordset> rs =
      db_->OpenRecordset("SELECT * FROM Projekt ORDER BY ProNr", kOpenSnapshot);
  StoredRow row;
  rs->CopyCurrentRow(row);
  ASSERT_EQ(row.size(), 15u);
  rs->MoveLast();
  rs->MoveNext();
  EXPECT_EQ(ErrorOf([&] { rs->CopyCurrentRow(row); }), kErrNoCurrentRecord);
  EXPECT_EQ(row.size(), 0u);
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->CopyCurrentRow(row); }), kErrObjectInvalid);
}

}  // namespace
}  // namespace vx::dao
