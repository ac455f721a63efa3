// The user administration, rights and current-user components the library
// brings along, on a real user database.

#include <gtest/gtest.h>

#include "users/users_test_util.h"

namespace vx {
namespace {

class DefaultUsersTest : public testing::UsersTest {
 protected:
  void SetUp() override {
    anna = AddUser("Anna", HashPassword("Geheim!"), 1);
    bert = AddUser("Bert", HashPassword("bert123"));
  }

  // Logs `name` in through the login hook; answers VerifyUser.
  int32_t Verify(const std::string& name, const std::string& password) {
    HostHooks hooks;
    hooks.login = [&](const std::string&, std::string& n, std::string& p) {
      n = name;
      p = password;
      return true;
    };
    SetHostHooks(hooks);
    dialog = CreateComponent<UserVerw>();
    EXPECT_TRUE(CBool(dialog->ShowLogin("Login")));
    SetHostHooks({});
    return CLng(dialog->VerifyUser());
  }
  int32_t Failures(int32_t user) {
    return UserLong("SELECT Fehlversuche FROM [User] WHERE Id = " +
                    std::to_string(user));
  }
  bool Holds(int32_t user, const std::string& kuerzel) {
    auto recht = CreateComponent<Recht>();
    recht->UserId(user);
    recht->Kuerzel(kuerzel);
    return CBool(recht->HatRecht());
  }

  int32_t anna = 0, bert = 0;
  std::shared_ptr<UserVerw> dialog;
};

TEST_F(DefaultUsersTest, VerifiesNameAndPassword) {
  EXPECT_EQ(Verify("anna", "Geheim!"), UserVerw::kVerified);
  EXPECT_EQ(dialog->Username(), "Anna");  // as stored
  EXPECT_EQ(CLng(dialog->UserId()), anna);
  int32_t id = anna;
  EXPECT_EQ(CLng(dialog->GetBenutzerArt(id)), 1);
  EXPECT_FALSE(CBool(dialog->IsSuperUser()));
  dialog->Username("SuperUser");
  EXPECT_TRUE(CBool(dialog->IsSuperUser()));

  EXPECT_EQ(Verify("Niemand", "Geheim!"), UserVerw::kUnknownUser);
  EXPECT_EQ(Verify("Bert", "Geheim!"), UserVerw::kWrongPassword);
  EXPECT_EQ(CLng(dialog->UserId()), 0);
  EXPECT_TRUE(host.sleeps.empty());
}

TEST_F(DefaultUsersTest, WrongPasswordsSlowTheNextAttemptsDown) {
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Verify("Bert", "falsch"), UserVerw::kWrongPassword);
  }
  EXPECT_EQ(Failures(bert), 8);
  EXPECT_EQ(host.sleeps, (std::vector<int32_t>{1000, 2000, 4000, 8000, 16000,
                                               30000, 30000}));
  // Another user is not slowed down; a success ends the pauses.
  host.sleeps.clear();
  EXPECT_EQ(Verify("Anna", "Geheim!"), UserVerw::kVerified);
  EXPECT_EQ(Verify("Bert", "bert123"), UserVerw::kVerified);
  EXPECT_EQ(host.sleeps, (std::vector<int32_t>{30000}));
  EXPECT_EQ(Failures(bert), 0);
}

TEST_F(DefaultUsersTest, LockedUsersAndDamagedDataNeverLogIn) {
  UserSql("UPDATE [User] SET Gesperrt = True WHERE Id = " +
          std::to_string(bert));
  EXPECT_EQ(Verify("Bert", "bert123"), UserVerw::kWrongPassword);
  EXPECT_FALSE(Holds(bert, "PROJ_NEW"));

  const int32_t ohne_gruppe = LastId("[User]") + 1;
  UserSql("INSERT INTO [User] (Name, PasswortHash) VALUES ('Carl', " +
          SqlText(HashPassword("carl")) + ")");
  ASSERT_EQ(LastId("[User]"), ohne_gruppe);
  EXPECT_EQ(Verify("Carl", "carl"), UserVerw::kInconsistent);

  AddUser("Dora", "$y$j9T$abgeschnitten");
  EXPECT_EQ(Verify("Dora", "dora"), UserVerw::kInconsistent);
  AddUser("Emil", "");
  EXPECT_EQ(Verify("Emil", ""), UserVerw::kInconsistent);
}

TEST_F(DefaultUsersTest, AnOlderHashIsReplacedAtTheFirstLogin) {
  // The user table as the older template made it.
  UserSql("DROP TABLE [User]");
  UserSql("CREATE TABLE [User] (Id COUNTER, Name TEXT(50) NOT NULL, "
          "PasswortSalz TEXT(32), PasswortHash TEXT(64), BenutzerArt SHORT "
          "DEFAULT 0, Gesperrt YESNO)");
  const int32_t alt = AddUser(
      "Alt", "1e13e99ffe43e1708160d1633af022332cc3e94a95afda3442422ea2124d602a");
  UserSql("UPDATE [User] SET PasswortSalz = 'c0ffee' WHERE Id = " +
          std::to_string(alt));
  EXPECT_EQ(Verify("Alt", "falsch"), UserVerw::kWrongPassword);
  EXPECT_EQ(Failures(alt), 1);
  EXPECT_EQ(Verify("Alt", "Geheim!"), UserVerw::kVerified);
  EXPECT_EQ(host.sleeps, std::vector<int32_t>{1000});
  RsHandle rs = Open(user_db)->OpenRecordset(
      "SELECT PasswortHash, PasswortSalz FROM [User] WHERE Id = " +
      std::to_string(alt));
  const std::string hash = CStr(rs->Fields()[0].Value());
  EXPECT_TRUE(IsCurrentHash(hash));
  EXPECT_TRUE(rs->Fields()[1].Value().IsNull());
  EXPECT_EQ(Verify("Alt", "Geheim!"), UserVerw::kVerified);
}

TEST_F(DefaultUsersTest, WithoutALoginHookNobodyIsAsked) {
  EXPECT_FALSE(CBool(CreateComponent<UserVerw>()->ShowLogin("Login")));
}

TEST_F(DefaultUsersTest, ModuleRightsComeFromTheUsersGroups) {
  const int32_t planung = AddGroup("Planung");
  Join(bert, planung);
  GrantModule(planung, "PROJ_NEW");
  GrantModule(AddGroup("Andere"), "LB_EDIT");
  EXPECT_TRUE(Holds(bert, "PROJ_NEW"));
  EXPECT_TRUE(Holds(bert, "proj_new"));
  EXPECT_FALSE(Holds(bert, "LB_EDIT"));
  EXPECT_FALSE(Holds(bert, "GIBT_ES_NICHT"));
  EXPECT_FALSE(Holds(bert, "' OR ''='"));
  // An administrator holds every right, an unknown user none.
  EXPECT_TRUE(Holds(anna, "GIBT_ES_NICHT"));
  EXPECT_FALSE(Holds(4711, "PROJ_NEW"));
  UserSql("UPDATE [User] SET Gesperrt = True WHERE Id = " +
          std::to_string(anna));
  EXPECT_FALSE(Holds(anna, "PROJ_NEW"));
}

TEST_F(DefaultUsersTest, GrantsGoToTheGroupAndReplaceEarlierOnes) {
  auto grant = [&](int32_t id, bool group, bool l, bool s, bool b) {
    auto berechtigung = CreateComponent<Berechtigung>();
    berechtigung->UserId(id);
    berechtigung->bUserIdIstGrpId(group);
    berechtigung->typ("PR");
    berechtigung->Kuerzel("O'Neil");
    berechtigung->GibBerechtigung(l, s, b);
  };
  const int32_t planung = AddGroup("Planung");
  grant(bert, false, true, true, true);
  grant(planung, true, true, false, false);
  grant(planung, true, true, true, false);
  using R = testing::RightRow;
  EXPECT_EQ(Rights("PR", "O'Neil"),
            (std::vector<R>{{SingleGroup(bert), true, true, true},
                            {planung, true, true, false}}));
  // A user without a single-user group cannot receive rights.
  UserSql("DELETE FROM LNK_User_BenutzerGrp WHERE UserId = " +
          std::to_string(bert));
  EXPECT_NE(testing::RaisedNumber([&] { grant(bert, false, true, true, true); }),
            0);
}

TEST_F(DefaultUsersTest, TheCurrentUserIsSharedByTheWholeProcess) {
  auto one = CreateComponent<AktUser>();
  one->Name("Anna");
  one->Id(anna);
  std::string name;
  int32_t id = 0;
  testing::RunInFreshThread([&] {
    auto other = CreateComponent<AktUser>();
    name = other->Name();
    id = other->Id();
  });
  EXPECT_EQ(name, "Anna");
  EXPECT_EQ(id, anna);
}

}  // namespace
}  // namespace vx
