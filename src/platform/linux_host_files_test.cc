// The host's file operations on real folders: what a copy's target takes
// from its folder or from the file it replaces, exclusive placement, and
// the errors the library's callers tell apart.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/linux_host.h"
#include "support/test_support.h"

namespace vx {
namespace {

using testing::RaisedNumber;
using testing::ReadFile;
using testing::WriteFile;

mode_t PermissionsOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

class HostFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(dir.File("quelle"), "neu"); }
  testing::TempDir dir;
  LinuxHost host;
};

TEST_F(HostFilesTest, CopiesTakeTheModeOfTheFolderOrOfTheReplacedFile) {
  const mode_t old_mask = umask(077);
  ASSERT_EQ(chmod(dir.path().c_str(), 02775), 0);
  host.CopyFile(dir.File("quelle"), dir.File("neu"), {});
  EXPECT_EQ(PermissionsOf(dir.File("neu")), 0664u);
  WriteFile(dir.File("alt"), "alt");
  ASSERT_EQ(chmod(dir.File("alt").c_str(), 0640), 0);
  host.CopyFile(dir.File("quelle"), dir.File("alt"), {});
  EXPECT_EQ(PermissionsOf(dir.File("alt")), 0640u);
  EXPECT_EQ(ReadFile(dir.File("alt")), "neu");
  host.CreateFolders(dir.File("a/b"));
  EXPECT_EQ(PermissionsOf(dir.File("a/b")), 02775u);
  umask(old_mask);
}

TEST_F(HostFilesTest, ErrorsAndExclusivePlacement) {
  WriteFile(dir.File("da"), "da");
  CopyOptions keep;
  keep.replace_existing = false;
  EXPECT_EQ(RaisedNumber([&] { host.CopyFile(dir.File("quelle"), dir.File("da"), keep); }),
            58);
  EXPECT_EQ(ReadFile(dir.File("da")), "da");
  CopyOptions refuse;
  refuse.before_replace = [](const std::string&) { Raise(70); };
  EXPECT_EQ(RaisedNumber([&] { host.CopyFile(dir.File("quelle"), dir.File("da"), refuse); }),
            70);
  EXPECT_EQ(ReadFile(dir.File("da")), "da");
  EXPECT_EQ(RaisedNumber([&] { host.CopyFile(dir.File("fehlt"), dir.File("x"), {}); }),
            53);
  EXPECT_EQ(RaisedNumber([&] { host.CopyFile(dir.File("quelle"), dir.File("nein/x"), {}); }),
            76);
  EXPECT_EQ(RaisedNumber([&] { host.CopyFile(dir.File("quelle"), dir.path(), {}); }),
            75);
  std::filesystem::create_directory(dir.File("ordner"));
  EXPECT_EQ(RaisedNumber([&] { host.DeleteFile(dir.File("ordner")); }), 75);
  EXPECT_EQ(RaisedNumber([&] { host.DeleteFile(dir.File("fehlt")); }), 53);
  EXPECT_EQ(RaisedNumber([&] { host.MoveToTrash(dir.File("fehlt")); }), 53);
  EXPECT_EQ(RaisedNumber([&] { host.RenameFile(dir.File("fehlt"), dir.File("y")); }),
            53);
  // Nothing but the files named is left: no temporary copies.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            3);
  host.MoveFile(dir.File("da"), dir.File("ordner/da"));
  EXPECT_EQ(ReadFile(dir.File("ordner/da")), "da");
}

}  // namespace
}  // namespace vx
