// Rights queries: whether the administration is active, bHatRecht with its
// messages, the lookups, and inheriting rights.

#include "users/rights_queries.h"

#include <gtest/gtest.h>

#include "users/rights_grant.h"
#include "users/users_test_util.h"

namespace vx {
namespace {

using testing::ScopedComponent;
using R = testing::RightRow;

// A rights component that answers what the test says and counts its use.
struct CountingRecht : Recht {
  static inline int created = 0;
  static inline Variant answer = true;
  static inline std::vector<std::pair<int32_t, std::string>> asked;
  void UserId(int32_t value) override { user = value; }
  void Kuerzel(const std::string& value) override { key = value; }
  Variant HatRecht() override {
    asked.emplace_back(user, key);
    return answer;
  }
  int32_t user = 0;
  std::string key;
};

class RightsQueriesTest : public testing::UsersTest {
 protected:
  RightsQueriesTest()
      : recht_(Recht::kProgramId, [] {
          ++CountingRecht::created;
          return std::make_shared<CountingRecht>();
        }) {
    CountingRecht::created = 0;
    CountingRecht::answer = true;
    CountingRecht::asked.clear();
  }
  ScopedComponent recht_;
};

TEST_F(RightsQueriesTest, AnInactiveAdministrationGrantsEverything) {
  SwitchAdministrationOff();
  EXPECT_TRUE(bHatRecht(12, "PROJ_NEW", true, ""));
  EXPECT_TRUE(bHatRecht(0, "UV_START", true, ""));
  EXPECT_EQ(CountingRecht::created, 0);
  EXPECT_TRUE(host.message_boxes.empty());

  // A missing user database or table makes it inactive too.
  testing::RunInFreshThread([&] {
    UserSql("DROP TABLE RechtDatei");
    EXPECT_FALSE(bUserVerwAktiv(false));
    std::remove(user_db.c_str());
    EXPECT_FALSE(RechtDateiLeer());
  });
}

TEST_F(RightsQueriesTest, TheAnswerIsKeptForTheThread) {
  EXPECT_TRUE(bUserVerwAktiv(false));
  SwitchAdministrationOff();
  EXPECT_TRUE(bUserVerwAktiv(false));
  EXPECT_FALSE(bUserVerwAktiv(true));
  Inheritance(true);
  EXPECT_TRUE(bVererbungAn(false));
  Inheritance(false);
  EXPECT_TRUE(bVererbungAn(false));
  EXPECT_FALSE(bVererbungAn(true));
  testing::RunInFreshThread([] { EXPECT_FALSE(bUserVerwAktiv(false)); });
}

TEST_F(RightsQueriesTest, RefusalsAreShownWithTheirKey) {
  CountingRecht::answer = Variant(int16_t{0});
  EXPECT_FALSE(bHatRecht(12, "PROJ_NEW", true, ""));
  EXPECT_FALSE(bHatRecht(12, "LB_EDIT", true, "'Projekt neu anlegen'"));
  EXPECT_FALSE(bHatRecht(12, "LB_EDIT", false, ""));
  EXPECT_EQ(CountingRecht::created, 3);  // one each call
  ASSERT_EQ(host.message_boxes.size(), 2u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Sie haben nicht das Recht diese Aktion auszuführen!");
  EXPECT_EQ(host.message_boxes[0].title, "Rechteüberprüfung   [PROJ_NEW]");
  EXPECT_EQ(host.message_boxes[0].style, 0x1030);
  EXPECT_EQ(host.message_boxes[1].prompt,
            "Sie haben nicht das Recht diese Aktion auszuführen:\n"
            "'Projekt neu anlegen'");

  CountingRecht::answer = "Wahr?";  // no boolean: an error in the check
  host.message_boxes.clear();
  EXPECT_FALSE(bHatRecht(12, "PROJ_NEW", true, ""));
  ASSERT_EQ(host.message_boxes.size(), 2u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Es ist ein Fehler bei der Rechteüberprüfung aufgetreten. "
            "(PROJ_NEW)");
  EXPECT_EQ(host.message_boxes[0].style, 0x1010);
  EXPECT_EQ(host.message_boxes[1].title, "Rechteüberprüfung   [PROJ_NEW]");
  EXPECT_FALSE(Err().IsSet());
}

TEST_F(RightsQueriesTest, NobodyLoggedInHoldsNoRight) {
  EXPECT_FALSE(bHatRecht(0, "PROJ_NEW", false, ""));
  EXPECT_EQ(CountingRecht::created, 0);
  EXPECT_TRUE(bHatRecht(7, "PROJ_NEW", false, ""));
  EXPECT_EQ(CountingRecht::asked,
            (std::vector<std::pair<int32_t, std::string>>{{7, "PROJ_NEW"}}));
}

TEST_F(RightsQueriesTest, Lookups) {
  ProjektSql("INSERT INTO Projektverwaltung (ParentKey) VALUES (0)");
  ProjektSql("INSERT INTO Projektverwaltung (ID, ParentKey) VALUES (40000, 1)");
  ProjektSql("INSERT INTO Projekt (ProNr, StrukturId) VALUES ('O''Neil', 40000)");
  EXPECT_EQ(GetStrukturId("O'Neil"), 40000);
  EXPECT_EQ(GetStrukturId("4711"), 0);
  EXPECT_EQ(GetParentKey(40000), 1);
  EXPECT_EQ(GetParentKey(1), 0);
  EXPECT_EQ(GetParentKey(2), 0);

  DbHandle none;
  EXPECT_EQ(GetAdminGrpListe(none), "");
  const int32_t anna = AddUser("Anna", "", 1);
  AddUser("Bert", "");
  const int32_t carl = AddUser("Carl", "", 1);
  const std::string list = std::to_string(SingleGroup(anna)) + ", " +
                           std::to_string(SingleGroup(carl));
  EXPECT_EQ(GetAdminGrpListe(none), list);
  EXPECT_FALSE(none);
  DbHandle db = Open(user_db);
  EXPECT_EQ(GetAdminGrpListe(db), list);
  EXPECT_TRUE(db);  // the caller's stays open
  EXPECT_EQ(GetEinzelGrpId(4711, db), 0);
}

// Inheriting rights, with the real rights components.
class InheritanceTest : public testing::UsersTest {
 protected:
  void SetUp() override {
    Inheritance(true);
    anna = AddUser("Anna", "", 1);
    bert = AddUser("Bert", "");
    State().lUserId = bert;
    planung = AddGroup("Planung");
    bauleitung = AddGroup("Bauleitung");
    ProjektSql("INSERT INTO Projektverwaltung (ID, ParentKey) VALUES (7, 0)");
    ProjektSql("INSERT INTO Projektverwaltung (ID, ParentKey) VALUES (40000, 7)");
    // The node's rights: two groups, the creator's own and an admin's.
    for (const char* node : {"7", "40000"}) {
      GrantObject(planung, "ST", node, true, true, false);
      GrantObject(bauleitung, "ST", node, true, false, false);
      GrantObject(SingleGroup(bert), "ST", node, true, true, true);
      GrantObject(SingleGroup(anna), "ST", node, true, true, true);
    }
  }
  int32_t anna = 0, bert = 0, planung = 0, bauleitung = 0;
};

TEST_F(InheritanceTest, AProjectInheritsFromItsNodeWithoutCreatorAndAdmins) {
  ProjektSql("INSERT INTO Projekt (ProNr, StrukturId) VALUES ('O''Neil', 40000)");
  RechteVererben("PR", "O'Neil");
  EXPECT_EQ(Rights("PR", "O'Neil"),
            (std::vector<R>{{planung, true, true, false},
                            {bauleitung, true, false, false}}));
  // A node past 32767 inherits from its parent.
  RechteVererben("ST", "40000");
  EXPECT_EQ(Rights("ST", "40000").size(), 4u);
  ProjektSql("INSERT INTO Projektverwaltung (ID, ParentKey) VALUES (70000, 40000)");
  RechteVererben("ST", "70000");
  EXPECT_EQ(Rights("ST", "70000"),
            (std::vector<R>{{planung, true, true, false},
                            {bauleitung, true, false, false}}));
  // A file inherits from its project.
  RechteVererben("EK", "O'Neil.VX3EK");
  EXPECT_EQ(Rights("EK", "O'Neil.VX3EK").size(), 2u);
}

TEST_F(InheritanceTest, NothingIsInheritedWhereThereIsNoParent) {
  ProjektSql("INSERT INTO Projekt (ProNr) VALUES ('4711')");
  const int32_t before = UserLong("SELECT Count(*) FROM LNK_BenutzerGrp_RechtDatei");
  for (const auto& [typ, key] : std::vector<std::pair<std::string, std::string>>{
           {"PR", "4711"}, {"PR", "4712"}, {"ST", "7"}, {"ST", "sieben"},
           {"ST", "99999999999"}, {"BR", "_A__Brief"}, {"BR", "_Brief.VX3BR"},
           {"EK", "4711.VX3RB"}, {"", ""}, {"XX", "7"}}) {
    RechteVererben(typ, key);
    EXPECT_EQ(UserLong("SELECT Count(*) FROM LNK_BenutzerGrp_RechtDatei"),
              before)
        << typ << " " << key;
  }
  // Nor while inheritance is off.
  ProjektSql("INSERT INTO Projekt (ProNr, StrukturId) VALUES ('4713', 7)");
  Inheritance(false);
  bVererbungAn(true);
  RechteVererben("PR", "4713");
  EXPECT_TRUE(Rights("PR", "4713").empty());
}

TEST_F(InheritanceTest, ALibraryGetsTheModuleRightsOfTheCreatorsGroups) {
  Join(bert, planung);
  Join(bert, bauleitung);
  GrantModule(planung, "LB_START");
  GrantModule(planung, "LB_EDIT");
  GrantModule(bauleitung, "LB_START");
  GrantModule(SingleGroup(bert), "LB_EDIT");  // single-user groups do not count
  GrantModule(AddGroup("Fremde"), "LB_EDIT");
  RechteVererben("LB", "Stahlbau");
  EXPECT_EQ(Rights("LB", "Stahlbau"),
            (std::vector<R>{{planung, true, true, false},
                            {bauleitung, true, false, false}}));
}

}  // namespace
}  // namespace vx
