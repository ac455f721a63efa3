#include "engine/lock_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/engine_test_util.h"

namespace vx::dao {
namespace {

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
