// Finding the temporary folder in a controlled environment.

#include "files/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "files/files_test_util.h"

extern char** environ;

namespace vx {
namespace {

using testing::ScopedEnv;

// Unsets, while it lives, every variable whose name holds TEMP or TMP, and
// sets those a test asks for.
class TempEnvironment {
 public:
  TempEnvironment() {
    std::vector<std::string> names;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      std::string name(*entry, std::strcspn(*entry, "="));
      std::string upper = UCase(name);
      if (upper.find("TEMP") != upper.npos || upper.find("TMP") != upper.npos) {
        names.push_back(name);
      }
    }
    for (const std::string& name : names) Set(name, std::nullopt);
  }
  void Set(const std::string& name, std::optional<std::string> value) {
    saved_.push_back(std::make_unique<ScopedEnv>(name, std::move(value)));
  }

 private:
  std::vector<std::unique_ptr<ScopedEnv>> saved_;
};

TEST(TempDirTest, TempOrTmpInTheSuitesForm) {
  const char* cases[][3] = {
      {"TEMP", "  /var/tmp/vx  ", "\\var\\tmp\\vx\\"},
      {"TMPDIR", "/tmp/run/", "\\tmp\\run\\"},
      {"TMP", "C:\\Temp", "C:\\Temp\\"},
  };
  for (const auto& c : cases) {
    TempEnvironment env;
    env.Set("TEMP", "   ");  // blank: gives way to the next name
    env.Set(c[0], c[1]);
    EXPECT_EQ(GetTempVerzeichnis(), c[2]) << c[0];
  }
}

TEST(TempDirTest, WithoutTempOrTmpThePlatformsFolderNotTheRoot) {
  TempEnvironment env;
  env.Set("MYTEMP", "/x");             // TEMP inside a name
  env.Set("VX_OPTIONS", "a TEMP=/y");  // TEMP in a value
  EXPECT_EQ(GetTempVerzeichnis(), "\\tmp\\");
}

TEST(TempDirTest, LongFormSpellsTheNamesAsOnDisk) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.File("Kopien~1"));
  const std::string folder = Replace(dir.path(), "/", "\\");
  TempEnvironment env;
  env.Set("TEMP", dir.path() + "/KOPIEN~1");
  EXPECT_EQ(GetTempVerzeichnis(), folder + "\\KOPIEN~1\\");
  EXPECT_EQ(GetTempVerzeichnis(true), folder + "\\Kopien~1\\");
}

}  // namespace
}  // namespace vx
