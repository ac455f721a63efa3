// Taking the suite's paths apart as texts.

#include "files/path_utils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/text.h"

namespace vx {
namespace {

TEST(PathUtilsTest, AddBackslashAndGetFileName) {
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
  EXPECT_EQ(GetFileName("C:\\D\\P.x.VX3DB"), "P.x.VX3DB");
  EXPECT_EQ(GetFileName("C:\\D\\P.x.VX3DB", true), "P.x");
  EXPECT_EQ(GetFileName("C:P.VX3DB"), "P.VX3DB");
  EXPECT_EQ(GetFileName("C:\\D\\"), "");
  EXPECT_EQ(GetFileName("Übersicht.txt", true), "Übersicht");
}

TEST(PathUtilsTest, SplitPath) {
  const std::string long_name = std::string(200, 'x') + ".VX3LV";
  const std::string current =
      Replace(std::filesystem::current_path().string(), "/", "\\");
  struct Case {
    std::string path, drive, directory, file;
  };
  const Case cases[] = {
      {"C:\\Daten\\Pro\\P.VX3DB", "C:", "\\Daten\\Pro", "P.VX3DB"},
      {"C:\\P.VX3DB", "C:", "\\", "P.VX3DB"},
      {"C:\\Daten\\", "C:", "\\Daten", ""},
      {"\\\\srv\\share\\d\\f.txt", "", "\\\\srv\\share\\d", "f.txt"},
      {"\\tmp\\a:b\\f.txt", "", "\\tmp\\a:b", "f.txt"},  // a colon in a name
      {"C:\\Büro\\Ü.txt", "C:", "\\Büro", "Ü.txt"},
      {"C:\\D\\" + long_name, "C:", "\\D", long_name},  // kept whole
      {"f.txt", "", current, "f.txt"},  // in the working directory
  };
  for (const Case& c : cases) {
    PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.drive, c.drive) << c.path;
    EXPECT_EQ(parts.directory, c.directory) << c.path;
    EXPECT_EQ(parts.file, c.file) << c.path;
  }
}

TEST(PathUtilsTest, SplitFileName) {
  FileNameParts p = SplitFileName("C:\\Büro\\Ü.alt.VX3DB");
  EXPECT_EQ(p.drive_and_directory, "C:\\Büro");
  EXPECT_EQ(p.name, "Ü.alt");
  EXPECT_EQ(p.extension, "VX3DB");
  EXPECT_EQ(p.path_without_extension, "C:\\Büro\\Ü.alt");
  for (const char* path : {"C:\\a.b\\README", "C:\\a.b\\.profile"}) {
    FileNameParts q = SplitFileName(path);
    EXPECT_EQ(q.name, q.file) << path;
    EXPECT_EQ(q.extension, "") << path;
    EXPECT_EQ(q.path_without_extension, path) << path;
  }
}

TEST(PathUtilsTest, SplitDoubleUnderscore) {
  std::string first = "old1", second = "old2";
  SplitDoubleUnderscore("C:\\LV\\12345.VX3LV", first, second, false);
  EXPECT_EQ(first + "|" + second, "old1|old2");  // left alone
  SplitDoubleUnderscore("C:\\LV\\12345.VX3LV", first, second, true);
  EXPECT_EQ(first + "|" + second, "12345|");
  SplitDoubleUnderscore("C:\\LV\\12345__LV1.VX3LV", first, second, false);
  EXPECT_EQ(first + "|" + second, "12345|LV1");
  SplitDoubleUnderscore("C:\\LV\\12345___LV1.VX3LV", first, second, false);
  EXPECT_EQ(first + "|" + second, "12345_|LV1");
  SplitDoubleUnderscore("C:\\LV\\A__B__C.VX3LV", first, second, false);
  EXPECT_EQ(first + "|" + second, "A|C");
}

}  // namespace
}  // namespace vx
