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

}  // namespace
}  // namespace vx
