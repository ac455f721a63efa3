// Several users of one project database, each a process of its own: the
// lock flag under contention, and saves cut short by a killed process.
//
// Children are forked before anything opens the database and make their own
// cls_Projekt: a SQLite connection must not cross a fork.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "project/projekt_test_util.h"

namespace vx {
namespace {

// What a child reports of one attempt to lock.
struct LockOutcome {
  int32_t locked;
  int32_t error_number;
};

class ProjektMultiProcessTest : public testing::ProjektTest {
 protected:
  // PRAGMA integrity_check of the file, through SQLite itself.
  std::string IntegrityCheck() {
    sqlite3* db = nullptr;
    EXPECT_EQ(
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    std::string answer =
        sqlite3_step(check) == SQLITE_ROW
            ? reinterpret_cast<const char*>(sqlite3_column_text(check, 0))
            : "no answer";
    sqlite3_finalize(check);
    sqlite3_close(db);
    return answer;
  }
};

TEST_F(ProjektMultiProcessTest, OfEightUsersLockingAtOnceExactlyOneWins) {
  constexpr int kUsers = 8;
  constexpr int kRounds = 200;
  const int32_t id = Add("4711");
  int results[2];
  ASSERT_EQ(pipe(results), 0);
  std::vector<int> go(kUsers);
  std::vector<pid_t> children;
  for (int u = 0; u < kUsers; ++u) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[1]);
      cls_Projekt p;
      char c = 0;
      // One attempt per byte: each round starts when the parent writes to
      // every child at once.
      while (read(fds[0], &c, 1) == 1) {
        int32_t project = id;
        std::string nr;
        const LockOutcome outcome{p.bProjektLock(project, nr) ? 1 : 0,
                                  p.lProjektErrNum()};
        (void)!write(results[1], &outcome, sizeof outcome);
      }
      _exit(0);
    }
    close(fds[0]);
    go[static_cast<size_t>(u)] = fds[1];
    children.push_back(pid);
  }
  close(results[1]);

  cls_Projekt admin;
  for (int round = 0; round < kRounds; ++round) {
    for (int fd : go) ASSERT_EQ(write(fd, "g", 1), 1);
    int winners = 0;
    for (int u = 0; u < kUsers; ++u) {
      LockOutcome outcome{};
      ASSERT_EQ(read(results[0], &outcome, sizeof outcome),
                static_cast<ssize_t>(sizeof outcome));
      winners += outcome.locked;
      if (!outcome.locked) {
        // Refused by the flag, or beaten to the row by the winner's update.
        EXPECT_TRUE(outcome.error_number == -20 ||
                    outcome.error_number == 3197 ||
                    outcome.error_number == 3218)
            << "round " << round << ": " << outcome.error_number;
      }
    }
    ASSERT_EQ(winners, 1) << "round " << round;
    ASSERT_EQ(Stored(id, "SatzLockKZ"), Variant(true));
    ASSERT_TRUE(admin.bProjektUnLockAll());
    ASSERT_EQ(Stored(id, "SatzLockKZ"), Variant(false));
  }
  for (int fd : go) close(fd);
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  close(results[0]);
}

TEST_F(ProjektMultiProcessTest, SavesKilledMidwayLeaveEveryRowWhole) {
  constexpr int kRounds = 30;
  const int32_t id =
      Add("4711", "NNF, FF, VF, LastUser, ProBez", "0, 0, 0, 0, '0'");
  const int32_t bystander = Add("4712", "ProBez", "'unberührt'");
  std::mt19937 random(20240305);
  int32_t acknowledged = 0;
  for (int round = 0; round < kRounds; ++round) {
    int saved[2];
    ASSERT_EQ(pipe(saved), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(saved[0]);
      cls_Projekt p;
      int32_t project = id;
      std::string nr;
      if (!p.bProjektRead(project, nr)) _exit(1);
      Variant column("NNF");
      int32_t counter = CLng(p.vProjektDatenRead(column));
      for (;;) {
        ++counter;
        for (const char* name : {"NNF", "FF", "VF", "LastUser", "ProBez"}) {
          Variant value(counter);
          Variant target(name);
          p.bProjektDatenWrite(value, target);
        }
        if (p.bProjWrite(project, nr)) {
          (void)!write(saved[1], &counter, sizeof counter);
        } else {
          --counter;  // the same value again, so that saves stay one apart
        }
      }
    }
    close(saved[1]);
    // Killed at a random moment after its first save.
    int32_t counter = 0;
    ASSERT_EQ(read(saved[0], &counter, sizeof counter),
              static_cast<ssize_t>(sizeof counter));
    acknowledged = counter;
    usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    while (read(saved[0], &counter, sizeof counter) ==
           static_cast<ssize_t>(sizeof counter)) {
      acknowledged = counter;
    }
    close(saved[0]);

    ASSERT_EQ(IntegrityCheck(), "ok") << "round " << round;
    // The row is as its last acknowledged save left it, or as the save in
    // flight wrote it whole.
    const int32_t stored = CLng(Stored(id, "NNF"));
    EXPECT_TRUE(stored == acknowledged || stored == acknowledged + 1)
        << "round " << round << ": " << stored << " after " << acknowledged;
    for (const char* name : {"FF", "VF", "LastUser", "ProBez"}) {
      EXPECT_EQ(CLng(Stored(id, name)), stored) << name << " round " << round;
    }
    acknowledged = stored;
  }
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Stored(bystander, "ProBez"), Variant("unberührt"));
}

// What a child reports of one save.
struct SaveOutcome {
  int32_t saved;
  int32_t error_number;
};

// A child process that runs `work` for each byte its parent sends and
// answers with what `work` gives back.
class Child {
 public:
  template <typename Work>
  Child(int results, Work work) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[1]);
      char c = 0;
      while (read(fds[0], &c, 1) == 1) {
        const SaveOutcome outcome = work(c);
        (void)!write(results, &outcome, sizeof outcome);
      }
      _exit(0);
    }
    close(fds[0]);
    go_ = fds[1];
  }
  void Go(char c) const { EXPECT_EQ(write(go_, &c, 1), 1); }

  // Ends the children: each ends when no process holds its pipe any more,
  // and later children hold the pipes of earlier ones.  Answers whether all
  // ended well.
  static bool EndAll(std::vector<Child>& children) {
    for (Child& child : children) close(child.go_);
    bool well = true;
    for (Child& child : children) {
      int status = 0;
      waitpid(child.pid_, &status, 0);
      well = well && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return well;
  }

 private:
  pid_t pid_ = 0;
  int go_ = -1;
};

SaveOutcome ReadOutcome(int results) {
  SaveOutcome outcome{-1, -1};
  EXPECT_EQ(read(results, &outcome, sizeof outcome),
            static_cast<ssize_t>(sizeof outcome));
  return outcome;
}

// Two users read one project, then save at the same moment: changes of
// different columns both stay; of two changes of the same column exactly
// one is saved and the other user is told that another user changed it.
TEST_F(ProjektMultiProcessTest, TwoUsersSavingOneProjectLoseNoChange) {
  constexpr int kRounds = 40;
  const int32_t id = Add("4711", "ProBez, NNF", "'0', 0");
  int results[2];
  ASSERT_EQ(pipe(results), 0);
  std::vector<Child> users;
  for (int u = 0; u < 2; ++u) {
    users.emplace_back(results[1], [id, u, round = 0, p = std::make_shared<cls_Projekt>()](char c) mutable {
      int32_t project = id;
      std::string nr;
      if (c == 'r') {  // read
        return SaveOutcome{p->bProjektRead(project, nr) ? 1 : 0, 0};
      }
      ++round;
      // 'd': user 0 changes the name, user 1 the area; 's': both the name.
      Variant column(c == 'd' && u == 1 ? "NNF" : "ProBez");
      Variant value(round * 10 + u);
      p->bProjektDatenWrite(value, column);
      return SaveOutcome{p->bProjWrite(project, nr) ? 1 : 0,
                         p->lProjektErrNum()};
    });
  }
  for (int round = 1; round <= kRounds; ++round) {
    for (const Child& user : users) user.Go('r');
    for (size_t u = 0; u < users.size(); ++u) {
      ASSERT_EQ(ReadOutcome(results[0]).saved, 1);
    }
    const bool same_column = round % 2 == 0;
    for (const Child& user : users) user.Go(same_column ? 's' : 'd');
    std::vector<SaveOutcome> outcomes;
    for (size_t u = 0; u < users.size(); ++u) {
      outcomes.push_back(ReadOutcome(results[0]));
    }
    const int saved = outcomes[0].saved + outcomes[1].saved;
    if (same_column) {
      ASSERT_EQ(saved, 1) << "round " << round;
      const SaveOutcome& lost = outcomes[0].saved ? outcomes[1] : outcomes[0];
      EXPECT_EQ(lost.error_number, 3197) << "round " << round;
      const int32_t name = CLng(Stored(id, "ProBez"));
      EXPECT_TRUE(name == round * 10 || name == round * 10 + 1) << name;
    } else {
      ASSERT_EQ(saved, 2) << "round " << round << ": "
                          << outcomes[0].error_number << " "
                          << outcomes[1].error_number;
      // The children report in any order; either child's value is its own.
      EXPECT_EQ(Stored(id, "ProBez"), Variant(CStr(Variant(round * 10))));
      EXPECT_EQ(Stored(id, "NNF"), Variant(round * 10 + 1.0));
    }
  }
  EXPECT_TRUE(Child::EndAll(users));
  close(results[0]);
  close(results[1]);
}

// Sixteen users save their own projects at the same moment: each waits its
// turn for the write lock, none fails.
TEST_F(ProjektMultiProcessTest, SixteenUsersSavingTheirProjectsAllSucceed) {
  constexpr int kUsers = 16;
  constexpr int kSaves = 15;
  std::vector<int32_t> ids;
  for (int u = 0; u < kUsers; ++u) {
    ids.push_back(Add("P" + std::to_string(u), "NNF", "0"));
  }
  int results[2];
  ASSERT_EQ(pipe(results), 0);
  std::vector<Child> users;
  for (int u = 0; u < kUsers; ++u) {
    users.emplace_back(results[1], [id = ids[static_cast<size_t>(u)]](char) {
      cls_Projekt p;
      int32_t project = id;
      std::string nr;
      SaveOutcome outcome{0, 0};
      if (!p.bProjektRead(project, nr)) return SaveOutcome{0, p.lProjektErrNum()};
      for (int n = 1; n <= kSaves; ++n) {
        Variant column("NNF");
        Variant value(n);
        p.bProjektDatenWrite(value, column);
        if (!p.bProjWrite(project, nr)) {
          return SaveOutcome{outcome.saved, p.lProjektErrNum()};
        }
        ++outcome.saved;
      }
      return outcome;
    });
  }
  for (const Child& user : users) user.Go('g');
  for (int u = 0; u < kUsers; ++u) {
    const SaveOutcome outcome = ReadOutcome(results[0]);
    EXPECT_EQ(outcome.saved, kSaves) << "error " << outcome.error_number;
  }
  for (int32_t id : ids) EXPECT_EQ(Stored(id, "NNF"), Variant(double{kSaves}));
  EXPECT_TRUE(Child::EndAll(users));
  close(results[0]);
  close(results[1]);
}

}  // namespace
}  // namespace vx
