// Loading a project and reading its field cache.

#include <gtest/gtest.h>

#include <cstdio>

#include "project/projekt_test_util.h"

namespace vx {
namespace {

using testing::ErrorFields;

class ProjektLadenTest : public testing::ProjektTest {
 protected:
  void SetUp() override {
    id4711 =
        Add("4711",
            "ProBez, ProWaehrung, FlurNr, FlurStueckNr, Gemeinde, "
            "Gemarkung, ProStrasse, ProLand, ProPLZ, ProOrt, NNF, Bemerkung",
            "'Neubau Schule', 'EUR', '12', '345/6', 'Musterstadt', "
            "'Nord', 'Hauptstr. 1', 'Bayern', '80331', 'München', 1.5, 'ab'");
    id_bare = Add("4712");  // every other column null
  }
  Variant Read(Variant index_or_name) {
    return p.vProjektDatenRead(index_or_name);
  }

  int32_t id4711 = 0;
  int32_t id_bare = 0;
  cls_Projekt p;
};

TEST_F(ProjektLadenTest, ReadsByNumberOrIdentity) {
  int32_t id = 0;
  std::string nr = " 4711 ";  // blanks around the number are ignored
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(id, id4711);
  EXPECT_EQ(nr, "4711");
  EXPECT_EQ(ErrorFields(p), std::make_pair(0, std::string()));
  EXPECT_EQ(p.nProjektfieldscount(), 34);
  EXPECT_EQ(p.lProjektId(), id4711);
  EXPECT_EQ(p.sProjektNr(), "4711");
  EXPECT_EQ(p.sProjektBez(), "Neubau Schule");
  EXPECT_EQ(p.sProjWaehrung(), "EUR");
  EXPECT_EQ(p.FlurNr() + "|" + p.FlurStueckNr() + "|" + p.Gemeinde() + "|" +
                p.Gemarkung() + "|" + p.Strasse() + "|" + p.Land() + "|" +
                p.PLZ() + "|" + p.Ort(),
            "12|345/6|Musterstadt|Nord|Hauptstr. 1|Bayern|80331|München");

  // The identity wins over the number, which comes back as the row's.
  id = id_bare;
  nr = "4711";
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(id, id_bare);
  EXPECT_EQ(nr, "4712");

  // The identity alone: the row's number decides the answer.
  id = id4711;
  nr = "";
  EXPECT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(nr, "4711");
  Execute("UPDATE Projekt SET ProNr = '' WHERE Id = " + std::to_string(id4711));
  id = id4711;
  nr = "";
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(p.nProjektfieldscount(), 34);  // loaded all the same
  EXPECT_EQ(p.lProjektErrNum(), 0);
}

TEST_F(ProjektLadenTest, NeitherNumberNorIdentityReadsNothing) {
  int32_t id = id4711;
  std::string nr = "4711";
  ASSERT_TRUE(p.bProjektRead(id, nr));
  id = 0;
  nr = "";
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(Read("ProNr"), Variant("4711"));  // the cache is untouched
  EXPECT_EQ(p.lProjektErrNum(), 0);
}

TEST_F(ProjektLadenTest, NullColumnsClearThePropertiesOfTheProjectBefore) {
  int32_t id = id4711;
  std::string nr;
  ASSERT_TRUE(p.bProjektRead(id, nr));
  Execute("UPDATE Projekt SET ProNr = NULL WHERE Id = " +
          std::to_string(id_bare));
  id = id_bare;
  nr = "";
  // A row without a number is no project to answer with, though it loads.
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(p.sProjektNr(), "");
  EXPECT_EQ(p.sProjektBez(), "");
  EXPECT_EQ(p.sProjWaehrung(), "");
  EXPECT_EQ(p.Ort(), "");
  EXPECT_EQ(id, id_bare);
}

TEST_F(ProjektLadenTest, NumbersWithApostrophesAreTextsNotStatements) {
  const int32_t oneil = Add("O'Neil", "ProBez", "'Irish pub'");
  int32_t id = 0;
  std::string nr = "O'Neil";
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(id, oneil);
  EXPECT_EQ(p.sProjektBez(), "Irish pub");

  for (const char* attack :
       {"x' OR '1'='1", "x'; DELETE FROM Projekt; --", "'"}) {
    id = 0;
    nr = attack;
    EXPECT_FALSE(p.bProjektRead(id, nr)) << attack;
    EXPECT_EQ(p.lProjektErrNum(), 3021) << attack;
  }
  EXPECT_EQ(Rows(), 3);
}

TEST_F(ProjektLadenTest, NoMatchingRowLeavesEmptyEntriesPerColumn) {
  int32_t id = 0;
  std::string nr = "9999";
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(ErrorFields(p),
            std::make_pair(3021, std::string("No Current Record")));
  EXPECT_EQ(p.nProjektfieldscount(), 0);
  EXPECT_EQ(nr, "9999");
  for (int i : {0, 17, 33}) EXPECT_TRUE(Read(i).IsEmpty()) << i;
  EXPECT_EQ(p.lProjektErrNum(), 3021);
  EXPECT_TRUE(Read(34).IsEmpty());
  EXPECT_EQ(p.lProjektErrNum(), 3024);

  id = -1;  // an identity no row can have
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(p.lProjektErrNum(), 3021);
}

TEST_F(ProjektLadenTest, CacheIsFoundByPositionOrName) {
  int32_t id = id4711;
  std::string nr;
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(Read(1), Variant("4711"));
  EXPECT_EQ(Read("pronr"), Variant("4711"));
  EXPECT_EQ(Read("  ProNr "), Variant("4711"));
  EXPECT_EQ(Read("1"), Variant("4711"));  // a text that reads as a number
  EXPECT_EQ(Read(1.4), Variant("4711"));
  EXPECT_EQ(Read(0), Variant(id4711));
  EXPECT_EQ(Read("NNF"), Variant(1.5));
  EXPECT_EQ(Read("Bemerkung"), Variant(ByteArray{97, 0, 98, 0}));
  EXPECT_TRUE(Read("BAUBEGINN").IsEmpty());  // null reads as empty

  // Nothing there: empty, and only a position past the end is an error.
  EXPECT_TRUE(Read(-1).IsEmpty());
  EXPECT_TRUE(Read("KeineSpalte").IsEmpty());
  EXPECT_TRUE(Read(Variant::Null()).IsEmpty());
  EXPECT_EQ(p.lProjektErrNum(), 0);
  EXPECT_TRUE(Read(34).IsEmpty());
  EXPECT_EQ(ErrorFields(p),
            std::make_pair(3024, dao::DaoDescription(3024, {""})));
  // Past the 16-bit range is past the end too, not position 0.
  EXPECT_TRUE(Read(40000).IsEmpty());
  EXPECT_EQ(p.lProjektErrNum(), 3024);
  EXPECT_TRUE(Read(-40000).IsEmpty());
  // A successful read leaves the error fields as they were.
  EXPECT_EQ(Read(1), Variant("4711"));
  EXPECT_EQ(p.lProjektErrNum(), 3024);
}

TEST_F(ProjektLadenTest, EntriesAreNamedAfterTheTableAsItIsNow) {
  int32_t id = id4711;
  std::string nr;
  ASSERT_TRUE(p.bProjektRead(id, nr));
  ASSERT_EQ(Read("ProOrt"), Variant("München"));

  // Another user rebuilds the table with fewer columns in another order
  // while this object keeps its database and its statements.
  Execute("ALTER TABLE Projekt RENAME TO Alt");
  Execute(
      "CREATE TABLE Projekt (ProOrt TEXT(100), Bemerkung MEMO, "
      "ProBez TEXT(255), Id COUNTER, ProNr TEXT(50), FlurNr LONG)");
  Execute(
      "INSERT INTO Projekt SELECT ProOrt, Bemerkung, ProBez, Id, ProNr, "
      "FlurNr FROM Alt");
  for (int pass = 0; pass < 2; ++pass) {  // the second on kept names
    id = id4711;
    nr.clear();
    ASSERT_TRUE(p.bProjektRead(id, nr)) << pass;
    EXPECT_EQ(p.nProjektfieldscount(), 6);
    EXPECT_EQ(Read(0), Variant("München"));
    EXPECT_EQ(Read("ProOrt"), Variant("München"));
    EXPECT_EQ(Read("Bemerkung"), Variant(ByteArray{97, 0, 98, 0}));
    EXPECT_EQ(Read("ProBez"), Variant("Neubau Schule"));
    EXPECT_EQ(Read(3), Variant(id4711));
    EXPECT_TRUE(Read("NNF").IsEmpty());
    EXPECT_EQ(p.Ort(), "München");
    EXPECT_EQ(p.sProjektBez(), "Neubau Schule");
    EXPECT_EQ(p.lProjektId(), id4711);
    EXPECT_EQ(p.sProjektNr(), "4711");
    EXPECT_EQ(p.FlurNr(), "12");  // now a number, as text
    EXPECT_EQ(Read("FlurNr"), Variant(int32_t{12}));
    EXPECT_EQ(p.Gemeinde(), "");  // no longer a column
  }

  // Back to the whole table: the names follow again.
  Execute("DROP TABLE Projekt");
  Execute("ALTER TABLE Alt RENAME TO Projekt");
  id = id4711;
  nr.clear();
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(p.nProjektfieldscount(), 34);
  EXPECT_EQ(Read("NNF"), Variant(1.5));
  EXPECT_EQ(p.FlurNr(), "12");
}

TEST_F(ProjektLadenTest, EmptyRemarksAreAnEmptyByteArray) {
  Execute("UPDATE Projekt SET Bemerkung = '' WHERE Id = " +
          std::to_string(id_bare));
  int32_t id = id_bare;
  std::string nr;
  ASSERT_TRUE(p.bProjektRead(id, nr));
  EXPECT_EQ(Read("BEMERKUNG"), Variant(ByteArray()));
}

TEST_F(ProjektLadenTest, MissingDatabaseIsReportedAfterTheRetries) {
  ASSERT_EQ(std::rename(path.c_str(), (path + ".weg").c_str()), 0);
  int32_t id = 0;
  std::string nr = "4711";
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(p.lProjektErrNum(), 53);
  EXPECT_NE(p.sProjektErrText().find("PROJEKT.VX3DB"), std::string::npos);
  EXPECT_EQ(p.sProjektNr(), "");
  EXPECT_EQ(Pauses(), 20);  // 21 attempts
  EXPECT_EQ(Read(0), Variant());
  EXPECT_EQ(p.lProjektErrNum(), 91);
  EXPECT_EQ(p.sProjektErrText(), StandardDescription(91));

  // Back in place, the next read opens it.
  ASSERT_EQ(std::rename((path + ".weg").c_str(), path.c_str()), 0);
  EXPECT_TRUE(p.bProjektRead(id, nr));
}

TEST_F(ProjektLadenTest, MissingTableIsTheEnginesError) {
  Execute("DROP TABLE Projekt");
  int32_t id = 0;
  std::string nr = "4711";
  EXPECT_FALSE(p.bProjektRead(id, nr));
  EXPECT_EQ(p.lProjektErrNum(), 3078);
  EXPECT_NE(p.sProjektErrText().find("'Projekt'"), std::string::npos);
  EXPECT_EQ(p.sProjektNr(), "4711");
  EXPECT_EQ(Pauses(), 0);
}

}  // namespace
}  // namespace vx
