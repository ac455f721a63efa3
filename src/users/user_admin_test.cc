// Administering the user database.

#include "users/user_admin.h"

#include <gtest/gtest.h>

#include "users/users_test_util.h"

namespace vx {
namespace {

class UserAdminTest : public testing::UsersTest {};

TEST_F(UserAdminTest, UsersComeAndGoWithTheirSingleUserGroups) {
  const int32_t chef = vx::AddUser("chef", "Chef!pw", kBenutzerArtAdmin);
  EXPECT_EQ(testing::RaisedNumber([] { vx::AddUser("Chef", "x", 0); }), 3022);
  const int32_t group = SingleGroup(chef);
  ASSERT_GT(group, 0);
  vx::AddGroup("Planung");
  JoinGroup("Planung", "chef");
  JoinGroup("Planung", "chef");  // once is enough
  SetModuleRight("chef", "PROJ_NEW", true);  // the user's own group
  GrantObject(group, "PR", "4711", true, true, true);
  ASSERT_EQ(ListGroups().size(), 1u);
  EXPECT_EQ(ListGroups()[0].members, std::vector<std::string>{"chef"});

  SetPassword("chef", "neu");
  LockUser("chef", true);
  std::vector<UserRecord> users = ListUsers();
  ASSERT_EQ(users.size(), 1u);
  EXPECT_TRUE(users[0].gesperrt);
  EXPECT_EQ(CheckPassword("neu", users[0].hash, ""), PasswordMatch::kMatch);

  DeleteUser("chef");
  EXPECT_TRUE(ListUsers().empty());
  EXPECT_TRUE(ListGroups()[0].members.empty());
  EXPECT_TRUE(Rights("PR", "4711").empty());
  EXPECT_EQ(UserLong("SELECT Count(*) FROM LNK_BenutzerGrp_RechtModul"), 0);
  EXPECT_EQ(UserLong("SELECT Count(*) FROM BenutzerGrp"), 1);
  EXPECT_EQ(testing::RaisedNumber([] { DeleteUser("chef"); }), 3021);
  EXPECT_EQ(testing::RaisedNumber([] { JoinGroup("Keine", "chef"); }), 3021);
}

TEST_F(UserAdminTest, NobodyIsLockedOutBySwitchingTheAdministrationOn) {
  SetAdministration(false);
  SetAdministration(false);
  EXPECT_EQ(UserLong("SELECT Count(*) FROM RechtDatei"), 1);
  vx::AddUser("bert", "bert123", kBenutzerArtNormal);
  EXPECT_EQ(testing::RaisedNumber([] { SetAdministration(true); }), 3021);
  vx::AddUser("chef", "Chef!pw", kBenutzerArtAdmin);
  LockUser("chef", true);
  EXPECT_EQ(testing::RaisedNumber([] { SetAdministration(true); }), 3021);
  EXPECT_FALSE(AdministrationActive());
  LockUser("chef", false);
  SetAdministration(true);
  EXPECT_TRUE(AdministrationActive());

  SetInheritance(true);
  EXPECT_TRUE(InheritanceOn());
  SetInheritance(false);
  EXPECT_FALSE(InheritanceOn());
}

TEST_F(UserAdminTest, RightsOnAnObjectNameTheirGroups) {
  const int32_t bert = vx::AddUser("bert", "x", 0);
  const int32_t planung = vx::AddGroup("Planung");
  GrantObject(planung, "PR", "O'Neil", true, false, false);
  GrantObject(SingleGroup(bert), "PR", "O'Neil", true, true, true);
  std::vector<ObjectRight> rights = RightsOn("PR", "O'Neil");
  ASSERT_EQ(rights.size(), 2u);
  EXPECT_EQ(rights[0].group, "bert");
  EXPECT_TRUE(rights[0].einzelgruppe && rights[0].besitzer);
  EXPECT_EQ(rights[1].group, "Planung");
  EXPECT_TRUE(rights[1].lesen && !rights[1].schreiben);
}

}  // namespace
}  // namespace vx
