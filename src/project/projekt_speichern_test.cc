// Writing the field cache and saving it.

#include <gtest/gtest.h>

#include <vector>

#include "project/projekt_test_util.h"

namespace vx {
namespace {

using testing::ErrorFields;

class ProjektSpeichernTest : public testing::ProjektTest {
 protected:
  void SetUp() override {
    id4711 = Add("4711", "ProBez, NNF, Baubeginn, Bemerkung, LastUser",
                 "'Neubau', 1.5, #3/1/2024#, 'alt', 7");
  }

  bool Load(cls_Projekt& p, int32_t id) {
    std::string nr;
    return p.bProjektRead(id, nr);
  }
  bool Set(cls_Projekt& p, Variant column, Variant value) {
    return p.bProjektDatenWrite(value, column);
  }
  Variant Get(cls_Projekt& p, Variant column) {
    return p.vProjektDatenRead(column);
  }
  bool Save(cls_Projekt& p, int32_t& id, std::string nr = "") {
    return p.bProjWrite(id, nr);
  }
  int32_t id4711 = 0;
};

TEST_F(ProjektSpeichernTest, SavesTheCacheIntoTheRowOfTheNumber) {
  cls_Projekt p;
  ASSERT_TRUE(Load(p, id4711));
  EXPECT_TRUE(Set(p, "probez", "Umbau"));
  EXPECT_TRUE(Set(p, 0, 999));  // the identity is the engine's
  EXPECT_TRUE(Set(p, "NNF", Variant::Null()));
  EXPECT_TRUE(Set(p, "Bauende", Variant::Null()));
  EXPECT_TRUE(Set(p, "Bemerkung", Variant::Null()));
  EXPECT_TRUE(Set(p, "Baubeginn", "2024-03-05"));
  EXPECT_TRUE(Set(p, "LetzteSicherung", "kein Datum"));
  EXPECT_TRUE(Set(p, "LastUser", "viele"));  // refused by the column
  EXPECT_EQ(Get(p, 0), Variant(999));

  const Date before = Now();
  int32_t id = 0;
  ASSERT_TRUE(Save(p, id, "4711"));
  EXPECT_EQ(id, id4711);
  EXPECT_EQ(ErrorFields(p), std::make_pair(0, std::string()));
  EXPECT_EQ(p.sProjektBez(), "Umbau");
  EXPECT_EQ(Stored(id, "ProBez"), Variant("Umbau"));
  EXPECT_EQ(Stored(id, "NNF"), Variant(0.0));
  EXPECT_TRUE(Stored(id, "Bauende").IsNull());
  EXPECT_EQ(Stored(id, "Bemerkung"), Variant(""));
  EXPECT_EQ(CStr(Stored(id, "Baubeginn")), "2024-03-05");
  EXPECT_TRUE(Stored(id, "LetzteSicherung").IsNull());
  EXPECT_EQ(Stored(id, "LastUser"), Variant(7));
  EXPECT_GE(CDate(Stored(id, "Aktualisierung")).serial, before.serial - 1e-4);
  EXPECT_EQ(Rows(), 1);

  // Remarks travel as the bytes of their 16-bit code units, both ways.
  const ByteArray remarks = TextToUtf16Bytes("Dach undicht – Gewährleistung");
  EXPECT_TRUE(Set(p, "BEMERKUNG", remarks));
  ASSERT_TRUE(Save(p, id));
  cls_Projekt q;
  ASSERT_TRUE(Load(q, id4711));
  EXPECT_EQ(Get(q, "Bemerkung"), Variant(remarks));
}

TEST_F(ProjektSpeichernTest, UnknownIdentityAddsACopyOfTheCache) {
  State().lUserId = 12;
  cls_Projekt p;
  ASSERT_TRUE(Load(p, id4711));
  int32_t id = 5000;
  ASSERT_TRUE(Save(p, id));
  EXPECT_NE(id, 5000);
  EXPECT_NE(id, id4711);
  EXPECT_EQ(p.lProjektId(), id);
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Stored(id, "ProBez"), Variant("Neubau"));
  EXPECT_EQ(Stored(id, "NNF"), Variant(1.5));
}

TEST_F(ProjektSpeichernTest, FailedUpdateIsReported) {
  const int32_t neu = Add("<Neues Projekt>12");
  State().lUserId = 12;
  cls_Projekt p;
  ASSERT_TRUE(Load(p, neu));
  int32_t id = neu;
  {
    testing::WriteLockHolder other_user(path);
    EXPECT_FALSE(Save(p, id));
  }
  EXPECT_EQ(p.lProjektErrNum(), 3218);
  EXPECT_EQ(p.sProjektErrText(), dao::DaoDescription(3218));
  EXPECT_EQ(Stored(neu, "Aktualisierung"), Variant::Null());
  EXPECT_EQ(id, neu);
  ASSERT_TRUE(Save(p, id));  // the lock gone, the same cache saves
}

// Two users read the same project and change it; each save writes only
// what its user changed.
TEST_F(ProjektSpeichernTest, SavesOfDifferentColumnsKeepEachOther) {
  cls_Projekt first, second;
  ASSERT_TRUE(Load(first, id4711));
  ASSERT_TRUE(Load(second, id4711));
  EXPECT_TRUE(Set(first, "ProBez", "Umbau"));
  EXPECT_TRUE(Set(second, "NNF", 2.5));
  EXPECT_TRUE(Set(second, "ProBez", "Neubau"));  // written back as read
  int32_t id = id4711;
  ASSERT_TRUE(Save(first, id));
  ASSERT_TRUE(Save(second, id));
  EXPECT_EQ(Stored(id4711, "ProBez"), Variant("Umbau"));
  EXPECT_EQ(Stored(id4711, "NNF"), Variant(2.5));

  // Saved once, the object's own values are what it read: it saves again
  // without a conflict with itself, also for a value stored in another
  // type than it was given ("3" into a number column).
  EXPECT_TRUE(Set(second, "NNF", "3"));
  ASSERT_TRUE(Save(second, id));
  EXPECT_TRUE(Set(second, "NNF", 4));
  ASSERT_TRUE(Save(second, id));
  EXPECT_EQ(Stored(id4711, "NNF"), Variant(4.0));
  EXPECT_EQ(Stored(id4711, "ProBez"), Variant("Umbau"));
}

TEST_F(ProjektSpeichernTest, ColumnChangedByAnotherUserIsNotOverwritten) {
  cls_Projekt first, second;
  ASSERT_TRUE(Load(first, id4711));
  ASSERT_TRUE(Load(second, id4711));
  EXPECT_TRUE(Set(first, "Bemerkung", TextToUtf16Bytes("neu")));
  int32_t id = id4711;
  ASSERT_TRUE(Save(first, id));
  const Variant stamp = Stored(id4711, "Aktualisierung");

  EXPECT_TRUE(Set(second, "LastUser", 8));
  EXPECT_TRUE(Set(second, "Bemerkung", Variant::Null()));
  EXPECT_FALSE(Save(second, id));
  EXPECT_EQ(ErrorFields(second),
            std::make_pair(3197, dao::DaoDescription(3197)));
  EXPECT_EQ(id, id4711);
  // Nothing of the failed save is written, not even the stamp.
  EXPECT_EQ(Stored(id4711, "Bemerkung"), Variant("neu"));
  EXPECT_EQ(Stored(id4711, "LastUser"), Variant(7));
  EXPECT_EQ(Stored(id4711, "Aktualisierung"), stamp);

  // Read again, the user's change goes through.
  ASSERT_TRUE(Load(second, id4711));
  EXPECT_TRUE(Set(second, "LastUser", 8));
  ASSERT_TRUE(Save(second, id));
  EXPECT_EQ(Stored(id4711, "LastUser"), Variant(8));
  EXPECT_EQ(Stored(id4711, "Bemerkung"), Variant("neu"));
}

TEST_F(ProjektSpeichernTest, FailedAddNamesNoProject) {
  cls_Projekt p;
  ASSERT_TRUE(Load(p, id4711));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TRIGGER kein_neues BEFORE INSERT ON Projekt "
                         "BEGIN SELECT RAISE(ABORT, 'nein'); END",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  int32_t id = 5000;
  EXPECT_FALSE(Save(p, id));
  EXPECT_NE(p.lProjektErrNum(), 0);
  EXPECT_EQ(id, -1);  // not 4711's Id, which the call did not write
  EXPECT_EQ(p.lProjektId(), id4711);
  EXPECT_EQ(Rows(), 1);
}

TEST_F(ProjektSpeichernTest, SaveLeavesTheLockFlagToLocking) {
  cls_Projekt p;
  ASSERT_TRUE(Load(p, id4711));  // read while free
  int32_t id = id4711;
  std::string nr;
  ASSERT_TRUE(p.bProjektLock(id, nr));
  EXPECT_TRUE(Set(p, "ProBez", "Umbau"));
  ASSERT_TRUE(Save(p, id));
  EXPECT_EQ(Stored(id, "SatzLockKZ"), Variant(true));  // still locked

  cls_Projekt other;  // read while locked, saved after the unlock
  ASSERT_TRUE(Load(other, id4711));
  ASSERT_TRUE(p.bProjektUnLock(id, nr));
  ASSERT_TRUE(Save(other, id));
  EXPECT_EQ(Stored(id, "SatzLockKZ"), Variant(false));
}

TEST_F(ProjektSpeichernTest, CacheWithoutALoadedRowIsNeverSaved) {
  cls_Projekt fresh;
  int32_t id = id4711;
  EXPECT_FALSE(Save(fresh, id));
  EXPECT_EQ(ErrorFields(fresh), std::make_pair(9, StandardDescription(9)));
  EXPECT_EQ(fresh.nProjektfieldscount(), 0);

  // A load that found nothing leaves nameless entries: saving them would
  // add a row of nulls.
  cls_Projekt p;
  id = 0;
  std::string nr = "9999";
  EXPECT_FALSE(p.bProjektRead(id, nr));
  id = 5000;
  EXPECT_FALSE(Save(p, id));
  EXPECT_EQ(p.lProjektErrNum(), 9);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Stored(id4711, "Aktualisierung"), Variant::Null());
}

TEST_F(ProjektSpeichernTest, WhatCannotBeFoundIsNotSaved) {
  cls_Projekt p;
  ASSERT_TRUE(Load(p, id4711));
  for (const char* nr : {"", "9999", "x' OR '1'='1"}) {
    int32_t id = 0;
    EXPECT_FALSE(Save(p, id, nr)) << nr;
    EXPECT_EQ(id, 0);
    EXPECT_EQ(p.lProjektErrNum(), 0) << nr;  // nothing recorded
  }
  int32_t id = -1;
  EXPECT_FALSE(Save(p, id));
  EXPECT_EQ(Stored(id4711, "Aktualisierung"), Variant::Null());
}

TEST_F(ProjektSpeichernTest, CacheWritesAreCheckedAgainstTheCache) {
  cls_Projekt p;
  EXPECT_FALSE(Set(p, 0, "x"));
  EXPECT_EQ(ErrorFields(p), std::make_pair(91, StandardDescription(91)));
  ASSERT_TRUE(Load(p, id4711));
  const auto not_found = std::make_pair(3024, dao::DaoDescription(3024, {""}));
  EXPECT_FALSE(Set(p, 34, "x"));
  EXPECT_EQ(ErrorFields(p), not_found);
  EXPECT_FALSE(Set(p, -1, "x"));
  EXPECT_EQ(ErrorFields(p), std::make_pair(9, StandardDescription(9)));
  EXPECT_FALSE(Set(p, "KeineSpalte", "x"));
  EXPECT_EQ(ErrorFields(p), not_found);
  EXPECT_FALSE(Set(p, 40000, "x"));
  EXPECT_FALSE(Set(p, Variant::Null(), "x"));
  EXPECT_TRUE(Set(p, 33, "x"));
  EXPECT_EQ(p.lProjektErrNum(), 3024);  // success does not reset
}

TEST_F(ProjektSpeichernTest, DatabaseFailuresAreTheEngines) {
  cls_Projekt p;
  ASSERT_TRUE(Load(p, id4711));
  Execute("DROP TABLE Projekt");
  int32_t id = id4711;
  EXPECT_FALSE(Save(p, id));
  EXPECT_EQ(p.lProjektErrNum(), 3078);
  EXPECT_EQ(id, id4711);  // the project's identity, unchanged

  // A lookup by number that cannot reach the table says why.
  id = 0;
  EXPECT_FALSE(Save(p, id, "4711"));
  EXPECT_EQ(p.lProjektErrNum(), 3078);

  // No database at all: the instance forgets its project.
  cls_Projekt q;
  ASSERT_EQ(std::remove(path.c_str()), 0);
  id = id4711;
  EXPECT_FALSE(Save(q, id));
  EXPECT_EQ(q.lProjektErrNum(), 53);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(q.lProjektId(), -1);
  EXPECT_EQ(q.sProjektNr(), "");
}

}  // namespace
}  // namespace vx
