#include "platform/shared_files.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_support.h"

namespace vx {
namespace {

using testing::ScopedUmask;
mode_t PermissionsOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(SharedFilesTest, NewFilesTakeTheModeOfTheirFolderOrFileNotTheUmask) {
  testing::TempDir dir;
  ScopedUmask strict(077);
  ASSERT_EQ(chmod(dir.path().c_str(), 02775), 0);
  FileDescriptor beside_folder(
      CreateSharedFile(dir.File("a.VXLDB"), dir.path(), O_RDWR));
  ASSERT_GE(beside_folder.get(), 0);
  EXPECT_EQ(PermissionsOf(dir.File("a.VXLDB")), 0664u);

  testing::WriteFile(dir.File("b.VX3DB"), "x");
  ASSERT_EQ(chmod(dir.File("b.VX3DB").c_str(), 0660), 0);
  FileDescriptor like_file(
      CreateSharedFile(dir.File("b.VXLDB"), dir.File("b.VX3DB"), O_RDWR));
  ASSERT_GE(like_file.get(), 0);
  EXPECT_EQ(PermissionsOf(dir.File("b.VXLDB")), 0660u);

  // Without a model the umask rules, as for any new file.
  FileDescriptor plain(CreateSharedFile(dir.File("c"), "", O_RDWR));
  ASSERT_GE(plain.get(), 0);
  EXPECT_EQ(PermissionsOf(dir.File("c")), 0600u);
}

TEST(SharedFilesTest, NeverCreatesThroughALinkNorOverAnExistingFile) {
  testing::TempDir dir;
  testing::WriteFile(dir.File("victim"), "keep");
  ASSERT_EQ(symlink(dir.File("victim").c_str(), dir.File("link").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("absent").c_str(), dir.File("dangling").c_str()), 0);

  EXPECT_EQ(CreateSharedFile(dir.File("link"), dir.path(), O_RDWR), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(CreateSharedFile(dir.File("dangling"), dir.path(), O_RDWR), -1);
  EXPECT_EQ(access(dir.File("absent").c_str(), F_OK), -1);
  EXPECT_EQ(CreateSharedFile(dir.File("victim"), dir.path(), O_RDWR), -1);
  EXPECT_EQ(testing::ReadFile(dir.File("victim")), "keep");
}

TEST(SharedFilesTest, FileDescriptorMovesAndClosesOnce) {
  testing::TempDir dir;
  FileDescriptor first(CreateSharedFile(dir.File("f"), "", O_RDWR));
  const int fd = first.get();
  FileDescriptor second(std::move(first));
  EXPECT_EQ(first.get(), -1);
  EXPECT_EQ(second.get(), fd);
  EXPECT_TRUE(second.Close());
  EXPECT_EQ(fcntl(fd, F_GETFD), -1);
}

}  // namespace
}  // namespace vx
