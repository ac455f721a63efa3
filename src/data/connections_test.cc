// OpenDb's retry rule, ExecuteMitDb and the close helpers, against real
// database files and a host that counts what the loop does.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "data/connections.h"
#include "engine/dao_errors.h"
#include "engine/schema.h"
#include "platform/module_state.h"
#include "support/fake_host.h"
#include "support/installation.h"
#include "support/second_user.h"
#include "vx_taluvek/components.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

using testing::FakeHost;
using testing::Installation;
using testing::RunInFreshThread;

// The attempts OpenDb made: each failed one shows the hourglass before it
// decides whether to go on (the existence test of the fifth pauses too, so
// the pauses do not count them).
long Attempts(const FakeHost& host) {
  return std::count(host.pointer_history.begin(), host.pointer_history.end(),
                    kPointerHourglass);
}

class ConnectionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_path = inst.File("PROJEKT.VX3DB");
    dao::CreateDatabase(db_path, "CREATE TABLE T (Id COUNTER, Name TEXT(20));",
                        kSuitePassword);
  }

  DbHandle Open(const std::string& path, bool raise = false,
                bool exclusive = false) {
    Variant connect(kBareConnect);
    return OpenDb(path, exclusive, Variant(false), connect, raise);
  }

  Installation inst;
  FakeHost host;
  std::string db_path;
};

TEST_F(ConnectionsTest, OpensWithTheCompletedPassword) {
  host.mouse_pointer = 3;
  Variant connect(";pwd=");
  DbHandle db = OpenDb(db_path, false, Variant(false), connect, true);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(connect, Variant(std::string(";pwd=") + kSuitePassword));
  EXPECT_TRUE(host.sleeps.empty());
  EXPECT_EQ(host.mouse_pointer, 3);
  EXPECT_FALSE(Err().IsSet());
  EXPECT_TRUE(CloseDb(db));
  EXPECT_EQ(db, nullptr);
}

TEST_F(ConnectionsTest, OtherConnectTextsPassUnchanged) {
  for (const char* text : {";PWD=", "", ";pwd=falsch"}) {
    Variant connect(text);
    EXPECT_EQ(OpenDb(db_path, false, Variant(false), connect, false), nullptr);
    EXPECT_EQ(connect, Variant(text));
    EXPECT_FALSE(Err().IsSet());
  }
  // A wrong password is no reason to stop early: all eight attempts.
  host.pointer_history.clear();
  Variant connect(";pwd=falsch");
  try {
    OpenDb(db_path, false, Variant(false), connect, true);
    FAIL() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 3031);
  }
  EXPECT_EQ(Attempts(host), 8);
}

TEST_F(ConnectionsTest, EmptyNameMakesNoAttempt) {
  EXPECT_EQ(Open("", true), nullptr);
  EXPECT_FALSE(Err().IsSet());
  EXPECT_EQ(Attempts(host), 0);
  EXPECT_TRUE(host.sleeps.empty());
}

TEST_F(ConnectionsTest, MissingFileEndsAtTheFifthAttemptWith53) {
  host.mouse_pointer = 1;
  std::string missing = inst.File("FEHLT.VX3DB");
  EXPECT_EQ(Open(missing), nullptr);
  EXPECT_FALSE(Err().IsSet());
  EXPECT_EQ(Attempts(host), 5);
  EXPECT_EQ(host.mouse_pointer, 1);  // restored

  host.pointer_history.clear();
  try {
    Open(missing, true);
    FAIL() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), "Datei nicht gefunden  " + missing);
  }
  EXPECT_EQ(Attempts(host), 5);
  EXPECT_EQ(host.mouse_pointer, 1);
}

TEST_F(ConnectionsTest, ExclusiveHolderEndsAtTheFifthAttemptWith3356) {
  auto holder = DbEngine().OpenDatabase(db_path, Variant(true), Variant(false),
                                        Variant(std::string(kBareConnect) +
                                                kSuitePassword));
  try {
    Open(db_path, true);
    FAIL() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), kErrExclusivelyOpened);
  }
  EXPECT_EQ(Attempts(host), 5);
  holder->Close();
  DbHandle db = Open(db_path, true);
  EXPECT_NE(db, nullptr);
  CloseDb(db);
}

// A database the user may not read is there all the same: the engine's
// "cannot open" with its path, after all the attempts a locked file gets,
// not "not found" (which would also end the loop early).
TEST_F(ConnectionsTest, AnUnreadableDatabaseIsReportedAsSuchWithItsPath) {
  ASSERT_EQ(chmod(db_path.c_str(), 0600), 0);
  auto attempt = [&] {
    try {
      Open(db_path, true);
    } catch (const Error& e) {
      if (e.description().find(db_path) == std::string::npos) return -3;
      return static_cast<int>(e.number() * 10 + Attempts(host));
    }
    return 0;
  };
  int outcome;
  if (geteuid() == 0) {
    std::optional<testing::SecondUser> user = testing::TheSecondUser();
    if (!user) GTEST_SKIP() << "no second user";
    testing::ShareFolder(*user, inst.home());
    outcome = testing::RunAs(*user, attempt);
  } else {
    ASSERT_EQ(chmod(db_path.c_str(), 0), 0);
    outcome = attempt();
  }
  EXPECT_EQ(outcome, 3051 * 10 + 8);
}

// A server access component whose database kind the test sets, counting
// how often it is asked.
class CountingServerAccess : public ServerAccess {
 public:
  explicit CountingServerAccess(int32_t kind) : kind_(kind) {}
  int32_t DatenbankArt() override {
    ++asked;
    return kind_;
  }
  static inline std::atomic<int> asked{0};

 private:
  int32_t kind_;
};

class ScopedServerKind {
 public:
  explicit ScopedServerKind(int32_t kind) {
    CountingServerAccess::asked = 0;
    previous_ = RegisterComponent(ServerAccess::kProgramId, [kind] {
      return std::make_shared<CountingServerAccess>(kind);
    });
  }
  ~ScopedServerKind() { RegisterComponent(ServerAccess::kProgramId, previous_); }

 private:
  ComponentFactory previous_;
};

TEST_F(ConnectionsTest, OnADatabaseServerAFailingOpenEndsAfterThreeAttempts) {
  ScopedServerKind server(2);
  inst.WriteSettings("[Server]\nVerbindung=host=/nonexistent/vx dbname=vx\n");
  std::string missing = inst.File("FEHLT.VX3LV");
  RunInFreshThread([&] {
    try {
      Open(missing, true);
      FAIL() << "no error raised";
    } catch (const Error& e) {
      // The server's error, before the existence test.
      EXPECT_EQ(e.number(), dao::kErrConnectionFailed);
    }
  });
  // The third attempt ends the loop before it shows the hourglass, and
  // before the existence test: two pauses, no more.
  EXPECT_EQ(Attempts(host), 2);
  EXPECT_EQ(host.sleeps.size(), 2u);
}

TEST_F(ConnectionsTest, ServerKindIsCachedOnceItIsOneOrMore) {
  {
    ScopedServerKind server(0);
    RunInFreshThread([] {
      int16_t kind = -1;
      EXPECT_FALSE(IsServerMode(kind));
      EXPECT_FALSE(IsServerMode(kind));
      EXPECT_EQ(kind, 0);
    });
    EXPECT_EQ(CountingServerAccess::asked, 2);
  }
  {
    ScopedServerKind server(1);
    RunInFreshThread([] {
      int16_t kind = -1;
      EXPECT_FALSE(IsServerMode(kind));
      EXPECT_FALSE(IsServerMode(kind));
      EXPECT_EQ(kind, 1);
    });
    EXPECT_EQ(CountingServerAccess::asked, 1);
  }
}

TEST_F(ConnectionsTest, DefaultServerAccessReadsTheSettingsFile) {
  RunInFreshThread([] {
    int16_t kind = -1;
    EXPECT_FALSE(IsServerMode(kind));
    EXPECT_EQ(kind, 0);
  });
  inst.WriteSettings("[Server]\nDatenbankArt=2\n");
  RunInFreshThread([] {
    int16_t kind = 0;
    EXPECT_TRUE(IsServerMode(kind));
    EXPECT_EQ(kind, 2);
  });
}

TEST_F(ConnectionsTest, ExecuteMitDbOpensOnlyWhenGivenNoHandle) {
  DbHandle none;
  int32_t error = -1;
  EXPECT_EQ(ExecuteMitDb(db_path, "INSERT INTO T (Name) VALUES ('a')", false,
                         none, error),
            1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(none, nullptr);
  // Closed again: an exclusive open now succeeds.
  DbHandle exclusive = Open(db_path, true, true);
  EXPECT_NE(exclusive, nullptr);
  CloseDb(exclusive);

  // A handle of the caller's is used and stays open.
  DbHandle db = Open(db_path, true);
  EXPECT_EQ(ExecuteMitDb("", "UPDATE T SET Name = 'b'", false, db, error), 1);
  EXPECT_EQ(error, 0);
  ASSERT_NE(db, nullptr);
  RsHandle rs = db->OpenRecordset("SELECT Name FROM T");
  EXPECT_EQ(rs->Fields()[0].Value(), Variant("b"));
  EXPECT_TRUE(CloseRs(rs));
  EXPECT_EQ(rs, nullptr);
  CloseDb(db);
}

TEST_F(ConnectionsTest, ExecuteMitDbReportsFailuresWithoutRaising) {
  DbHandle none;
  int32_t error = 0;
  EXPECT_EQ(ExecuteMitDb(db_path, "UPDATE Fehlt SET X = 1", false, none, error),
            0);
  EXPECT_NE(error, 0);
  EXPECT_EQ(ExecuteMitDb(inst.File("FEHLT.VX3DB"), "DELETE * FROM T", false,
                         none, error),
            0);
  EXPECT_EQ(error, 91);  // the open failed quietly; no database to run on
}

TEST_F(ConnectionsTest, ClosingNothingOrTwiceSucceeds) {
  DbHandle db;
  RsHandle rs;
  EXPECT_TRUE(CloseDb(db));
  EXPECT_TRUE(CloseRs(rs));
  EXPECT_THROW(CloseDbHandle(db), Error);

  db = Open(db_path, true);
  DbHandle same = db;
  db->Close();
  EXPECT_TRUE(CloseDb(same));  // the engine refuses; the handle goes anyway
  EXPECT_EQ(same, nullptr);
  EXPECT_FALSE(Err().IsSet());
}

TEST_F(ConnectionsTest, DesignModeIsOffInADeliveredBuild) {
#ifndef VX_DESIGN_MODE
  EXPECT_FALSE(IsDesign());
#endif
  Err().Set(5);
  IsDesign();
  EXPECT_EQ(Err().Number(), 5);
  Err().Clear();
}

}  // namespace
}  // namespace vx
