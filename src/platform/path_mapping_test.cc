#include "platform/path_mapping.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/text.h"
#include "support/test_support.h"
#include "vx_taluvek/error.h"

namespace vx {
namespace {

std::optional<std::string> TestDrives(const std::string& drive) {
  if (EqualsNoCase(drive, "T:")) return "/mnt/t/";
  if (EqualsNoCase(drive, "\\\\Server\\Share")) return "/srv/share";
  if (EqualsNoCase(drive, "E:")) return "";  // an entry without a folder
  return std::nullopt;
}

int32_t ErrorOfMapping(const std::string& path) {
  try {
    ToHostPath(path, TestDrives);
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(ToHostPathTest, MapsPrefixesSeparatorsAndDriveRoots) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Daten\\PROJEKT.VX3DB", "/Daten/PROJEKT.VX3DB"},
      {"c:", "/"},
      {"C:\\", "/"},
      {"C:Daten", "/Daten"},
      {"t:\\a\\\\b\\", "/mnt/t/a/b/"},
      {"T:", "/mnt/t"},
      {"T:\\", "/mnt/t"},
      {"\\\\SERVER\\share\\P\\x", "/srv/share/P/x"},
      {"//server/share", "/srv/share"},
      {"\\tmp\\x", "/tmp/x"},
      {"/tmp//x/", "/tmp/x/"},
      {"rel\\x", "rel/x"},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(ToHostPath(path, TestDrives), expected) << path;
  }
}

TEST(ToHostPathTest, UnknownDrivesAndSharesRaisePathNotFound) {
  for (const char* path : {"Q:\\x", "E:\\x", "\\\\other\\share\\x",
                           "\\\\server", "\\\\server\\", "\\\\\\share"}) {
    EXPECT_EQ(ErrorOfMapping(path), 76) << path;
  }
}

TEST(MatchNameCaseTest, FindsExistingNamesInAnyCase) {
  testing::TempDir dir;
  const std::string umlaut_folder = "Daten/Ärger";
  ASSERT_EQ(mkdir(dir.File("Daten").c_str(), 0777), 0);
  ASSERT_EQ(mkdir(dir.File(umlaut_folder).c_str(), 0777), 0);
  testing::WriteFile(dir.File(umlaut_folder + "/Projekt.VX3DB"), "x");

  EXPECT_EQ(MatchNameCase(dir.File("daten/ärger/PROJEKT.vx3db")),
            dir.File(umlaut_folder + "/Projekt.VX3DB"));
  EXPECT_EQ(MatchNameCase(dir.File("DATEN//äRGER/")),
            dir.File(umlaut_folder + "/"));
  // A name without a match is kept, and so is everything after it.
  EXPECT_EQ(MatchNameCase(dir.File("DATEN/neu/DATEN")),
            dir.File("Daten/neu/DATEN"));
  EXPECT_EQ(MatchNameCase(dir.File("Daten/../daten")),
            dir.File("Daten/../Daten"));

  // Of names that differ only in case, the choice does not depend on the
  // order of the folder.
  testing::WriteFile(dir.File("dup"), "");
  testing::WriteFile(dir.File("DUP"), "");
  EXPECT_EQ(MatchNameCase(dir.File("Dup")), dir.File("DUP"));
}

}  // namespace
}  // namespace vx
