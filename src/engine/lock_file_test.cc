#include "engine/lock_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/engine_test_util.h"
#include "platform/shared_files.h"

namespace vx::dao {
namespace {

using vx::testing::ScopedUmask;
using testing::ErrorOf;

TEST(EngineLockFile, NamesTheFileBesideTheDatabase) {
  EXPECT_EQ(LockFile::PathFor("/d/PROJEKT.VX3DB"), "/d/PROJEKT.VXLDB");
  EXPECT_EQ(LockFile::PathFor("/d/~KV1A2B.TMP"), "/d/~KV1A2B.LDB");
  EXPECT_EQ(LockFile::PathFor("/d/Übersicht.mdb"), "/d/Übersicht.LDB");
}

TEST(EngineLockFile, InUseWhileAnybodyHoldsTheDatabase) {
  vx::testing::TempDir dir;
  const std::string database = dir.File("DB.VX3DB");
  EXPECT_FALSE(LockFile::InUse(database));
  {
    std::unique_ptr<LockFile> shared =
        LockFile::Acquire(database, "DB", false, false);
    EXPECT_TRUE(LockFile::InUse(database));
    // Asking takes nothing away: others still come in beside the holder.
    std::unique_ptr<LockFile> second =
        LockFile::Acquire(database, "DB", false, false);
    EXPECT_TRUE(LockFile::InUse(database));
  }
  EXPECT_FALSE(LockFile::InUse(database));
  // A lock file left behind by nobody means nothing.
  vx::testing::WriteFile(LockFile::PathFor(database), "");
  EXPECT_FALSE(LockFile::InUse(database));
}

// The locks belong to each open, not to the process: two opens in one
// process exclude each other, and closing one leaves the other's lock; and
// they are record locks, which is what NFS and SMB carry to the server.
TEST(EngineLockFile, EachOpenHoldsItsOwnRecordLock) {
  vx::testing::TempDir dir;
  const std::string database = dir.File("DB.VX3DB");
  std::unique_ptr<LockFile> first = LockFile::Acquire(database, "DB", false, false);
  std::unique_ptr<LockFile> second = LockFile::Acquire(database, "DB", false, false);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", true, false); }),
            kErrFileInUse);
  first.reset();
  EXPECT_TRUE(LockFile::InUse(database));
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", true, false); }),
            kErrFileInUse);

  vx::FileDescriptor probe_fd(open(LockFile::PathFor(database).c_str(), O_RDWR));
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(probe_fd.get(), F_GETLK, &probe), 0);
  EXPECT_EQ(probe.l_type, F_RDLCK);

  second.reset();
  std::unique_ptr<LockFile> exclusive = LockFile::Acquire(database, "DB", true, false);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", false, false); }),
            kErrOpenedExclusively);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", true, false); }),
            kErrFileInUse);
}

// A database closed normally leaves its lock file open without a lock for a
// moment: nobody is kept out, nobody sees the database in use, and the next
// open in this process takes its lock on the same file.  The file goes when
// the lingering ends, unless somebody holds it; one removed meanwhile is
// made anew.
TEST(EngineLockFile, AClosedDatabaseLingersWithoutALock) {
  vx::testing::TempDir dir;
  const std::string database = dir.File("DB.VX3DB");
  const std::string lock_path = LockFile::PathFor(database);
  LockFile::Linger(LockFile::Acquire(database, "DB", false, false));
  struct stat lingering;
  ASSERT_EQ(stat(lock_path.c_str(), &lingering), 0);
  EXPECT_FALSE(LockFile::InUse(database));
  std::unique_ptr<LockFile> exclusive = LockFile::Acquire(database, "DB", true, false);
  struct stat taken;
  ASSERT_EQ(stat(lock_path.c_str(), &taken), 0);
  EXPECT_EQ(taken.st_ino, lingering.st_ino);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", false, false); }),
            kErrOpenedExclusively);
  LockFile::Linger(std::move(exclusive));
  LockFile::EndLingering();
  EXPECT_NE(access(lock_path.c_str(), F_OK), 0);

  LockFile::Linger(LockFile::Acquire(database, "DB", false, false));
  ASSERT_EQ(unlink(lock_path.c_str()), 0);  // by another last holder
  std::unique_ptr<LockFile> held = LockFile::Acquire(database, "DB", false, false);
  EXPECT_TRUE(LockFile::InUse(database));
  LockFile::Linger(LockFile::Acquire(database, "DB", false, false));
  LockFile::EndLingering();
  EXPECT_TRUE(LockFile::InUse(database));
  held.reset();
  EXPECT_NE(access(lock_path.c_str(), F_OK), 0);

  // Nobody takes it: it goes at the next open or close after the while.
  const std::string other = dir.File("OTHER.VX3DB");
  LockFile::Linger(LockFile::Acquire(database, "DB", false, false));
  std::this_thread::sleep_for(std::chrono::milliseconds(LockFile::kLingerMs + 50));
  LockFile::Linger(LockFile::Acquire(other, "OTHER", false, false));
  EXPECT_NE(access(lock_path.c_str(), F_OK), 0);
  LockFile::EndLingering();
  EXPECT_NE(access(LockFile::PathFor(other).c_str(), F_OK), 0);
}

// Whoever may use the database may use its lock file: it takes the
// database's group, and read and write for each class of users that has any
// access to the database, whatever the creator's umask.
TEST(EngineLockFile, TakesTheGroupAndAccessOfTheDatabase) {
  vx::testing::TempDir dir;
  const std::string database = dir.File("DB.VX3DB");
  vx::testing::WriteFile(database, "x");
  ASSERT_EQ(chmod(database.c_str(), 0640), 0);
  const bool root = geteuid() == 0;
  const gid_t group = 4242;
  if (root) {
    ASSERT_EQ(chown(database.c_str(), static_cast<uid_t>(-1), group), 0);
  }
  ScopedUmask strict(077);
  std::unique_ptr<LockFile> lock = LockFile::Acquire(database, "DB", false, false);
  struct stat info;
  ASSERT_EQ(stat(LockFile::PathFor(database).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0660u);
  if (root) {
    EXPECT_EQ(info.st_gid, group);
  }
}

// A lock file replaced by a symbolic link is never opened through it: an
// exclusive open does not truncate the link's target, and a dangling link
// does not make an open create its target.
TEST(EngineLockFile, NeverOpensALink) {
  vx::testing::TempDir dir;
  const std::string database = dir.File("DB.VX3DB");
  const std::string lock_path = LockFile::PathFor(database);
  vx::testing::WriteFile(dir.File("victim"), "keep me");
  ASSERT_EQ(symlink(dir.File("victim").c_str(), lock_path.c_str()), 0);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", true, false); }),
            kErrCannotOpenFile);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", false, true); }),
            kErrCannotOpenFile);
  EXPECT_EQ(vx::testing::ReadFile(dir.File("victim")), "keep me");
  EXPECT_FALSE(LockFile::InUse(database));

  ASSERT_EQ(unlink(lock_path.c_str()), 0);
  ASSERT_EQ(symlink(dir.File("absent").c_str(), lock_path.c_str()), 0);
  EXPECT_EQ(ErrorOf([&] { LockFile::Acquire(database, "DB", false, false); }),
            kErrCannotOpenFile);
  EXPECT_NE(access(dir.File("absent").c_str(), F_OK), 0);
}

// Nor is a journal: one replaced by a link makes the write fail, and the
// link's target stays as it was or is not made.
class EngineLinkedJournal : public testing::EngineFixture {};

TEST_F(EngineLinkedJournal, IsNeverWrittenThrough) {
  const std::string journal = path_ + "-journal";
  vx::testing::WriteFile(dir_.File("victim"), "keep me");
  for (const std::string& target : {dir_.File("victim"), dir_.File("absent")}) {
    ASSERT_EQ(symlink(target.c_str(), journal.c_str()), 0);
    EXPECT_NE(ErrorOf([&] {
                Open()->Execute("INSERT INTO Nummer (Id, Name) VALUES (1, 'x')");
              }),
              0);
    ASSERT_EQ(unlink(journal.c_str()), 0);
  }
  EXPECT_EQ(vx::testing::ReadFile(dir_.File("victim")), "keep me");
  EXPECT_NE(access(dir_.File("absent").c_str(), F_OK), 0);
  EXPECT_EQ(ErrorOf([&] {
              Open()->Execute("INSERT INTO Nummer (Id, Name) VALUES (1, 'x')");
            }),
            0);
}

// Holders come and go while the file is removed and made anew under them;
// an exclusive holder must never meet a shared one, which is what happens
// when a newcomer locks a file that its last holder has just unlinked.
TEST(EngineLockFile, ExclusiveHoldersNeverMeetOthers) {
  vx::testing::TempDir dir;
  const std::string database = dir.File("DB.VX3DB");
  std::atomic<int> shared_holders{0};
  std::atomic<int> exclusive_holders{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> exclusive_turns{0};

  auto worker = [&](bool exclusive) {
    for (int i = 0; i < 200; ++i) {
      try {
        std::unique_ptr<LockFile> lock =
            LockFile::Acquire(database, "DB", exclusive, false);
        std::atomic<int>& mine = exclusive ? exclusive_holders : shared_holders;
        ++mine;
        exclusive_turns += exclusive ? 1 : 0;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        if (exclusive_holders > 1 || (exclusive_holders > 0 && shared_holders > 0)) {
          ++overlaps;
        }
        --mine;
      } catch (const Error& e) {
        EXPECT_TRUE(e.number() == kErrFileInUse ||
                    e.number() == kErrOpenedExclusively)
            << e.number();
      }
    }
  };
  std::vector<std::thread> threads;
  for (bool exclusive : {true, false, false, true, false}) {
    threads.emplace_back(worker, exclusive);
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(overlaps, 0);
  EXPECT_GT(exclusive_turns, 0);
  struct stat info;
  EXPECT_NE(stat(LockFile::PathFor(database).c_str(), &info), 0);  // removed
}

}  // namespace
}  // namespace vx::dao
