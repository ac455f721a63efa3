// The built `taluvek` program, run as a shell runs it, on a temporary
// installation: what the in-process tests cannot see (the terminal dialog,
// standard input, exit codes of a real process).

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace vx::cli {
namespace {

using testing::ReadFile;
using testing::WriteFile;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

std::string ShellWord(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class TaluvekBinaryTest : public ::testing::Test {
 protected:
  TaluvekBinaryTest()
      : home_env_("TARVANO_HOME", dir_.File("inst")),
        ini_env_("TARVANO_INI", {}) {}

  // Runs the program with `args` (already shell words) and `input` on its
  // standard input.
  Outcome Run(const std::string& args, const std::string& input = "") {
    WriteFile(dir_.File("in"), input);
    std::string command = ShellWord(kBinary) + " " + args + " <" +
                          ShellWord(dir_.File("in")) + " >" +
                          ShellWord(dir_.File("out")) + " 2>" +
                          ShellWord(dir_.File("err"));
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            ReadFile(dir_.File("out")), ReadFile(dir_.File("err"))};
  }

  std::string home() const { return dir_.File("inst"); }

#ifdef VX_TALUVEK_BINARY
  static constexpr const char* kBinary = VX_TALUVEK_BINARY;
#else
  static constexpr const char* kBinary = "";
#endif

 private:
  testing::TempDir dir_;
  testing::ScopedEnv home_env_;
  testing::ScopedEnv ini_env_;
};

TEST_F(TaluvekBinaryTest, AProjectFromInstallationToUnlock) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  Outcome o = Run("einrichten " + ShellWord(home()) + " --beispiel");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("export TARVANO_HOME=" + ShellWord(home())),
            std::string::npos);

  o = Run("projekt setzen 4711 'ProBez=Neubau Nord'");
  ASSERT_EQ(o.code, 0) << o.err;
  o = Run("aufruf --skript -",
          "bProjektRead 0 4711\n"
          "vProjektDatenRead probez\n"
          "bProjektDatenWrite \"O'Neil & Söhne\" Bemerkung\n"
          "bProjWrite 0 4711\n");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("vProjektDatenRead = Neubau Nord\n"), std::string::npos)
      << o.out;
  o = Run("projekt zeigen 4711 --json");
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("\"Bemerkung\": \"O'Neil & Söhne\""), std::string::npos)
      << o.out;

  EXPECT_EQ(Run("projekt sperren 4711").code, 0);
  o = Run("projekt sperren 4711");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("lProjektErrNum = -20"), std::string::npos) << o.err;
  EXPECT_EQ(Run("projekt entsperren 4711").code, 0);
  EXPECT_EQ(Run("projekt sperren 4711").code, 0);
  EXPECT_EQ(Run("projekt alle-entsperren").code, 0);

  EXPECT_EQ(Run("").code, 2);
  EXPECT_EQ(Run("aufruf bProjektRead 0").code, 2);
}

TEST_F(TaluvekBinaryTest, MessagesOfTheLibraryReachTheTerminal) {
  if (std::string(kBinary).empty()) {
    GTEST_SKIP() << "built without VX_TALUVEK_BINARY, the program's path";
  }
  // A settings home without a settings file: the project object's
  // directory lookup shows the installation error as a box, which without
  // a terminal answers itself.
  std::filesystem::create_directory(home());
  Outcome o = Run("aufruf lProjektErrNum");
  EXPECT_EQ(o.code, 0);
  EXPECT_NE(o.err.find("INSTALLATIONS-FEHLER"), std::string::npos) << o.err;
}

}  // namespace
}  // namespace vx::cli
