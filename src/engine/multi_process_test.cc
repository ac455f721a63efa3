// Several users of one database, each a process of its own.
//
// Children are forked before the parent opens the database: a SQLite
// connection must not cross a fork.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "engine/connection.h"
#include "engine/engine_test_util.h"
#include "engine/lock_file.h"
#include "support/second_user.h"

namespace vx::dao {
namespace {

using vx::testing::ScopedUmask;
using testing::ErrorOf;
using testing::kPassword;

// A forked process that runs `body` and reports the number it returns.
// Parent and child talk through two pipes, one byte at a time.
class Child {
 public:
  explicit Child(const std::function<int32_t(Child&)>& body) {
    EXPECT_EQ(pipe(to_child_), 0);
    EXPECT_EQ(pipe(from_child_), 0);
    pid_ = fork();
    if (pid_ == 0) {
      in_child_ = true;
      int32_t result = -1;
      try {
        result = body(*this);
      } catch (const Error& e) {
        result = e.number();
      } catch (...) {
      }
      // The result goes last, after every byte the body sent.
      (void)!write(from_child_[1], &result, sizeof result);
      _exit(0);
    }
  }
  ~Child() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {to_child_[0], to_child_[1], from_child_[0], from_child_[1]}) {
      close(fd);
    }
  }

  void Send(char c) {
    (void)!write(in_child_ ? from_child_[1] : to_child_[1], &c, 1);
  }
  char Receive() {
    char c = 0;
    (void)!read(in_child_ ? to_child_[0] : from_child_[0], &c, 1);
    return c;
  }
  // The number the child's body returned (waits for it to end).
  int32_t Result() {
    int32_t result = -2;
    (void)!read(from_child_[0], &result, sizeof result);
    waitpid(pid_, nullptr, 0);
    waited_ = true;
    return result;
  }
  void Kill() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    waited_ = true;
  }

 private:
  int to_child_[2] = {-1, -1};
  int from_child_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool in_child_ = false;
  bool waited_ = false;
};

class EngineMultiProcess : public testing::EngineFixture {
 protected:
  std::shared_ptr<Database> OpenIn(DBEngine& engine, bool exclusive = false) {
    return engine.OpenDatabase(path_, exclusive, false,
                               std::string(";pwd=") + kPassword);
  }
};

TEST_F(EngineMultiProcess, ExclusiveUseKeepsOtherProcessesOut) {
  // The lock file of the database just closed lingers open without a lock.
  // The child made by fork has no share in it: were this process's next
  // open to lock the very file the child locked, the two locks would be one
  // and the child's exclusive open would not keep this process out.
  Open()->Close();
  // The child holds the database exclusively until told to let go.
  Child holder([&](Child& self) {
    DBEngine engine;
    std::shared_ptr<Database> db = OpenIn(engine, true);
    self.Send('o');
    self.Receive();
    return 0;
  });
  ASSERT_EQ(holder.Receive(), 'o');
  EXPECT_EQ(ErrorOf([&] { Open(); }), kErrOpenedExclusively);
  EXPECT_EQ(ErrorOf([&] { Open(true); }), kErrFileInUse);
  holder.Send('x');
  EXPECT_EQ(holder.Result(), 0);
  EXPECT_NO_THROW(Open());

  // A child with an ordinary open keeps exclusive opens out.
  Child user([&](Child& self) {
    DBEngine engine;
    std::shared_ptr<Database> db = OpenIn(engine);
    self.Send('o');
    self.Receive();
    return 0;
  });
  ASSERT_EQ(user.Receive(), 'o');
  EXPECT_EQ(ErrorOf([&] { Open(true); }), kErrFileInUse);
  user.Send('x');
  EXPECT_EQ(user.Result(), 0);
}

TEST_F(EngineMultiProcess, WrongPasswordIsRefusedInAnotherProcess) {
  Child child([&](Child&) {
    DBEngine engine;
    return ErrorOf([&] { engine.OpenDatabase(path_, false, false, ";pwd=falsch"); });
  });
  EXPECT_EQ(child.Result(), kErrInvalidPassword);
}

TEST_F(EngineMultiProcess, OfTwoUsersChangingOneRowExactlyOneSucceeds) {
  Open()->Execute("INSERT INTO Nummer (Id, Name) VALUES (1, 'frei')");
  for (int round = 0; round < 5; ++round) {
    // Each reads the row and prepares its change; both update only once
    // both have read.
    // (Fresh values each round: a write of what the row holds already
    // changes nothing that the other could notice.)
    auto racer = [&](const std::string& name) {
      return [this, name](Child& self) {
        DBEngine engine;
        std::shared_ptr<Database> db = OpenIn(engine);
        std::shared_ptr<Recordset> rs =
            db->OpenRecordset("SELECT * FROM Nummer WHERE Id = 1");
        rs->Edit();
        rs->Fields()["Name"].SetValue(name);
        self.Send('r');
        self.Receive();
        return ErrorOf([&] { rs->Update(); });
      };
    };
    const std::string one = "erster" + std::to_string(round);
    const std::string two = "zweiter" + std::to_string(round);
    Child first(racer(one));
    Child second(racer(two));
    ASSERT_EQ(first.Receive(), 'r');
    ASSERT_EQ(second.Receive(), 'r');
    first.Send('g');
    second.Send('g');
    const int32_t a = first.Result();
    const int32_t b = second.Result();
    EXPECT_TRUE((a == 0) != (b == 0)) << a << " " << b;
    const int32_t loser = a == 0 ? b : a;
    EXPECT_TRUE(loser == kErrWriteConflict || loser == kErrLocked) << loser;
    std::shared_ptr<Database> db = Open();
    EXPECT_EQ(CStr(db->OpenRecordset("SELECT Name FROM Nummer")->Fields()[0].Value()),
              a == 0 ? one : two);
  }
}

TEST_F(EngineMultiProcess, KilledWriterLeavesEveryRowWholeInTheFile) {
  Open()->Execute(
      "INSERT INTO Nummer (Id, Name) WITH RECURSIVE c(n) AS (SELECT 1 "
      "UNION ALL SELECT n + 1 FROM c WHERE n < 2000) SELECT n, 'v0' FROM c");
  Child writer([&](Child& self) {
    DBEngine engine;
    std::shared_ptr<Database> db = OpenIn(engine);
    for (int version = 1;; ++version) {
      db->Execute("UPDATE Nummer SET Name = 'v" + std::to_string(version) + "'");
      if (version == 1) self.Send('w');
    }
    return 0;
  });
  ASSERT_EQ(writer.Receive(), 'w');
  usleep(30000);
  writer.Kill();

  // Every statement changed all rows in one transaction: whatever the kill
  // interrupted, the rows agree and the file is sound.
  std::shared_ptr<Database> db = Open();
  std::shared_ptr<Recordset> rs = db->OpenRecordset(
      "SELECT Count(*) AS Rows, Count(DISTINCT Name) AS Versions FROM Nummer");
  EXPECT_EQ(CLng(rs->Fields()["Rows"].Value()), 2000);
  EXPECT_EQ(CLng(rs->Fields()["Versions"].Value()), 1);
  db->Close();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &check, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(raw);
}

// Two users of one group share a folder: this process (root, with a
// restrictive umask) and the second user, in processes of their own.
class EngineSharedUse : public testing::EngineFixture {
 protected:
  void SetUp() override {
    user_ = vx::testing::TheSecondUser();
    if (!user_) GTEST_SKIP() << "needs root, to make a second user";
    vx::testing::ShareFolder(*user_, dir_.path());
    ScopedUmask strict(077);
    testing::EngineFixture::SetUp();
  }

  // The second user's open (and `then` on it), in a process of its own;
  // the error number it met, 0 for none.
  int OpenAsSecondUser(bool exclusive,
                       const std::function<void(Database&)>& then = {}) {
    return vx::testing::RunAs(*user_, [&] {
      return ErrorOf([&] {
        DBEngine engine;
        std::shared_ptr<Database> db = OpenIn(engine, exclusive);
        if (then) then(*db);
      });
    });
  }
  std::shared_ptr<Database> OpenIn(DBEngine& engine, bool exclusive = false) {
    return engine.OpenDatabase(path_, exclusive, false,
                               std::string(";pwd=") + kPassword);
  }

  std::optional<vx::testing::SecondUser> user_;
};

TEST_F(EngineSharedUse, MembersOfTheGroupWorkSideBySide) {
  struct stat info;
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0660u);
  EXPECT_EQ(info.st_gid, user_->shared_group);

  ScopedUmask strict(077);
  {
    // The journal of a write is the other user's to read and remove.
    std::shared_ptr<Connection> connection =
        Connection::Open(path_, false, false, std::string(";pwd=") + kPassword);
    connection->InWriteTransaction([&] {
      connection->Prepare("INSERT INTO Nummer (Id, Name) VALUES (1, 'eins')")
          .Step();
      struct stat journal;
      ASSERT_EQ(stat((path_ + "-journal").c_str(), &journal), 0);
      EXPECT_EQ(journal.st_mode & 0777, 0660u);
      EXPECT_EQ(journal.st_gid, user_->shared_group);
    });
  }

  std::shared_ptr<Database> mine = Open();  // makes the lock file
  EXPECT_EQ(OpenAsSecondUser(false, [](Database& db) {
              db.Execute("INSERT INTO Nummer (Id, Name) VALUES (2, 'zwei')");
            }),
            0);
  EXPECT_EQ(OpenAsSecondUser(true), kErrFileInUse);
  mine->Close();
  mine = Open(true);
  EXPECT_EQ(OpenAsSecondUser(false), kErrOpenedExclusively);
  mine->Close();
  EXPECT_EQ(OpenAsSecondUser(true), 0);
  EXPECT_EQ(CLng(Open()->OpenRecordset("SELECT Count(*) FROM Nummer")
                     ->Fields()[0].Value()),
            2);
}

TEST_F(EngineSharedUse, ALockFileLeftByAKilledProcessKeepsNobodyOut) {
  Child holder([&](Child& self) {
    ScopedUmask strict(077);
    DBEngine engine;
    std::shared_ptr<Database> db = OpenIn(engine, true);
    self.Send('o');
    self.Receive();
    return 0;
  });
  ASSERT_EQ(holder.Receive(), 'o');
  EXPECT_EQ(OpenAsSecondUser(false), kErrOpenedExclusively);
  holder.Kill();
  ASSERT_EQ(access(LockFile::PathFor(path_).c_str(), F_OK), 0);  // left behind
  EXPECT_FALSE(LockFile::InUse(path_));
  EXPECT_EQ(OpenAsSecondUser(true), 0);
  EXPECT_EQ(OpenAsSecondUser(false), 0);
}

}  // namespace
}  // namespace vx::dao
