#include "engine/recordset.h"

#include <gtest/gtest.h>

#include "engine/engine_test_util.h"

namespace vx::dao {
namespace {

using testing::ErrorOf;

class EngineRecordset : public testing::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    db_ = Open();
  }

  // Fills Nummer with rows 1..count in one statement.
  void FillNumbers(int count) {
    db_->Execute(
        "INSERT INTO Nummer (Id, Name) WITH RECURSIVE c(n) AS (SELECT 1 "
        "UNION ALL SELECT n + 1 FROM c WHERE n < " + std::to_string(count) +
        ") SELECT n, 'N' || n FROM c");
  }

  std::shared_ptr<Database> db_;
};

TEST_F(EngineRecordset, FetchesLazilyAndCountsWhatItReached) {
  FillNumbers(5000);
  std::shared_ptr<Recordset> rs =
      db_->OpenRecordset("SELECT Id FROM Nummer ORDER BY Id", kOpenSnapshot);
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_FALSE(rs->Bof());
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(CLng(rs->Fields()[0].Value()), 3);

  // While rows remain unread the statement holds its read lock, and a
  // writer elsewhere waits in vain; once all are read, nothing is held.
  std::shared_ptr<Database> other = Open();
  EXPECT_EQ(ErrorOf([&] { other->Execute("DELETE FROM Nummer WHERE Id = 1"); }),
            kErrLocked);
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 5000);
  EXPECT_EQ(CLng(rs->Fields()[0].Value()), 5000);
  other->Execute("DELETE FROM Nummer WHERE Id = 1");

  // The rows read stay: the recordset moves back over them.
  rs->MoveFirst();
  EXPECT_EQ(CLng(rs->Fields()[0].Value()), 1);
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }), kErrNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs->Fields()[0].Value(); }), kErrNoCurrentRecord);
  rs->MoveNext();
  EXPECT_EQ(CLng(rs->Fields()[0].Value()), 1);
  rs->MoveLast();
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), kErrNoCurrentRecord);
  rs->MovePrevious();
  EXPECT_EQ(CLng(rs->Fields()[0].Value()), 5000);
}

TEST_F(EngineRecordset, SmallResultsHoldNoLock) {
  FillNumbers(3);
  std::shared_ptr<Recordset> one =
      db_->OpenRecordset("SELECT * FROM Nummer WHERE Id = 2");
  std::shared_ptr<Recordset> none =
      db_->OpenRecordset("SELECT * FROM Nummer WHERE Id = 99");
  EXPECT_TRUE(none->Eof());
  EXPECT_EQ(none->RecordCount(), 0);
  EXPECT_EQ(ErrorOf([&] { none->Edit(); }), kErrNoCurrentRecord);

  std::shared_ptr<Database> other = Open();
  other->Execute("UPDATE Nummer SET Name = 'zwei' WHERE Id = 2");
  EXPECT_EQ(CStr(one->Fields()["name"].Value()), "N2");  // as it was read
  // The change since the read makes this user's update fail.
  one->Edit();
  one->Fields()["Name"].SetValue("meins");
  EXPECT_EQ(ErrorOf([&] { one->Update(); }), kErrWriteConflict);
  one->CancelUpdate();
  EXPECT_EQ(ErrorOf([&] { one->CancelUpdate(); }), kErrUpdateWithoutEdit);
  EXPECT_EQ(ErrorOf([&] { one->Update(); }), kErrUpdateWithoutEdit);
}

TEST_F(EngineRecordset, FieldsReportTheDeclaredTypes) {
  std::shared_ptr<Recordset> rs = db_->OpenRecordset(
      "SELECT *, Menge * 2 AS Doppelt, ProNr & 'x' AS Text1 FROM Projekt");
  Fields& f = rs->Fields();
  ASSERT_EQ(f.Count(), 17);
  const std::pair<const char*, int> expected[] = {
      {"Id", kTypeLong},         {"ProNr", kTypeText},
      {"IsRVProj", kTypeBoolean}, {"Beginn", kTypeDate},
      {"Budget", kTypeCurrency}, {"Faktor", kTypeDouble},
      {"Anzahl", kTypeInteger},  {"Stufe", kTypeByte},
      {"Menge", kTypeLong},      {"Anteil", kTypeSingle},
      {"bemerkung", kTypeMemo},  {"Bild", kTypeLongBinary},
      {"Kennung", kTypeGuid},    {"Text1", kTypeText}};
  for (const auto& [name, type] : expected) {
    EXPECT_EQ(f[name].Type(), type) << name;
  }
  EXPECT_EQ(f["ProNr"].Size(), 20);
  EXPECT_EQ(f["Anzahl"].Size(), 2);
  EXPECT_EQ(f.Item(Variant("PRONR")).Name(), "ProNr");
  EXPECT_EQ(f.Item(Variant(int32_t{2})).Name(), "ProBez");
  EXPECT_EQ(ErrorOf([&] { f["Fehlt"]; }), kErrItemNotFound);
  EXPECT_EQ(ErrorOf([&] { f[17]; }), kErrItemNotFound);
}

TEST_F(EngineRecordset, ValuesKeepTheirKindThroughTheFile) {
  std::shared_ptr<Recordset> rs = db_->OpenRecordset("SELECT * FROM Projekt");
  rs->AddNew();
  Fields& f = rs->Fields();
  f["ProNr"].SetValue("P-1");
  f["ProBez"].SetValue(std::string(50, 'x'));
  f["IsRVProj"].SetValue(true);
  f["Beginn"].SetValue("2024-03-05 14:07:09");
  f["Budget"].SetValue(Currency{12345678});
  f["Faktor"].SetValue(0.1);
  f["Anzahl"].SetValue("-12");
  f["Stufe"].SetValue(int32_t{255});
  f["Anteil"].SetValue(1.5f);
  f["BEMERKUNG"].SetValue(ByteArray{'a', 0, 'b', 0, 0xE4, 0});
  f["Bild"].SetValue(ByteArray{0, 1, 2, 255});
  // Visible in the edit buffer before Update.
  EXPECT_EQ(f["IsRVProj"].Value(), Variant(true));
  EXPECT_TRUE(f["Menge"].Value().IsNull());
  rs->Update();

  std::shared_ptr<Recordset> back =
      db_->OpenRecordset("SELECT * FROM Projekt WHERE ProNr = 'p-1'", kOpenSnapshot);
  ASSERT_EQ(back->RecordCount(), 1);
  Fields& b = back->Fields();
  EXPECT_EQ(b["IsRVProj"].Value(), Variant(true));
  EXPECT_EQ(b["Beginn"].Value(), Variant(DateFromParts(2024, 3, 5, 14, 7, 9)));
  EXPECT_EQ(b["Budget"].Value(), Variant(Currency{12345678}));
  EXPECT_EQ(b["Faktor"].Value(), Variant(0.1));
  EXPECT_EQ(b["Anzahl"].Value(), Variant(int16_t{-12}));
  EXPECT_EQ(b["Stufe"].Value(), Variant(uint8_t{255}));
  EXPECT_EQ(b["Anteil"].Value(), Variant(1.5f));
  EXPECT_EQ(b["BEMERKUNG"].Value(), Variant("ab\xC3\xA4"));
  EXPECT_EQ(b["BEMERKUNG"].FieldSize(), 4);  // bytes stored
  EXPECT_EQ(b["Bild"].Value(), Variant(ByteArray{0, 1, 2, 255}));
  EXPECT_TRUE(b["Menge"].Value().IsNull());
  EXPECT_EQ(b["Menge"].FieldSize(), 0);
  EXPECT_TRUE(b["Aktualisierung"].Value().get_if<Date>() != nullptr);  // default
  // The dialect's literals compare with the stored forms.
  EXPECT_EQ(db_->OpenRecordset("SELECT Id FROM Projekt WHERE IsRVProj = True AND "
                               "Beginn > #3/5/2024# AND Beginn < #3/6/2024#")
                ->RecordCount(),
            1);
}

TEST_F(EngineRecordset, AssignmentsRefuseWhatTheColumnCannotHold) {
  std::shared_ptr<Recordset> rs = db_->OpenRecordset("Projekt");
  Fields& f = rs->Fields();
  EXPECT_EQ(ErrorOf([&] { f["ProNr"].SetValue("x"); }), kErrUpdateWithoutEdit);
  rs->AddNew();
  EXPECT_EQ(ErrorOf([&] { f["ProBez"].SetValue(std::string(51, 'x')); }),
            kErrFieldTooSmall);
  std::string umlauts;
  for (int i = 0; i < 50; ++i) umlauts += "\xC3\xA4";  // counted in characters
  EXPECT_NO_THROW(f["ProBez"].SetValue(umlauts));
  EXPECT_EQ(ErrorOf([&] { f["Beginn"].SetValue("kein Datum"); }), kErrConversion);
  EXPECT_EQ(ErrorOf([&] { f["Menge"].SetValue("abc"); }), kErrConversion);
  EXPECT_EQ(ErrorOf([&] { f["Anzahl"].SetValue(int32_t{70000}); }),
            kErrNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { f["Stufe"].SetValue(int32_t{-1}); }), kErrNumericOverflow);
  EXPECT_EQ(ErrorOf([&] { f["Bild"].SetValue(1.5); }), kErrConversion);
  EXPECT_EQ(ErrorOf([&] { f["Id"].SetValue(int32_t{5}); }), kErrFieldNotUpdatable);
  // A failed Update leaves the edit open; the row is not added.
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrRequiredField);
  f["ProNr"].SetValue("P");
  rs->Update();
  EXPECT_EQ(rs->RecordCount(), 1);
}

TEST_F(EngineRecordset, AddNewShowsTheRowTheEngineCompleted) {
  db_->Execute("INSERT INTO Projekt (ProNr) VALUES ('A')");
  std::shared_ptr<Recordset> rs = db_->OpenRecordset("SELECT * FROM Projekt");
  EXPECT_EQ(ErrorOf([&] { rs->LastModified(); }), kErrNoCurrentRecord);
  const Variant first = rs->Bookmark();
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue("B");
  rs->Update();
  EXPECT_EQ(CStr(rs->Fields()["ProNr"].Value()), "A");  // still current
  EXPECT_EQ(rs->RecordCount(), 2);
  rs->SetBookmark(rs->LastModified());
  EXPECT_EQ(CStr(rs->Fields()["ProNr"].Value()), "B");
  EXPECT_EQ(CLng(rs->Fields()["Id"].Value()), 2);
  EXPECT_EQ(rs->Fields()["IsRVProj"].Value(), Variant(false));  // never null
  rs->SetBookmark(first);
  EXPECT_EQ(CStr(rs->Fields()["ProNr"].Value()), "A");

  // Edit writes only the row it read; the recordset shows what was written.
  rs->Edit();
  rs->Fields()["ProBez"].SetValue("geändert");
  rs->Update();
  EXPECT_EQ(CStr(rs->Fields()["ProBez"].Value()), "geändert");
  EXPECT_EQ(db_->OpenRecordset("SELECT * FROM Projekt WHERE ProBez = 'GEÄNDERT'")
                ->RecordCount(),
            1);
  EXPECT_EQ(CStr(db_->OpenRecordset("SELECT ProNr FROM Projekt WHERE ProBez = 'GEäNDERT'")
                     ->Fields()[0]
                     .Value()),
            "A");

  std::shared_ptr<Recordset> other = db_->OpenRecordset("SELECT * FROM Projekt");
  EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(other->Bookmark()); }), kErrBadBookmark);
  EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(Variant(int32_t{1})); }), kErrBadBookmark);
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue("a");  // the unique index ignores case
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrDuplicateValue);
  EXPECT_EQ(rs->RecordCount(), 2);
  rs->Close();
  EXPECT_EQ(ErrorOf([&] { rs->RecordCount(); }), kErrObjectInvalid);
}

TEST_F(EngineRecordset, WritesWhileTheStatementStillReads) {
  db_->Execute(
      "INSERT INTO Projekt (ProNr) WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL "
      "SELECT n + 1 FROM c WHERE n < 3000) SELECT 'P' || n FROM c");
  std::shared_ptr<Recordset> rs = db_->OpenRecordset("SELECT * FROM Projekt");
  rs->Edit();
  rs->Fields()["ProBez"].SetValue("first");
  rs->Update();
  // A failed write rolls back without disturbing the reading statement.
  rs->AddNew();
  rs->Fields()["ProNr"].SetValue("P2");
  EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrDuplicateValue);
  rs->Fields()["ProNr"].SetValue("neu");
  rs->Update();
  rs->MoveNext();
  EXPECT_EQ(CStr(rs->Fields()["ProNr"].Value()), "P2");
  // The added row comes once, though the statement reaches it too.
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 3001);
  rs->MoveFirst();
  EXPECT_EQ(CStr(rs->Fields()["ProBez"].Value()), "first");
}

TEST_F(EngineRecordset, OnlyDynasetsOfOneTableChangeRows) {
  FillNumbers(2);
  db_->Execute("INSERT INTO Projekt (ProNr, Menge) VALUES ('1', 1)");
  for (const char* sql :
       {"SELECT * FROM Nummer INNER JOIN Projekt ON Nummer.Id = Projekt.Menge",
        "SELECT DISTINCT Name FROM Nummer", "SELECT Count(*) AS n FROM Nummer",
        "SELECT Id FROM Nummer GROUP BY Id"}) {
    std::shared_ptr<Recordset> rs = db_->OpenRecordset(sql);
    EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }), kErrReadOnly) << sql;
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }), kErrReadOnly) << sql;
  }
  std::shared_ptr<Recordset> snapshot = db_->OpenRecordset("Nummer", kOpenSnapshot);
  EXPECT_EQ(ErrorOf([&] { snapshot->Edit(); }), kErrReadOnly);
  EXPECT_EQ(ErrorOf([&] { snapshot->Fields()[0].SetValue(1); }), kErrReadOnly);
  EXPECT_EQ(ErrorOf([&] { db_->OpenRecordset("Nummer", 3); }), kErrInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { db_->OpenRecordset("DELETE FROM Nummer"); }),
            kErrInvalidOperation);
  EXPECT_EQ(ErrorOf([&] { db_->OpenRecordset("Fehlt"); }), kErrTableNotFound);
  EXPECT_EQ(ErrorOf([&] { db_->OpenRecordset("SELECT Fehlt FROM Nummer"); }),
            kErrTooFewParameters);

  // An alias and a computed column: the table's columns still change.
  std::shared_ptr<Recordset> rs =
      db_->OpenRecordset("SELECT n.Name, n.Id * 10 AS Zehn FROM [Nummer] n WHERE n.Id = 2");
  rs->Edit();
  EXPECT_EQ(ErrorOf([&] { rs->Fields()["Zehn"].SetValue(1); }), kErrFieldNotUpdatable);
  rs->Fields()["Name"].SetValue("zwei");
  rs->Update();
  EXPECT_EQ(CLng(rs->Fields()["Zehn"].Value()), 20);
  EXPECT_EQ(CStr(db_->OpenRecordset("SELECT Name FROM Nummer WHERE Id = 2")
                     ->Fields()[0]
                     .Value()),
            "zwei");
}

}  // namespace
}  // namespace vx::dao
