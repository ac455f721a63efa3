// The login, with doubles of the user administration and the rights
// component that record the order of their use.

#include "users/login.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "users/users_test_util.h"

namespace vx {
namespace {

using testing::ScopedComponent;

std::vector<std::string> calls;  // what the doubles were asked, in order

struct DialogDouble : UserVerw {
  static inline std::deque<bool> confirm;  // ShowLogin answers; then false
  static inline std::deque<int32_t> verify;
  static inline bool art_fails = false;
  Variant ShowLogin(const std::string& caption) override {
    calls.push_back("ShowLogin " + caption);
    if (confirm.empty()) return false;
    bool answer = confirm.front();
    confirm.pop_front();
    return answer;
  }
  Variant VerifyUser() override {
    int32_t answer = verify.empty() ? 0 : verify.front();
    if (!verify.empty()) verify.pop_front();
    calls.push_back("VerifyUser " + std::to_string(answer));
    if (answer == kVerified) name = "Bert";
    return answer;
  }
  std::string Username() override { return name; }
  void Username(const std::string& value) override {
    calls.push_back("Username " + value);
    name = value;
  }
  Variant UserId() override { return name == "Bert" ? 12 : 0; }
  Variant IsSuperUser() override { return false; }
  Variant IsSuperReader() override { return true; }
  Variant GetBenutzerArt(int32_t& id) override {
    if (art_fails) Raise(3021);
    return id == 12 ? 2 : 0;
  }
  std::string name;
};

struct RechtDouble : Recht {
  static inline bool holds = true;
  void UserId(int32_t value) override { user = value; }
  void Kuerzel(const std::string& value) override { key = value; }
  Variant HatRecht() override {
    calls.push_back("HatRecht " + std::to_string(user) + " " + key);
    return holds;
  }
  int32_t user = 0;
  std::string key;
};

class LoginTest : public testing::UsersTest {
 protected:
  LoginTest()
      : dialog_(UserVerw::kProgramId,
                [] {
                  calls.push_back("new UserVerw");
                  return std::make_shared<DialogDouble>();
                }),
        recht_(Recht::kProgramId, [] {
          calls.push_back("new Recht");
          return std::make_shared<RechtDouble>();
        }) {
    calls.clear();
    DialogDouble::confirm.clear();
    DialogDouble::verify.clear();
    DialogDouble::art_fails = false;
    RechtDouble::holds = true;
  }
  std::vector<std::string> Prompts() {
    std::vector<std::string> prompts;
    for (const auto& box : host.message_boxes) prompts.push_back(box.prompt);
    return prompts;
  }
  ScopedComponent dialog_;
  ScopedComponent recht_;
};

TEST_F(LoginTest, WithoutAnActiveAdministrationNobodyLogsIn) {
  SwitchAdministrationOff();
  EXPECT_TRUE(LoginOk("", false, false));
  EXPECT_TRUE(LoginOk("PROJ_NEW", false, false));
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(State().lUserId, 0);
  // The user administration itself can always be started through a login.
  EXPECT_FALSE(LoginOk(kModulUserVerwaltung, false, false));
  EXPECT_EQ(calls, (std::vector<std::string>{"new UserVerw", "new Recht",
                                             "ShowLogin Login Userverwaltung"}));
}

TEST_F(LoginTest, TheDialogComesAgainUntilTheUserIsVerified) {
  DialogDouble::confirm = {true, true, true, true, true, true};
  DialogDouble::verify = {1, 2, 3, 0, 5, 4};
  host.mouse_pointer = 11;
  ASSERT_TRUE(LoginOk("PROJ_NEW", false, false));
  EXPECT_EQ(host.beeps, 2);
  EXPECT_EQ(std::count(host.pointer_history.begin(),
                       host.pointer_history.end(), 0),
            5);
  const std::vector<std::string> prompts = Prompts();
  ASSERT_EQ(prompts.size(), 3u);
  EXPECT_EQ(prompts[0],
            "Das System konnte Sie nicht anmelden. Der Benutzer konnte nicht "
            "gefunden werden.");
  EXPECT_EQ(prompts[1],
            "Das System konnte Sie nicht anmelden. Überprüfen Sie das "
            "Passwort!\r\nBei Passwörtern wird die Groß-/Kleinschreibung "
            "beachtet.\r\nStellen Sie sicher, daß die FESTELLTASTE nicht "
            "versehentlich aktiviert ist!");
  EXPECT_EQ(prompts[2],
            "Die Integrität der Userverwaltung wurde verletzt.\r\n\r\nBitte "
            "wenden Sie sich an Ihren Administrator!");
  for (const auto& box : host.message_boxes) {
    EXPECT_EQ(box.title, "Login KORVANT AVA");
    EXPECT_EQ(box.style, 0x1030);
  }
  EXPECT_EQ(calls.back(), "Username Bert");
  EXPECT_EQ(calls[calls.size() - 2], "HatRecht 12 PROJ_NEW");
  const ModuleState& s = State();
  EXPECT_EQ(s.lUserId, 12);
  EXPECT_EQ(s.sUserName, "Bert");
  EXPECT_TRUE(s.bIsSuperReader);
  EXPECT_EQ(s.lBenutzerArt, 2);
  EXPECT_EQ(CreateComponent<AktUser>()->Id(), 12);

  // Taken over by the next login, without a dialog.
  calls.clear();
  testing::RunInFreshThread([] {
    EXPECT_TRUE(LoginOk("", false, false));
    EXPECT_EQ(State().lUserId, 12);
  });
  EXPECT_EQ(calls, (std::vector<std::string>{"new UserVerw", "new Recht",
                                             "Username Bert"}));
}

TEST_F(LoginTest, CancelOrNobodyToAnswerEndsTheLogin) {
  DialogDouble::confirm = {true, true};
  DialogDouble::verify = {2, 2};
  EXPECT_FALSE(LoginOk("", false, false));
  EXPECT_EQ(State().lUserId, 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "ShowLogin Login KORVANT AVA"),
            3);
}

TEST_F(LoginTest, AMissingModuleRightIsRefused) {
  DialogDouble::confirm = {true};
  DialogDouble::verify = {4};
  RechtDouble::holds = false;
  EXPECT_FALSE(LoginOk("LB_EDIT", true, false));
  EXPECT_EQ(Prompts(), (std::vector<std::string>{
                           "User: 'Bert'\r\nNicht genügend Rechte um dieses "
                           "Modul zu starten!"}));
  EXPECT_EQ(State().lUserId, 0);
  EXPECT_TRUE(KeptRecht());  // kept as asked, for later checks
  // Still logged in through AktUser: no second dialog.
  calls.clear();
  RechtDouble::holds = true;
  EXPECT_TRUE(LoginOk("LB_EDIT", false, false));
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "ShowLogin Login KORVANT AVA"),
            0);
}

TEST_F(LoginTest, TheUserAdministrationAsksForAnotherName) {
  auto user = CreateComponent<AktUser>();
  user->Name("Carl");
  user->Id(30);
  DialogDouble::confirm = {true, true};
  DialogDouble::verify = {4, 4};
  RechtDouble::holds = false;
  host.message_box_answer = kMsgCancel;
  // A user other than the super user logs in again; without the right and
  // without another name, nothing.
  EXPECT_FALSE(LoginOk(kModulUserVerwaltung, false, false));
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].style, 0x1001);
  EXPECT_EQ(host.message_boxes[0].title, "Benutzerverwaltung");

  // Another name with the right: logged in on this thread only.
  host.message_boxes.clear();
  user->Name("Carl");
  user->Id(30);
  host.message_box_answer = kMsgOk;
  calls.clear();
  struct Holder : RechtDouble {
    Variant HatRecht() override {
      RechtDouble::HatRecht();
      return user == 12;
    }
  };
  ScopedComponent holder(Recht::kProgramId,
                         [] { return std::make_shared<Holder>(); });
  DialogDouble::confirm = {true, true};
  DialogDouble::verify = {4, 4};
  EXPECT_TRUE(LoginOk(kModulUserVerwaltung, false, true));
  EXPECT_EQ(State().lUserId, 12);
  EXPECT_EQ(CreateComponent<AktUser>()->Id(), 30);  // not written
  EXPECT_EQ(calls[0], "new UserVerw");
  EXPECT_EQ(calls[1], "HatRecht 30 UV_START");
  EXPECT_EQ(calls[2], "ShowLogin Login KORVANT AVA");
}

TEST_F(LoginTest, TheSuperUserStartsTheAdministrationWithoutADialog) {
  auto user = CreateComponent<AktUser>();
  user->Name("superUser");
  user->Id(1);
  DialogDouble::art_fails = true;
  EXPECT_TRUE(LoginOk(kModulUserVerwaltung, false, false));
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& c) {
                            return c.starts_with("ShowLogin");
                          }),
            0);
  EXPECT_EQ(State().lUserId, 1);  // the kind could not be had: still in
}

TEST_F(LoginTest, AComponentThatCannotBeCreatedIsAnError) {
  ScopedComponent missing(UserVerw::kProgramId, nullptr);
  EXPECT_FALSE(LoginOk("", false, false));
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Es ist ein Fehler beim Login aufgetreten.");
  EXPECT_EQ(host.message_boxes[0].style, 0x1010);
  EXPECT_FALSE(Err().IsSet());
}

}  // namespace
}  // namespace vx
