// Creating projects: the right to, the new row, the creator's rights, the
// database made from its template, and two processes at once.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "project/projekt_dispatch.h"
#include "users/users_test_util.h"
#include "vx_taluvek/cls_projekt.h"

namespace vx {
namespace {

using R = testing::RightRow;

class ProjektNeuTest : public testing::UsersTest {
 protected:
  void SetUp() override {
    bert = AddUser("Bert", HashPassword("bert123"));
    planung = AddGroup("Planung");
    Join(bert, planung);
    GrantModule(planung, "PROJ_NEW");
  }
  int32_t Rows(const std::string& where = "") {
    RsHandle rs = Open(projekt_db)->OpenRecordset(
        "SELECT Count(*) FROM Projekt" + (where.empty() ? "" : " WHERE " + where));
    return CLng(rs->Fields()[0].Value());
  }
  Variant Stored(int32_t id, const std::string& column) {
    RsHandle rs = Open(projekt_db)->OpenRecordset(
        "SELECT " + column + " FROM Projekt WHERE Id = " + std::to_string(id));
    return rs->Eof() ? Variant::Null() : rs->Fields()[0].Value();
  }
  int32_t bert = 0, planung = 0;
};

TEST_F(ProjektNeuTest, AnUnnumberedProjectIsGrantedAtItsFirstSave) {
  State().lUserId = bert;
  ProjektSql("INSERT INTO Projektverwaltung (ID, ParentKey) VALUES (7, 0)");
  const int32_t bauleitung = AddGroup("Bauleitung");
  GrantObject(bauleitung, "ST", "7", true, false, false);
  Inheritance(true);

  cls_Projekt p;
  int32_t id = 0;
  std::string nr;
  bool rv = false;
  ASSERT_TRUE(p.bProjektNeu(id, nr, rv));
  const std::string placeholder = "<Neues Projekt>" + std::to_string(bert);
  EXPECT_EQ(nr, placeholder);
  EXPECT_GT(id, 0);
  EXPECT_EQ(p.lProjektId(), id);
  EXPECT_EQ(p.sProjektNr(), "");  // the instance's project is unchanged
  EXPECT_EQ(Stored(id, "ProNr"), Variant(placeholder));
  EXPECT_EQ(Stored(id, "IsRVProj"), Variant(false));
  EXPECT_TRUE(Rights("PR", placeholder).empty());

  // Numbered and filed under node 7 by the caller, then saved.
  ASSERT_TRUE(p.bProjektRead(id, nr));
  Variant nummer("O'Neil"), column("ProNr"), node(7), struktur("StrukturId");
  ASSERT_TRUE(p.bProjektDatenWrite(nummer, column));
  ASSERT_TRUE(p.bProjektDatenWrite(node, struktur));
  ASSERT_TRUE(p.bProjWrite(id, nr));
  EXPECT_EQ(Rights("PR", "O'Neil"),
            (std::vector<R>{{SingleGroup(bert), true, true, true},
                            {bauleitung, true, false, false}}));
  // Saved again: nothing new.
  GrantObject(AddGroup("Spaeter"), "ST", "7", true, true, true);
  ASSERT_TRUE(p.bProjWrite(id, nr));
  EXPECT_EQ(Rights("PR", "O'Neil").size(), 2u);
}

TEST_F(ProjektNeuTest, ANumberedProjectIsTheCreatorsAtOnce) {
  State().lUserId = bert;
  cls_Projekt p;
  int32_t id = 0;
  std::string nr = "4711";
  bool rv = true;
  ASSERT_TRUE(p.bProjektNeu(id, nr, rv));
  EXPECT_EQ(Stored(id, "IsRVProj"), Variant(true));
  EXPECT_EQ(Rights("PR", "4711"),
            (std::vector<R>{{SingleGroup(bert), true, true, true}}));
  // The library does not check numbers: a second 4711 is a second row.
  int32_t second = 0;
  ASSERT_TRUE(p.bProjektNeu(second, nr, rv));
  EXPECT_NE(second, id);
  EXPECT_EQ(Rows("ProNr = '4711'"), 2);
  EXPECT_EQ(Rights("PR", "4711").size(), 1u);
}

TEST_F(ProjektNeuTest, AFailedInheritanceDoesNotUndoTheCreation) {
  State().lUserId = bert;
  Inheritance(true);
  ProjektSql("INSERT INTO Projekt (ProNr, StrukturId) VALUES ('4711', 7)");
  // Asked while the user database was there; then it goes away.
  ASSERT_TRUE(bUserVerwAktiv(false) && bVererbungAn(false));
  ASSERT_TRUE(bHatRecht(bert, "PROJ_NEW", false, ""));
  std::filesystem::rename(user_db, user_db + ".weg");
  cls_Projekt p;
  int32_t id = 0;
  std::string nr = "4711";
  bool rv = false;
  EXPECT_TRUE(p.bProjektNeu(id, nr, rv));
  EXPECT_GT(id, 0);
  EXPECT_EQ(p.lProjektErrNum(), 0);
  EXPECT_EQ(Rows("ProNr = '4711'"), 2);
}

TEST_F(ProjektNeuTest, WithoutTheRightNothingIsAdded) {
  const int32_t carl = AddUser("Carl", HashPassword("carl"));
  State().lUserId = carl;
  cls_Projekt p;
  int32_t id = 99;
  ASSERT_FALSE(p.bProjektNeu(id));
  EXPECT_EQ(id, 99);
  EXPECT_EQ(p.lProjektErrNum(), 0);
  EXPECT_EQ(Rows(), 0);
  ASSERT_EQ(host.message_boxes.size(), 1u);
  EXPECT_EQ(host.message_boxes[0].prompt,
            "Sie haben nicht das Recht diese Aktion auszuführen:\n"
            "'Projekt neu anlegen'");
  EXPECT_EQ(host.message_boxes[0].title, "Rechteüberprüfung   [PROJ_NEW]");
}

TEST_F(ProjektNeuTest, NobodyLoggedInLogsInFirst) {
  cls_Projekt p;
  int32_t id = 0;
  // Nobody to ask: the login gives up at once, and nothing is added.
  EXPECT_FALSE(p.bProjektNeu(id));
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(host.message_boxes.empty());

  int asked = 0;
  HostHooks hooks;
  hooks.login = [&](const std::string& caption, std::string& name,
                    std::string& password) {
    EXPECT_EQ(caption, "Login KORVANT AVA");
    name = "bert";
    password = ++asked == 1 ? "falsch" : "bert123";
    return asked <= 2;
  };
  SetHostHooks(hooks);
  const bool created = p.bProjektNeu(id);
  SetHostHooks({});
  ASSERT_TRUE(created);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(host.message_boxes.size(), 1u);  // the wrong password
  EXPECT_EQ(State().lUserId, bert);
  EXPECT_EQ(State().sUserName, "Bert");
  EXPECT_EQ(Stored(id, "ProNr"),
            Variant("<Neues Projekt>" + std::to_string(bert)));
}

TEST_F(ProjektNeuTest, AMissingDatabaseIsMadeFromItsTemplate) {
  SwitchAdministrationOff();
  std::filesystem::remove(projekt_db);
  cls_Projekt p;
  int32_t id = 5;
  EXPECT_FALSE(p.bProjektNeu(id));  // no template either
  EXPECT_EQ(id, 5);
  EXPECT_FALSE(std::filesystem::exists(projekt_db));

  dao::CreateDatabase(strukturen + "/PRJSTRUK.VX3DB", SchemaScript("PRJSTRUK"),
                      kSuitePassword);
  std::string nr;
  bool rv = false;
  ASSERT_TRUE(p.bProjektNeu(id, nr, rv));
  EXPECT_EQ(nr, "<Neues Projekt>0");  // nobody logged in, nobody needed
  EXPECT_EQ(Rows(), 1);
  // An existing database is never replaced.
  cls_Projekt q;
  ASSERT_TRUE(q.bProjektNeu(id));
  EXPECT_EQ(Rows(), 2);
  for (const auto& entry : std::filesystem::directory_iterator(projekt)) {
    EXPECT_EQ(entry.path().string().find("~KV"), std::string::npos);
  }
}

TEST_F(ProjektNeuTest, TwoProcessesCreateAtTheSameMoment) {
  SwitchAdministrationOff();
  constexpr int kEach = 15;
  pid_t children[2];
  for (pid_t& child : children) {
    child = fork();
    if (child == 0) {
      SetCurrentHost(nullptr);  // pauses that really wait, as in a program
      bool ok = true;
      cls_Projekt p;
      for (int i = 0; i < kEach; ++i) {
        int32_t id = 0;
        if (!p.bProjektNeu(id) || id <= 0) {
          std::fprintf(stderr, "%d %s\n", p.lProjektErrNum(),
                       p.sProjektErrText().c_str());
          ok = false;
        }
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(Rows(), 2 * kEach);
  RsHandle rs = Open(projekt_db)->OpenRecordset("SELECT Id FROM Projekt");
  std::set<int32_t> ids;
  for (; !rs->Eof(); rs->MoveNext()) ids.insert(CLng(rs->Fields()[0].Value()));
  EXPECT_EQ(ids.size(), 2u * kEach);
}

TEST_F(ProjektNeuTest, LateBoundWithOptionalArgumentsWrittenBack) {
  State().lUserId = bert;
  std::shared_ptr<Dispatch> object = NewProjektDispatch();
  std::vector<Variant> args = {Variant(int32_t{0})};
  ASSERT_EQ(object->InvokeByName("bprojektneu", kInvokeMethod, args),
            Variant(true));
  const int32_t first = CLng(args[0]);
  EXPECT_GT(first, 0);
  args = {Variant(int32_t{0}), Variant(""), Variant::Missing()};
  ASSERT_EQ(object->InvokeByName("bProjektNeu", kInvokeMethod, args),
            Variant(true));
  EXPECT_EQ(args[1], Variant("<Neues Projekt>" + std::to_string(bert)));
  EXPECT_TRUE(args[2].IsMissing());
  args = {Variant("0"), Variant(int32_t{4712}), Variant("True")};
  ASSERT_EQ(object->InvokeByName("bProjektNeu", kInvokeMethod, args),
            Variant(true));
  EXPECT_EQ(args[1], Variant("4712"));
  EXPECT_EQ(args[2], Variant(true));
  EXPECT_EQ(Stored(CLng(args[0]), "IsRVProj"), Variant(true));
}

}  // namespace
}  // namespace vx
