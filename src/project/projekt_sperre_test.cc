// Locking and unlocking projects.

#include <gtest/gtest.h>

#include "project/projekt_test_util.h"

namespace vx {
namespace {

using testing::ErrorFields;

class ProjektSperreTest : public testing::ProjektTest {
 protected:
  void SetUp() override {
    id4711 = Add("4711");
    id4712 = Add("4712");
  }
  bool Lock(int32_t id, std::string nr = "") { return p.bProjektLock(id, nr); }
  bool Unlock(int32_t id, std::string nr = "") {
    return p.bProjektUnLock(id, nr);
  }
  bool Locked(int32_t id) { return CBool(Stored(id, "SatzLockKZ")); }

  int32_t id4711 = 0;
  int32_t id4712 = 0;
  cls_Projekt p;
};

TEST_F(ProjektSperreTest, LockIsTakenOnceUntilUnlocked) {
  EXPECT_TRUE(Lock(0, " 4711 "));
  EXPECT_TRUE(Locked(id4711));
  EXPECT_FALSE(Locked(id4712));
  EXPECT_FALSE(Lock(id4711));  // also for the user who holds it
  EXPECT_EQ(ErrorFields(p),
            std::make_pair(-20, std::string("Projekt schon gesperrt!")));
  EXPECT_TRUE(Lock(id4712));
  EXPECT_EQ(p.lProjektErrNum(), -20);  // a lock does not reset the fields

  EXPECT_TRUE(Unlock(0, " 4711 "));  // trimmed as the lock trims
  EXPECT_EQ(ErrorFields(p), std::make_pair(0, std::string()));
  EXPECT_FALSE(Locked(id4711));
  EXPECT_TRUE(Locked(id4712));
  EXPECT_TRUE(Lock(0, "4711"));
}

// Two projects whose numbers differ only by a blank: every lookup by number
// takes the row whose number is exactly the given text, and the trimmed
// number only when no row has the given one.
TEST_F(ProjektSperreTest, ExactNumberWinsOverTheTrimmedOneInEveryLookup) {
  const int32_t blank4711 = Add(" 4711");
  Add("");  // a project without a number is never found by blanks

  cls_Projekt reader;
  int32_t id = 0;
  std::string nr = " 4711";
  ASSERT_TRUE(reader.bProjektRead(id, nr));
  EXPECT_EQ(id, blank4711);
  Variant column("ProBez");
  Variant value("Altbau");
  ASSERT_TRUE(reader.bProjektDatenWrite(value, column));
  id = 0;
  ASSERT_TRUE(reader.bProjWrite(id, nr));
  EXPECT_EQ(id, blank4711);
  EXPECT_EQ(Stored(blank4711, "ProBez"), Variant("Altbau"));
  EXPECT_TRUE(Stored(id4711, "ProBez").IsNull());

  EXPECT_TRUE(Lock(0, " 4711"));
  EXPECT_TRUE(Locked(blank4711));
  EXPECT_FALSE(Locked(id4711));
  EXPECT_TRUE(Lock(0, "4711"));
  EXPECT_TRUE(Unlock(0, " 4711"));
  EXPECT_FALSE(Locked(blank4711));
  EXPECT_TRUE(Locked(id4711));

  // No row has " 4712 ": the trimmed number counts, for every lookup.
  EXPECT_TRUE(Lock(0, " 4712 "));
  EXPECT_TRUE(Locked(id4712));
  EXPECT_TRUE(Unlock(0, " 4712 "));
  EXPECT_FALSE(Locked(id4712));
  nr = " 4712 ";
  id = 0;
  ASSERT_TRUE(reader.bProjektRead(id, nr));
  EXPECT_EQ(id, id4712);
  EXPECT_EQ(nr, "4712");

  // Blanks alone are no number.
  EXPECT_FALSE(Lock(0, "  "));
  EXPECT_EQ(p.lProjektErrNum(), 3021);
}

TEST_F(ProjektSperreTest, IdentityWinsOverNumber) {
  EXPECT_TRUE(Lock(id4712, "4711"));
  EXPECT_TRUE(Locked(id4712));
  EXPECT_FALSE(Locked(id4711));
  EXPECT_TRUE(Unlock(id4712, "4711"));
  EXPECT_FALSE(Locked(id4712));
}

TEST_F(ProjektSperreTest, NullFlagCountsAsFree) {
  Execute("UPDATE Projekt SET SatzLockKZ = NULL");
  ASSERT_TRUE(Stored(id4711, "SatzLockKZ").IsNull());
  EXPECT_TRUE(Lock(id4711));
  EXPECT_TRUE(Locked(id4711));
}

TEST_F(ProjektSperreTest, UnlockAllFreesEveryProject) {
  const int32_t third = Add("4713");
  for (int32_t id : {id4711, id4712, third}) ASSERT_TRUE(Lock(id));
  EXPECT_TRUE(p.bProjektUnLockAll());
  EXPECT_EQ(ErrorFields(p), std::make_pair(0, std::string()));
  for (int32_t id : {id4711, id4712, third}) EXPECT_FALSE(Locked(id));
}

TEST_F(ProjektSperreTest, NothingToLockIsNoCurrentRecord) {
  p.sProjektNr("4711");
  const auto none = std::make_pair(3021, std::string("No Current Record"));
  EXPECT_FALSE(Lock(0, ""));
  EXPECT_EQ(ErrorFields(p), none);
  EXPECT_EQ(p.sProjektNr(), "4711");
  EXPECT_FALSE(Unlock(0, ""));
  EXPECT_EQ(ErrorFields(p), none);

  // A project that does not exist: the lock forgets the current one, the
  // unlock changes no row and succeeds.
  EXPECT_FALSE(Lock(0, "9999"));
  EXPECT_EQ(ErrorFields(p), none);
  EXPECT_EQ(p.sProjektNr(), "");
  EXPECT_EQ(p.lProjektId(), 0);
  EXPECT_TRUE(Unlock(0, "9999"));
}

TEST_F(ProjektSperreTest, NumbersWithApostrophesAreTextsNotStatements) {
  const int32_t oneil = Add("O'Neil");
  EXPECT_TRUE(Lock(0, "O'Neil"));
  EXPECT_TRUE(Locked(oneil));
  EXPECT_TRUE(Lock(id4711));

  for (const char* attack : {"x' OR '1'='1", "x' OR ProNr <> '"}) {
    EXPECT_FALSE(Lock(0, attack)) << attack;
    EXPECT_EQ(p.lProjektErrNum(), 3021);
    EXPECT_FALSE(Locked(id4712)) << attack;
    EXPECT_TRUE(Unlock(0, attack)) << attack;  // matches no row
    EXPECT_TRUE(Locked(oneil)) << attack;
    EXPECT_TRUE(Locked(id4711)) << attack;
  }
  EXPECT_TRUE(Unlock(0, "O'Neil"));
  EXPECT_FALSE(Locked(oneil));
}

TEST_F(ProjektSperreTest, LockLostInTheUpdateReportsTheEnginesError) {
  EXPECT_TRUE(Lock(id4712));  // the database is open now
  EXPECT_FALSE(Lock(id4712));
  ASSERT_EQ(p.lProjektErrNum(), -20);
  {
    testing::WriteLockHolder other_user(path);
    EXPECT_FALSE(Lock(id4711));
  }
  EXPECT_EQ(ErrorFields(p), std::make_pair(3218, dao::DaoDescription(3218)));
  EXPECT_FALSE(Locked(id4711));
  EXPECT_TRUE(Lock(id4711));
}

TEST_F(ProjektSperreTest, LockingFindsTheDatabaseByTheCurrentSettings) {
  // Created while the settings name no directory: reading fails, locking
  // looks the directory up again and finds it.
  inst.WriteSettings("");
  cls_Projekt late;
  int32_t id = id4711;
  std::string nr;
  EXPECT_FALSE(late.bProjektRead(id, nr));
  inst.WriteSettings("[Datei Verzeichnisse]\nPROJEKT=" + folder + "\n");
  cls_Projekt unlocker;
  EXPECT_TRUE(late.bProjektLock(id, nr));
  EXPECT_TRUE(Locked(id4711));
  EXPECT_TRUE(unlocker.bProjektUnLock(id, nr));
  EXPECT_FALSE(Locked(id4711));
}

TEST_F(ProjektSperreTest, MissingDatabaseIsTheEnginesError) {
  p.sProjektNr("4711");
  ASSERT_EQ(std::remove(path.c_str()), 0);
  EXPECT_FALSE(Lock(id4711));
  EXPECT_EQ(p.lProjektErrNum(), 53);
  EXPECT_EQ(p.sProjektNr(), "4711");
  EXPECT_FALSE(Unlock(id4711));
  EXPECT_EQ(p.lProjektErrNum(), 53);
  EXPECT_EQ(p.sProjektNr(), "");
  EXPECT_EQ(p.lProjektId(), 0);
  EXPECT_FALSE(p.bProjektUnLockAll());
  EXPECT_EQ(p.lProjektErrNum(), 53);
  EXPECT_EQ(Pauses(), 0);  // the locking loops do not wait
}

}  // namespace
}  // namespace vx
